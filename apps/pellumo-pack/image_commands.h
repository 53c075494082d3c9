#pragma once

#include <ostream>
#include <string>

namespace pellumo {

// Loads the picture through the format registry, by its extension, and writes it in the
// format of the output's extension (see SavePictureFile). The output is checked first (see
// CheckPictureOutput): an extension of no written format, the input itself, or an existing
// file without `force` is refused before the input is read. Raises with the reader's message
// when the input fails, and with the writer's when the format cannot hold the picture; a
// failure leaves no output. No writer stores a colour profile, so with `colorManaged` the
// pixels are converted to sRGB by the picture's profile first (see ConvertToSrgb).
void RunConvert(const std::string& input, const std::string& output, bool force, bool colorManaged);

// Prints the picture's width, height, pixel format and palette size, and the description of
// its colour profile when it has one: a line each, or one JSON object with the keys width,
// height, pixel_format and palette_entries, and color_profile (the description, null for a
// profile that cannot be read) when the picture has a profile.
void RunInfo(const std::string& input, bool json, std::ostream& out);

// The registered extensions, "bmp|dib|...", for the help texts.
std::string RegisteredExtensions();

}  // namespace pellumo
