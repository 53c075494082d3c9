#include "player/fit_to_window.h"

#include <gtest/gtest.h>

#include "raster/palette.h"
#include "raster/pixels.h"

namespace pellumo {
namespace {

using probe::PixelAt;
using probe::Rgb;

struct FitCase {
    int width, height;
    int availableWidth, availableHeight;
    int fittedWidth, fittedHeight;
};

// A gray-palette picture: cheap at any size, and it shows whether the palette survives.
TBitmap GrayPicture(int width, int height) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf8bit);
    bitmap.SetSize(width, height);
    bitmap.SetPalette(GrayPalette());
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) row[x] = x < width / 2 ? 40 : 200;
    }
    return bitmap;
}

TEST(FitToWindowTest, KeepsProportionsLandscapeByWidthThenHeightPortraitAndSquareByHeight) {
    const FitCase cases[] = {
        {1024, 768, 1024, 738, 984, 738},      // a window with its caption line
        {800, 600, 1024, 738, 800, 600},       // never enlarged
        {1600, 1200, 1280, 1024, 1280, 960},   // width first, and that fits
        {600, 1200, 1280, 1024, 512, 1024},    // portrait: by height
        {1100, 1100, 1280, 1024, 1024, 1024},  // square: by height
        {2048, 1025, 1024, 768, 1024, 512},    // 512.5 goes to the even neighbour
        {1200, 600, 1280, 500, 1000, 500},     // wide enough, too tall: by height
        {1200, 1300, 1000, 1400, 1200, 1300},  // portrait wider than the window, short enough: redrawn as is
    };
    for (const FitCase& c : cases) {
        for (const bool fine : {false, true}) {
            TBitmap bitmap = GrayPicture(c.width, c.height);
            FitToWindow(bitmap, c.availableWidth, c.availableHeight, fine);
            EXPECT_EQ(bitmap.Width(), c.fittedWidth) << c.width << "x" << c.height << " fine " << fine;
            EXPECT_EQ(bitmap.Height(), c.fittedHeight) << c.width << "x" << c.height << " fine " << fine;
        }
    }
}

TEST(FitToWindowTest, PlainReductionKeepsTheFormatAndFineReductionGivesTwentyFourBits) {
    TBitmap plain = GrayPicture(400, 200);
    FitToWindow(plain, 100, 100, false);
    EXPECT_EQ(plain.PixelFormat(), pf8bit);
    EXPECT_EQ(PixelAt(plain, 10, 20), (Rgb{40, 40, 40}));
    EXPECT_EQ(PixelAt(plain, 90, 20), (Rgb{200, 200, 200}));

    TBitmap fine = GrayPicture(400, 200);
    FitToWindow(fine, 100, 100, true);
    EXPECT_EQ(fine.PixelFormat(), pf24bit);
    EXPECT_EQ(PixelAt(fine, 10, 20), (Rgb{40, 40, 40}));
    const Rgb middle = PixelAt(fine, 50, 20);  // the triangle filter blends across the edge
    EXPECT_GT(middle.r, 40);
    EXPECT_LT(middle.r, 200);
}

TEST(FitToWindowTest, ASliverOrAWindowSmallerThanItsCaptionKeepsOnePixel) {
    TBitmap sliver = GrayPicture(5000, 2);
    FitToWindow(sliver, 1000, 700, false);
    EXPECT_EQ(sliver.Width(), 1000);
    EXPECT_EQ(sliver.Height(), 1);  // Round(0.4) would leave no row
    TBitmap tiny = GrayPicture(40, 30);
    FitToWindow(tiny, 20, -9, true);
    EXPECT_EQ(tiny.Width(), 1);
    EXPECT_EQ(tiny.Height(), 1);
}

}  // namespace
}  // namespace pellumo
