#include "raster/canvas.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "raster/bitmap.h"
#include "raster/pixel_rows.h"
#include "pixels.h"

namespace pellumo {
namespace {

using probe::ColorAt;


// A bitmap whose pixel (x, y) has red = 10x + 1 and green = 10y + 1, so every pixel names
// its own position; blue marks the picture.
TBitmap Numbered(int width, int height, std::uint8_t blue = 200) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = bitmap.ScanLine(y) + x * 3;
            p[0] = blue;
            p[1] = static_cast<std::uint8_t>(10 * y + 1);
            p[2] = static_cast<std::uint8_t>(10 * x + 1);
        }
    return bitmap;
}

TColor Source(int x, int y) { return RGB(static_cast<std::uint8_t>(10 * x + 1), static_cast<std::uint8_t>(10 * y + 1), 200); }

TBitmap Blank(int width, int height, TPixelFormat format = pf24bit) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(width, height);
    return bitmap;
}

TEST(Canvas, CopyRectMapsEveryTargetPixelToOneSourcePixel) {
    TBitmap source = Numbered(4, 2);
    TBitmap target = Blank(8, 6);
    // Doubled in both directions: each source pixel becomes a 2 x 2 block.
    target.Canvas().CopyRect(Rect(0, 0, 8, 4), source.Canvas(), Rect(0, 0, 4, 2));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(ColorAt(target, x, y), Source(x / 2, y / 2)) << x << "," << y;
    EXPECT_EQ(ColorAt(target, 0, 4), clBlack);

    // Halved: sampling at pixel centres takes the odd columns and rows.
    TBitmap large = Numbered(8, 8);
    TBitmap small = Blank(4, 4);
    small.Canvas().CopyRect(Rect(0, 0, 4, 4), large.Canvas(), Rect(0, 0, 8, 8));
    EXPECT_EQ(ColorAt(small, 0, 0), Source(1, 1));
    EXPECT_EQ(ColorAt(small, 3, 2), Source(7, 5));
}

TEST(Canvas, CopyRectIsClippedToTheTargetAndTheSource) {
    TBitmap source = Numbered(5, 5);
    TBitmap target = Blank(4, 4);
    // Partly off the target to the upper left: (-2, -1) onward; the last source column
    // would land at x = 2, so x = 3 stays as it was.
    target.Canvas().CopyRect(Rect(-2, -1, 3, 4), source.Canvas(), Rect(0, 0, 5, 5));
    EXPECT_EQ(ColorAt(target, 0, 0), Source(2, 1));
    EXPECT_EQ(ColorAt(target, 2, 2), Source(4, 3));
    EXPECT_EQ(ColorAt(target, 0, 3), Source(2, 4));
    EXPECT_EQ(ColorAt(target, 3, 0), clBlack);
    // A source rectangle reaching past the source leaves the matching target pixels alone.
    TBitmap second = Blank(4, 4);
    second.Canvas().CopyRect(Rect(0, 0, 4, 4), source.Canvas(), Rect(3, 3, 7, 7));
    EXPECT_EQ(ColorAt(second, 0, 0), Source(3, 3));
    EXPECT_EQ(ColorAt(second, 1, 1), Source(4, 4));
    EXPECT_EQ(ColorAt(second, 2, 1), clBlack);
    EXPECT_EQ(ColorAt(second, 1, 2), clBlack);
}

TEST(Canvas, NegativeExtentsMirror) {
    TBitmap source = Numbered(4, 3);
    TBitmap target = Blank(10, 3);
    // Origin 7, extent -4: columns 7, 6, 5, 4 take source columns 0..3.
    StretchBlt(target.Canvas(), 7, 0, -4, 3, source.Canvas(), 0, 0, 4, 3);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(ColorAt(target, 7 - i, 1), Source(i, 1));
    EXPECT_EQ(ColorAt(target, 3, 1), clBlack);
    EXPECT_EQ(ColorAt(target, 8, 1), clBlack);

    TBitmap flipped = Blank(4, 3);
    StretchBlt(flipped.Canvas(), 0, 2, 4, -3, source.Canvas(), 0, 0, 4, 3);  // upside down
    for (int y = 0; y < 3; ++y) EXPECT_EQ(ColorAt(flipped, 1, y), Source(1, 2 - y));

    // A roll: 4 source columns mirrored and stretched over 6 target columns.
    TBitmap roll = Blank(10, 1);
    StretchBlt(roll.Canvas(), 8, 0, -6, 1, source.Canvas(), 0, 0, 4, 1);
    const int expected[6] = {0, 1, 1, 2, 3, 3};  // target 8 down to 3, sampled at pixel centres
    for (int i = 0; i < 6; ++i) EXPECT_EQ(ColorAt(roll, 8 - i, 0), Source(expected[i], 0)) << i;
    // Mirroring a copy onto itself reads the original pixels.
    TBitmap self = Numbered(4, 1);
    StretchBlt(self.Canvas(), 3, 0, -4, 1, self.Canvas(), 0, 0, 4, 1);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(ColorAt(self, x, 0), Source(3 - x, 0));
}

TEST(Canvas, StretchDrawAndDrawPlaceTheGraphic) {
    TBitmap source = Numbered(3, 2);
    TBitmap target = Blank(9, 6);
    target.Canvas().StretchDraw(Rect(0, 0, 9, 4), source);  // x3 across, x2 down
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x) EXPECT_EQ(ColorAt(target, x, y), Source(x / 3, y / 2));
    target.Canvas().Draw(7, 5, source);  // only its top-left 2 x 1 fits
    EXPECT_EQ(ColorAt(target, 7, 5), Source(0, 0));
    EXPECT_EQ(ColorAt(target, 8, 5), Source(1, 0));
    TBitmap empty;
    target.Canvas().Draw(0, 0, empty);  // nothing to draw
    EXPECT_EQ(ColorAt(target, 0, 0), Source(0, 0));
}

TEST(Canvas, EverythingDrawsThroughTheClipRegion) {
    TBitmap source = Numbered(10, 10);
    TBitmap target = Blank(10, 10);
    TRegion clip = CreateRectRgn(0, 0, 3, 10);
    CombineRgn(clip, clip, CreateRectRgn(6, 2, 8, 4), RGN_OR);
    SelectClipRgn(target.Canvas(), &clip);
    clip = CreateRectRgn(0, 0, 10, 10);  // the canvas keeps its own copy
    target.Canvas().Draw(0, 0, source);
    target.Canvas().Brush.Color = RGB(1, 2, 3);
    target.Canvas().FillRect(Rect(2, 9, 10, 10));
    SelectClipRgn(target.Canvas(), nullptr);
    const TRegion* none = target.Canvas().ClipRegion();
    EXPECT_EQ(none, nullptr);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x < 3 || (x >= 6 && x < 8 && y >= 2 && y < 4);
            TColor expected = inside ? Source(x, y) : clBlack;
            if (y == 9 && x == 2) expected = RGB(1, 2, 3);
            EXPECT_EQ(ColorAt(target, x, y), expected) << x << "," << y;
        }
}

TEST(Canvas, FrameRectOnTinyBitmaps) {
    TBitmap one = Blank(1, 1);
    one.Canvas().Brush.Color = RGB(9, 8, 7);
    one.Canvas().FrameRect(Rect(0, 0, 1, 1));
    EXPECT_EQ(ColorAt(one, 0, 0), RGB(9, 8, 7));
    TBitmap none = Blank(0, 0);
    none.Canvas().FrameRect(Rect(0, 0, 0, 0));
    none.Canvas().FrameRect(Rect(0, 0, 5, 5));  // nothing to draw on
    TBitmap frame = Blank(4, 3);
    frame.Canvas().Brush.Color = clWhite;
    frame.Canvas().FrameRect(Rect(0, 0, 4, 3));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(ColorAt(frame, x, y), (x == 0 || x == 3 || y == 0 || y == 2) ? clWhite : clBlack);
}

TEST(Canvas, DashedRectangleWithAClearBrushOnlyOutlines) {
    TBitmap target = Blank(60, 10);
    TCanvas& canvas = target.Canvas();
    canvas.Brush.Style = bsClear;
    canvas.Pen.Style = psDash;
    canvas.Pen.Color = clWhite;
    canvas.Rectangle(0, 0, 60, 10);
    for (int x = 0; x < 59; ++x) EXPECT_EQ(ColorAt(target, x, 0), x % 24 < 18 ? clWhite : clBlack) << x;
    EXPECT_EQ(ColorAt(target, 30, 5), clBlack);  // the inside is left alone
    EXPECT_EQ(ColorAt(target, 59, 1), clWhite);  // the dash runs on round the corner (step 60)
}

TEST(Canvas, AnySourceFormatDrawsOntoAnyTargetFormat) {
    const TPixelFormat formats[] = {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfDevice};
    // Colours every format holds exactly: black, white and pure red are in every fixed palette.
    const TColor colours[3] = {clBlack, clWhite, RGB(255, 0, 0)};
    for (TPixelFormat from : formats) {
        for (TPixelFormat to : formats) {
            if (from == pf1bit || to == pf1bit) continue;  // red has no place in black and white
            TBitmap source = Blank(3, 1, pf24bit);
            for (int x = 0; x < 3; ++x) {
                std::uint8_t* p = source.ScanLine(0) + x * 3;
                p[0] = GetBValue(colours[x]);
                p[1] = GetGValue(colours[x]);
                p[2] = GetRValue(colours[x]);
            }
            source.SetPixelFormat(from);
            TBitmap target = Blank(5, 1, to);
            target.Canvas().Draw(1, 0, source);
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(ColorAt(target, x + 1, 0), colours[x]) << "from " << from << " to " << to << " pixel " << x;
        }
    }
    // Indexed onto indexed with different palettes goes by colour, not by index.
    TBitmap gray = Blank(2, 1, pf8bit);
    TPalette palette = GrayPalette();
    gray.SetPalette(palette);
    gray.ScanLine(0)[0] = 255;
    TBitmap vga = Blank(2, 1, pf4bit);
    vga.Canvas().Draw(0, 0, gray);
    EXPECT_EQ(GetIndex(vga.ScanLine(0), 4, 0), 15);  // white in the 16 standard colours
    EXPECT_EQ(ColorAt(vga, 1, 0), clBlack);
}

TEST(Canvas, LockIsReentrantAndExcludesOtherThreads) {
    TBitmap bitmap = Blank(1, 1);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Lock();
    canvas.Lock();
    bool otherGotIt = true;
    std::thread other([&] {
        otherGotIt = canvas.TryLock();
        if (otherGotIt) canvas.Unlock();
    });
    other.join();
    EXPECT_FALSE(otherGotIt);
    canvas.Unlock();
    canvas.Unlock();
    std::thread again([&] {
        otherGotIt = canvas.TryLock();
        if (otherGotIt) canvas.Unlock();
    });
    again.join();
    EXPECT_TRUE(otherGotIt);
}

TEST(Canvas, DrawingTellsTheBitmapItChanged) {
    TBitmap bitmap = Blank(2, 2);
    int changes = 0;
    bitmap.OnChange = [&](TGraphic&) { ++changes; };
    bitmap.Canvas().FillRect(Rect(0, 0, 1, 1));
    bitmap.Canvas().FrameRect(Rect(0, 0, 2, 2));
    EXPECT_EQ(changes, 2);
}

}  // namespace
}  // namespace pellumo
