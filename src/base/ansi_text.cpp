#include "base/ansi_text.h"

#include <cstdio>

#include "base/base_messages.h"
#include "base/exceptions.h"
#include "base/format.h"

namespace pellumo {
namespace {

// Code points of bytes 0x80..0x9F; every other byte is its own code point (Latin-1).
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t AnsiToCodePoint(std::uint8_t byte) {
    return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : byte;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

[[noreturn]] void ThrowNoAnsiForm(char32_t cp) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(cp));
    throw EConvertError(Format(base_messages::kNoWindows1252Form, {hex}));
}

// Decodes one UTF-8 sequence at `pos`, advancing it; malformed input raises.
char32_t NextCodePoint(std::string_view utf8, std::size_t& pos) {
    const auto lead = static_cast<std::uint8_t>(utf8[pos++]);
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        throw EConvertError(std::string(base_messages::kMalformedUtf8));
    }
    for (int i = 0; i < extra; ++i) {
        if (pos >= utf8.size() || (static_cast<std::uint8_t>(utf8[pos]) & 0xC0) != 0x80)
            throw EConvertError(std::string(base_messages::kMalformedUtf8));
        cp = (cp << 6) | (static_cast<std::uint8_t>(utf8[pos++]) & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        throw EConvertError(std::string(base_messages::kMalformedUtf8));
    return cp;
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size() + ansi.size() / 2);
    for (const char c : ansi) AppendUtf8(out, AnsiToCodePoint(static_cast<std::uint8_t>(c)));
    return out;
}

std::u32string AnsiToUnicode(std::string_view ansi) {
    std::u32string out;
    out.reserve(ansi.size());
    for (const char c : ansi) out += AnsiToCodePoint(static_cast<std::uint8_t>(c));
    return out;
}

std::string Utf8ToAnsi(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const char32_t cp = NextCodePoint(utf8, pos);
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
            continue;
        }
        bool found = false;
        for (std::size_t i = 0; i < kHighControls.size(); ++i) {
            if (kHighControls[i] == cp) {
                out += static_cast<char>(0x80 + i);
                found = true;
                break;
            }
        }
        if (!found) ThrowNoAnsiForm(cp);
    }
    return out;
}

}  // namespace pellumo
