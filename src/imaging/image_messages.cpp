#include "imaging/image_messages.h"

#include "base/format.h"
#include "raster/graphic.h"

namespace pellumo {

void RaiseImageError(std::string_view message, std::string_view first, std::string_view second) {
    throw EInvalidGraphic(Format(message, {std::string(first), std::string(second)}));
}

}  // namespace pellumo
