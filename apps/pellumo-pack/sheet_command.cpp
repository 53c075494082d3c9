#include "sheet_command.h"

#include <algorithm>
#include <string>
#include <vector>

#include "authoring/option_values.h"
#include "bitmap_font.h"
#include "picture_output.h"
#include "raster/bitmap.h"
#include "sheet_pictures.h"
#include "transition/transition_frames.h"

namespace pellumo {
namespace {

// The smallest cell still fits a few letters on a label line; the largest keeps the whole
// sheet to about 64 MB.
constexpr int kMinCellWidth = 64;
constexpr int kMaxCellWidth = 480;
constexpr int kMinCellHeight = 40;
constexpr int kMaxCellHeight = 300;
constexpr int kColumns = 8;
constexpr int kRows = static_cast<int>(kStyleCount) / kColumns;
constexpr int kGap = 6;         // around and between cells
constexpr int kTextMargin = 4;  // inside a label strip
constexpr int kStep = 4;        // as 'frame' by default
constexpr TColor kBackground = RGB(40, 40, 40);
constexpr TColor kStripColour = RGB(245, 245, 240);
constexpr TColor kTextColour = RGB(0, 0, 0);

std::vector<std::string> LabelLines(TShowStyle style, int cellWidth) {
    const std::string label = std::to_string(style) + " " + std::string(StyleNameOf(style));
    return WrapText(label, (cellWidth - 2 * kTextMargin) / kGlyphWidth);
}

// Every strip is as tall as the longest label needs, so that the cells line up.
int StripHeight(int cellWidth) {
    std::size_t lines = 1;
    for (std::size_t style = 0; style < kStyleCount; ++style)
        lines = std::max(lines, LabelLines(static_cast<TShowStyle>(style), cellWidth).size());
    return static_cast<int>(lines) * kGlyphHeight + 2 * kTextMargin;
}

void FillRect(TBitmap& sheet, const TRect& rect, TColor colour) {
    sheet.Canvas().Brush.Color = colour;
    sheet.Canvas().FillRect(rect);
}

}  // namespace

void RunSheet(const TSheetRequest& request) {
    CheckRange(request.progress, 0, 100, "--progress");
    const TSize cell = ParseSize(request.size, "--size");
    CheckRange(cell.Width, kMinCellWidth, kMaxCellWidth, "--size (largeur)");
    CheckRange(cell.Height, kMinCellHeight, kMaxCellHeight, "--size (hauteur)");
    CheckPictureOutput(request.output, {}, request.force);

    const TBitmap oldPicture = OldSheetPicture(cell.Width, cell.Height);
    const TBitmap newPicture = NewSheetPicture(cell.Width, cell.Height);
    const int stripHeight = StripHeight(cell.Width);
    const int pitchX = cell.Width + kGap;
    const int pitchY = cell.Height + stripHeight + kGap;

    TBitmap sheet;
    sheet.SetPixelFormat(pf24bit);
    sheet.SetSize(kColumns * pitchX + kGap, kRows * pitchY + kGap);
    FillRect(sheet, TRect{0, 0, sheet.Width(), sheet.Height()}, kBackground);
    for (std::size_t index = 0; index < kStyleCount; ++index) {
        const auto style = static_cast<TShowStyle>(index);
        const int left = kGap + static_cast<int>(index) % kColumns * pitchX;
        const int top = kGap + static_cast<int>(index) / kColumns * pitchY;
        sheet.Canvas().Draw(left, top, ComposeFrame(newPicture, oldPicture, style, kStep, request.progress));

        const int stripTop = top + cell.Height;
        FillRect(sheet, TRect{left, stripTop, left + cell.Width, stripTop + stripHeight}, kStripColour);
        int lineTop = stripTop + kTextMargin;
        for (const std::string& line : LabelLines(style, cell.Width)) {
            DrawText(sheet, left + kTextMargin, lineTop, line, kTextColour);
            lineTop += kGlyphHeight;
        }
    }

    SavePictureFile(sheet, request.output);
}

}  // namespace pellumo
