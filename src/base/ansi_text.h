#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pellumo {

// Windows-1252 bytes to UTF-8. The five bytes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) become the control characters of the same number, as the platform's
// conversion does, so no byte is lost.
std::string AnsiToUtf8(std::string_view ansi);
// The same characters as Unicode code points.
std::u32string AnsiToUnicode(std::string_view ansi);

// UTF-8 to Windows-1252 bytes; the exact inverse of AnsiToUtf8. A character without a
// Windows-1252 form, or malformed UTF-8, raises EConvertError naming it.
std::string Utf8ToAnsi(std::string_view utf8);

// A length byte followed by a fixed area of Capacity single-byte characters. Only as many
// characters as the length byte says count; a length beyond the area is clipped to it.
template <std::size_t Capacity>
struct TShortString {
    static_assert(Capacity >= 1 && Capacity <= 255);
    std::uint8_t length = 0;
    std::array<char, Capacity> chars{};

    std::string_view Text() const { return {chars.data(), length < Capacity ? length : Capacity}; }

    // Stores the bytes; returns false (and stores nothing) when they do not fit.
    bool Assign(std::string_view bytes) {
        if (bytes.size() > Capacity) return false;
        chars.fill(0);
        bytes.copy(chars.data(), bytes.size());
        length = static_cast<std::uint8_t>(bytes.size());
        return true;
    }
};

}  // namespace pellumo
