#pragma once

#include <ostream>
#include <string>

namespace pellumo {

// Loads the picture through the format registry, by its extension, and writes it in the
// format of the output's extension (see SavePictureFile). The output is checked first (see
// CheckPictureOutput): an extension of no written format, the input itself, or an existing
// file without `force` is refused before the input is read. Raises with the reader's message
// when the input fails, and with the writer's when the format cannot hold the picture; a
// failure leaves no output.
void RunConvert(const std::string& input, const std::string& output, bool force);

// Prints the picture's width, height, pixel format and palette size: a line each, or one JSON
// object with exactly the keys width, height, pixel_format and palette_entries.
void RunInfo(const std::string& input, bool json, std::ostream& out);

// The registered extensions, "bmp|dib|...", for the help texts.
std::string RegisteredExtensions();

}  // namespace pellumo
