#include "base/image_limits.h"

#include <string>

#include "base/exceptions.h"
#include "base/format.h"

namespace pellumo {

std::size_t CheckedImageBytes(std::int64_t width, std::int64_t height, int bitsPerPixel) {
    if (width < 0 || height < 0)
        throw EConvertError(Format("Dimensions d'image invalides : %d x %d",
                                   {std::to_string(width), std::to_string(height)}));
    if (width > kMaxImagePixels || height > kMaxImagePixels || width * height > kMaxImagePixels)
        throw EConvertError(Format("Image trop grande : %d x %d pixels (au plus %d pixels)",
                                   {std::to_string(width), std::to_string(height),
                                    std::to_string(kMaxImagePixels)}));
    return RowStride(width, bitsPerPixel) * static_cast<std::size_t>(height);
}

}  // namespace pellumo
