#include "bitmap_font.h"

#include <algorithm>

#include "base/exceptions.h"
#include "raster/bitmap.h"

namespace pellumo {
namespace {

const TGlyph& GlyphOf(char c) {
    const char shown = c >= kFirstGlyph && c <= kLastGlyph ? c : '?';
    return kGlyphs[static_cast<std::size_t>(shown - kFirstGlyph)];
}

}  // namespace

void DrawText(TBitmap& target, int x, int y, std::string_view text, TColor color) {
    if (target.PixelFormat() != pf24bit) throw EInvalidGraphicOperation("DrawText : bitmap 24 bits attendu");
    for (const char c : text) {
        const TGlyph& glyph = GlyphOf(c);
        for (int row = 0; row < kGlyphHeight; ++row) {
            const int py = y + row;
            if (py < 0 || py >= target.Height()) continue;
            std::uint8_t* line = target.ScanLine(py);
            for (int column = 0; column < kGlyphWidth; ++column) {
                const int px = x + column;
                if (px < 0 || px >= target.Width() || (glyph[row] & (0x80 >> column)) == 0) continue;
                std::uint8_t* pixel = line + 3 * static_cast<std::size_t>(px);
                pixel[0] = GetBValue(color);
                pixel[1] = GetGValue(color);
                pixel[2] = GetRValue(color);
            }
        }
        x += kGlyphWidth;
    }
}

std::vector<std::string> WrapText(std::string_view text, int columns) {
    const std::size_t width = static_cast<std::size_t>(std::max(columns, 1));
    std::vector<std::string> lines;
    std::string line;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view word = text.substr(start, end - start);
        start = end + 1;
        if (word.empty()) continue;
        if (!line.empty() && line.size() + 1 + word.size() <= width) {
            line += ' ';
            line += word;
            continue;
        }
        if (!line.empty()) lines.push_back(std::move(line));
        line.clear();
        while (word.size() > width) {
            lines.emplace_back(word.substr(0, width));
            word.remove_prefix(width);
        }
        line = word;
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
}

}  // namespace pellumo
