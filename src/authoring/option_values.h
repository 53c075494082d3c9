#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/color.h"
#include "base/exceptions.h"

namespace pellumo {

// A value that cannot go into a show, given on the command line, in a manifest or in a
// document; the message names the option or the key.
class EOptionError : public Exception {
public:
    using Exception::Exception;
};

// "#RRGGBB", hexadecimal digits in either case.
TColor ParseColor(std::string_view text, std::string_view option);
// "#RRGGBB" in upper case, the form ParseColor reads.
std::string ColorText(TColor color);

// "#RRGGBB" frames the picture in that colour, "none" (no colour) leaves it unframed.
std::optional<TColor> ParseFrameColor(std::string_view text, std::string_view option);

// A style number 0..127 or a style name, letter case and surrounding spaces aside. A name
// that matches none is refused with the nearest names as a suggestion.
std::uint8_t ParseStyle(std::string_view text, std::string_view option);

struct TSize {
    int Width = 0;
    int Height = 0;
};

// "WIDTHxHEIGHT", two positive integers.
TSize ParseSize(std::string_view text, std::string_view option);

// Raises unless low <= value <= high.
void CheckRange(int value, int low, int high, std::string_view option);

// Whole seconds, 0 or more, within 32 bits.
std::int32_t ParseDuration(std::string_view text, std::string_view option);

// UTF-8 text to the Windows-1252 bytes a show stores, at most 80 of them.
std::string ParseShowText(std::string_view utf8, std::string_view option);

}  // namespace pellumo
