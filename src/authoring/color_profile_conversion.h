#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "raster/bitmap.h"

namespace pellumo {

// The player shows stored pixels as sRGB, so a picture whose file carries another ICC profile
// is converted to sRGB (perceptual intent) before it is stored. A profile that cannot be used
// (Little CMS cannot open it, or its colour space is not the pixels': a CMYK profile on RGB
// pixels) leaves the pixels as the file has them, as they were stored before colour profiles
// were read.

// Whether pixels under the profile must be converted to look as their file means: false
// without a profile, for one that cannot be used and for one that is sRGB already. Gray
// pixels take a gray or an RGB profile, colour pixels an RGB one. A profile is sRGB when
// its colours, taken colorimetrically, are sRGB's within one level of 8 bits on a grid of
// the colour cube (every level of a gray one): storing such pixels as they are changes less
// than encoding them again would.
bool NeedsSrgbConversion(std::span<const std::uint8_t> profile, bool grayPixels);

// Converts the bitmap from its colour profile to sRGB when NeedsSrgbConversion says so, and
// then drops the profile; returns whether it did. 24- and 32-bit pixels are converted (the
// fourth byte kept as it is), indexed bitmaps through their palette, 15- and 16-bit ones
// after widening to 24 bits. Otherwise the bitmap stays exactly as it is.
bool ConvertToSrgb(TBitmap& bitmap);

// The profile's description, in printable ASCII; std::nullopt when Little CMS cannot open the
// profile.
std::optional<std::string> ColorProfileDescription(std::span<const std::uint8_t> profile);

}  // namespace pellumo
