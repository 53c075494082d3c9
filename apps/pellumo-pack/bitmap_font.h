#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/color.h"
#include "bitmap_font_glyphs.h"

namespace pellumo {

class TBitmap;

// Draws the text's glyph pixels in the colour onto a 24-bit bitmap with the top-left corner of
// the first glyph at (x, y); the rest of each glyph cell is left as it was. Characters outside
// printable ASCII are drawn as '?'; pixels beyond the bitmap are not drawn.
void DrawText(TBitmap& target, int x, int y, std::string_view text, TColor color);

// The text broken at spaces into lines of at most `columns` characters (at least 1); a word
// longer than a line is cut.
std::vector<std::string> WrapText(std::string_view text, int columns);

}  // namespace pellumo
