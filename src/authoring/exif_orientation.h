#pragma once

#include <cstdint>
#include <span>

namespace pellumo {

// The orientation a camera recorded in a JPEG's Exif data (tag 0x0112 of the first image
// directory), 1..8 as Exif numbers them; 1 (upright) when the JPEG carries none, or when the
// Exif data cannot be read or holds another value. Reads only the markers before the scan and
// never beyond the bytes given.
int ExifOrientation(std::span<const std::uint8_t> jpeg);

}  // namespace pellumo
