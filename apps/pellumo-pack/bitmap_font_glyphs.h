#pragma once

#include <array>
#include <cstdint>

namespace pellumo {

// The glyphs of the printable ASCII characters, 32..126, 8 pixels wide: one byte per row, top
// row first, most significant bit leftmost.
constexpr int kGlyphWidth = 8;
constexpr int kGlyphHeight = 13;
constexpr char kFirstGlyph = ' ';
constexpr char kLastGlyph = '~';
constexpr std::size_t kGlyphCount = kLastGlyph - kFirstGlyph + 1;

using TGlyph = std::array<std::uint8_t, kGlyphHeight>;
extern const std::array<TGlyph, kGlyphCount> kGlyphs;

}  // namespace pellumo
