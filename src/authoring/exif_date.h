#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace pellumo {

// When a JPEG's photograph was taken, as its Exif data says, "YYYY:MM:DD HH:MM:SS": the
// original date and time (tag 0x9003 of the Exif directory), else the date the file was made
// (0x0132 of the first image directory). None when the JPEG carries neither, or only dates a
// camera left blank or zero, or when the Exif data cannot be read. Never reads beyond the bytes
// given: a file cut short yields none (or the date, when it is all there).
std::optional<std::string> ExifDateTaken(std::span<const std::uint8_t> jpegBytes);

}  // namespace pellumo
