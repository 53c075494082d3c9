#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/color.h"

namespace pellumo {

// The JPEG bytes a slide stores for a picture file. A JPEG file is kept byte for byte, unless
// its EXIF orientation says the camera was turned or, when `colorManaged`, its colour profile
// is one to convert (see NeedsSrgbConversion): the player shows pixels as stored, in sRGB, so
// such a picture is decoded, turned upright, converted to sRGB and encoded again at `quality`.
// Any other picture the format registry reads is converted to sRGB when `colorManaged` and
// encoded at `quality`, its transparent parts laid over `background` (the slide's colour
// around the picture). Raises EPictureError naming the file when the picture cannot be read,
// or a JPEG that would be stored as it is does not decode to its end.
std::vector<std::uint8_t> SlideJpegBytes(const std::string& picture, int quality, TColor background,
                                         bool colorManaged = true);

}  // namespace pellumo
