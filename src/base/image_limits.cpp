#include "base/image_limits.h"

#include <string>

#include "base/base_messages.h"
#include "base/exceptions.h"
#include "base/format.h"

namespace pellumo {

std::size_t CheckedImageBytes(std::int64_t width, std::int64_t height, int bitsPerPixel) {
    if (width < 0 || height < 0)
        throw EConvertError(Format(base_messages::kInvalidImageSize,
                                   {std::to_string(width), std::to_string(height)}));
    if (width > kMaxImagePixels || height > kMaxImagePixels || width * height > kMaxImagePixels)
        throw EConvertError(Format(base_messages::kImageTooLarge,
                                   {std::to_string(width), std::to_string(height),
                                    std::to_string(kMaxImagePixels)}));
    return RowStride(width, bitsPerPixel) * static_cast<std::size_t>(height);
}

}  // namespace pellumo
