#pragma once

#include <ostream>
#include <string>

namespace pellumo {

// Loads the picture through the format registry, by its extension, and writes it in the
// format of the output's extension. Raises when either extension names no format, when the
// output's format cannot be written, or with the reader's message when the input fails.
void RunConvert(const std::string& input, const std::string& output);

// Prints the picture's width, height, pixel format and palette size: a line each, or one JSON
// object with exactly the keys width, height, pixel_format and palette_entries.
void RunInfo(const std::string& input, bool json, std::ostream& out);

// The registered extensions, "bmp|dib|...", for the help texts.
std::string RegisteredExtensions();

}  // namespace pellumo
