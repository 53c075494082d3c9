#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <random>
#include <vector>

#include "raster/bitmap.h"
#include "raster/pixels.h"
#include "raster/region.h"
#include "transition/fade_pivot.h"
#include "transition/frame_quantities.h"
#include "transition/random.h"
#include "transition/random_reveal_regions.h"
#include "transition/render_frame.h"
#include "transition/style_rules.h"

namespace pellumo {
namespace {

// --- Pictures ------------------------------------------------------------------------------

TBitmap Noise(int width, int height, std::uint32_t seed, TPixelFormat format = pfDevice) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(width, height);
    std::mt19937 generator(seed);
    for (int y = 0; y < height; ++y)
        for (std::size_t i = 0; i < bitmap.RowBytes(); ++i) bitmap.ScanLine(y)[i] = static_cast<std::uint8_t>(generator());
    return bitmap;
}

TBitmap Filled(int width, int height, std::uint8_t blue, std::uint8_t green, std::uint8_t red, std::uint8_t unused) {
    TBitmap bitmap;
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = bitmap.ScanLine(y) + x * 4;
            p[0] = blue;
            p[1] = green;
            p[2] = red;
            p[3] = unused;
        }
    return bitmap;
}

// A picture whose pixel (x, y) holds x in blue and y in green (both below 256).
TBitmap Coordinates(int width, int height) {
    TBitmap bitmap;
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = bitmap.ScanLine(y) + x * 4;
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = 0xEE;
            p[3] = 0x11;
        }
    return bitmap;
}

TBitmap CopyOf(const TBitmap& bitmap) {
    TBitmap copy;
    copy.Assign(bitmap);
    return copy;
}

std::vector<std::uint8_t> PixelBytes(const TBitmap& bitmap) {
    std::vector<std::uint8_t> bytes;
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* row = bitmap.ScanLine(y);
        bytes.insert(bytes.end(), row, row + bitmap.Width() * 4);
    }
    return bytes;
}

std::vector<std::uint8_t> ColourBytes(const TBitmap& bitmap) {
    std::vector<std::uint8_t> bytes;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            const std::uint8_t* p = bitmap.ScanLine(y) + x * 4;
            bytes.insert(bytes.end(), p, p + 3);
        }
    return bytes;
}

// --- The formulas, evaluated pixel by pixel ---------------------------------------------------

void ReferenceBlend(TBitmap& screen, const TBitmap& picture, int p) {
    for (int y = 0; y < screen.Height(); ++y)
        for (int x = 0; x < screen.Width(); ++x)
            for (int i : {2, 1, 0}) {
                std::uint8_t& s = screen.ScanLine(y)[x * 4 + i];
                const unsigned b = picture.ScanLine(y)[x * 4 + i];
                s = static_cast<std::uint8_t>((s * (100u - static_cast<unsigned>(p)) + b * static_cast<unsigned>(p)) / 100u);
            }
}

double ReferenceAngle(int p) {
    return static_cast<double>((100 - p) * std::numbers::pi_v<long double> / 200);
}

// Sine and cosine afresh for every pixel. The sums are 64-bit: with the 32 bits of the formula
// they would wrap on pictures more than about 32000 pixels across, and agree below that.
void ReferenceRotate(TBitmap& screen, const TBitmap& picture, int cx, int cy, double angle) {
    const int width = picture.Width();
    const int height = picture.Height();
    for (int y = height - 1; y >= 0; --y)
        for (int x = width - 1; x >= 0; --x) {
            const auto sn = static_cast<std::int64_t>(std::trunc(std::sin(angle) * 65536));
            const auto cs = static_cast<std::int64_t>(std::trunc(std::cos(angle) * 65536));
            const std::int64_t dx = x - cx;
            const std::int64_t dy = y - cy;
            const std::int64_t sx = cx + ((dx * cs - dy * sn) >> 16);
            const std::int64_t sy = cy + ((dx * sn + dy * cs) >> 16);
            if (sx >= 0 && sx < width && sy >= 0 && sy < height)
                for (int i = 0; i < 4; ++i)
                    screen.ScanLine(y)[x * 4 + i] = picture.ScanLine(static_cast<int>(sy))[sx * 4 + i];
        }
}

// Style 118 fades; 119 to 122 turn about the corner left or right (cx = −1 or W) of the top
// or the bottom (cy = −1 or H).
void ReferenceStyle(int style, TBitmap& screen, const TBitmap& picture, int p) {
    if (style == 118) return ReferenceBlend(screen, picture, p);
    const bool right = style == 121 || style == 122, bottom = style == 120 || style == 122;
    ReferenceRotate(screen, picture, right ? picture.Width() : -1, bottom ? picture.Height() : -1, ReferenceAngle(p));
}

struct TSize {
    int W;
    int H;
};
constexpr TSize kOddSizes[] = {{1, 1}, {2, 1}, {1, 3}, {3, 2}, {5, 7}, {17, 3}, {33, 17}, {64, 64}, {101, 57}, {250, 3}};

// --- Fade ------------------------------------------------------------------------------------

TEST(Fade, MixesOldAndNewInProportionAndKeepsTheUnusedByte) {
    struct Case {
        int p;
        std::uint8_t old, fresh, mixed;
    };
    const Case cases[] = {
        {50, 200, 100, 150},
        {1, 255, 0, 252},  // 255 × 99 div 100
        {99, 0, 255, 252},
        {50, 255, 255, 255},
        {33, 10, 250, 89},  // (670 + 8250) div 100
        {1, 0, 99, 0},
        {1, 0, 100, 1},
    };
    for (const Case& c : cases) {
        TBitmap picture = Filled(6, 2, c.fresh, c.fresh, c.fresh, 11);
        TBitmap screen = Filled(6, 2, c.old, c.old, c.old, 77);
        ComputeStylePixels(118, ComputeFrameQuantities(6, 2, c.p, 4), picture, screen);
        for (int x = 0; x < 6; ++x) {
            const std::uint8_t* px = screen.ScanLine(1) + x * 4;
            EXPECT_EQ(px[0], c.mixed) << "p " << c.p;
            EXPECT_EQ(px[1], c.mixed) << "p " << c.p;
            EXPECT_EQ(px[2], c.mixed) << "p " << c.p;
            EXPECT_EQ(px[3], 77) << "p " << c.p;
        }
    }
}

TEST(Fade, EveryPairOfBytesAtEveryProgressGivesTheFormulasByte) {
    // Pixel (x, y) pairs old x with new y in blue, the reverse in green, and two other pairings
    // in red and the unused byte, so every pair of bytes meets in every lane of a row.
    TBitmap picture, old;
    picture.SetSize(256, 256);
    old.SetSize(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            std::uint8_t* o = old.ScanLine(y) + x * 4;
            std::uint8_t* n = picture.ScanLine(y) + x * 4;
            const auto bx = static_cast<std::uint8_t>(x), by = static_cast<std::uint8_t>(y);
            o[0] = bx, n[0] = by;
            o[1] = by, n[1] = bx;
            o[2] = static_cast<std::uint8_t>(x ^ y), n[2] = static_cast<std::uint8_t>(255 - x);
            o[3] = static_cast<std::uint8_t>(x + y), n[3] = bx;
        }
    for (int p = 0; p <= 100; ++p) {
        TBitmap fast = CopyOf(old), slow = CopyOf(old);
        BlendBitmaps(fast, picture, p);
        ReferenceBlend(slow, picture, p);
        ASSERT_EQ(PixelBytes(fast), PixelBytes(slow)) << "p " << p;
    }
}

// --- Pivot -----------------------------------------------------------------------------------

TEST(Pivot, FromTopLeftHalfwayShowsTheNewPictureOnlyTwoPastTheDiagonal) {
    // θ = π/4: sin and cos are both 46340/65536, and (x − y)·46340 must reach 65536.
    const TBitmap picture = Coordinates(60, 60);
    TBitmap screen = Filled(60, 60, 1, 2, 3, 4);
    ComputeStylePixels(119, ComputeFrameQuantities(60, 60, 50, 4), picture, screen);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x) {
            const std::uint8_t* p = screen.ScanLine(y) + x * 4;
            if (p[2] == 0xEE) EXPECT_GE(x, y + 2) << x << "," << y;
            else EXPECT_EQ(p[0], 1) << x << "," << y;  // the old display, untouched
        }
    const auto at = [&screen](int x, int y) {
        const std::uint8_t* p = screen.ScanLine(y) + x * 4;
        return std::vector<int>{p[0], p[1], p[2], p[3]};
    };
    EXPECT_EQ(at(2, 0), (std::vector<int>{0, 1, 0xEE, 0x11}));   // (3 − 1)·46340 >> 16 = 1, (3 + 1)·46340 >> 16 = 2
    EXPECT_EQ(at(30, 10), (std::vector<int>{13, 28, 0xEE, 0x11}));  // 20·46340 >> 16 = 14, 42·46340 >> 16 = 29
    EXPECT_EQ(at(1, 0)[2], 3);
}

// The fade and every pivot corner, on odd sizes and both 32-bit formats.
TEST(PixelStyles, EveryStyleSizeAndProgressMatchesTheFormula) {
    for (TPixelFormat format : {pfDevice, pf32bit})
        for (int style = 118; style <= 122; ++style)
            for (const TSize& size : kOddSizes)
                for (int p : {1, 2, 7, 13, 33, 50, 63, 67, 98, 99}) {
                    SCOPED_TRACE(testing::Message() << "style " << style << " " << size.W << "x" << size.H << " p " << p
                                                    << " format " << format);
                    const TBitmap picture = Noise(size.W, size.H, 1, format);
                    TBitmap fast = Noise(size.W, size.H, 2, format), slow = CopyOf(fast);
                    ComputeStylePixels(static_cast<TShowStyle>(style), ComputeFrameQuantities(size.W, size.H, p, 4),
                                       picture, fast);
                    ReferenceStyle(style, slow, picture, p);
                    EXPECT_EQ(PixelBytes(fast), PixelBytes(slow));
                }
}

TEST(Pivot, AnyAngleAndCentreMatchesTheFormula) {
    // Beyond the pivots' quarter turn: negative sines and cosines, centres inside the picture;
    // an odd number of rows (they go two by two), and rows longer than the stretch each row
    // takes at a time. Each run loop, and the one this processor finds quicker, which frames use.
    for (TPivotRunLoop loop : {TPivotRunLoop::FourAtATime, TPivotRunLoop::Gather, TPivotRunLoop::Quicker}) {
        SetPivotRunLoop(loop);
        for (auto [width, height] : {std::pair{141, 73}, {2100, 5}}) {
            const TBitmap picture = Noise(width, height, 5);
            for (double angle : {0.0, 1e-6, 0.3, 1.2, 2.5, 3.14159, 4.0, -0.7, -2.2, 100.0})
                for (auto [cx, cy] :
                     {std::pair{-1, -1}, {width, height}, {width / 2, height / 2}, {-50, 170}, {0, height - 1}}) {
                    TBitmap fast = Noise(width, height, 6), slow = CopyOf(fast);
                    RotateBitmap(fast, picture, cx, cy, angle);
                    ReferenceRotate(slow, picture, cx, cy, angle);
                    EXPECT_EQ(PixelBytes(fast), PixelBytes(slow)) << width << "x" << height << " angle " << angle
                                                                  << " centre " << cx << "," << cy << " loop "
                                                                  << static_cast<int>(loop);
                }
        }
    }
}

TEST(Pivot, AnAngleThatIsNotANumberLeavesTheOldDisplay) {
    const TBitmap picture = Noise(9, 5, 18);
    for (double angle : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
        const TBitmap old = Noise(9, 5, 19);
        TBitmap screen = CopyOf(old);
        RotateBitmap(screen, picture, -1, -1, angle);
        EXPECT_EQ(PixelBytes(screen), PixelBytes(old)) << angle;
    }
}

TEST(Pivot, APanoramaWiderThanThirtyTwoThousandPixelsDoesNotWrap) {
    // An angle so small that sin·65536 truncates to 0 and cos·65536 to 65535: screen pixel
    // (39000, 1) maps to (38999, 0) after 39001·65535 has passed 2^31.
    const TBitmap picture = Coordinates(40000, 2);
    TBitmap screen = Filled(40000, 2, 1, 2, 3, 4);
    RotateBitmap(screen, picture, -1, -1, 1e-6);
    const std::uint8_t* p = screen.ScanLine(1) + 39000 * 4;
    EXPECT_EQ(p[0], 38999 & 0xFF);
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[2], 0xEE);

    const TBitmap noise = Noise(40000, 2, 7);
    for (int style : {119, 122}) {
        TBitmap fast = Noise(40000, 2, 8), slow = CopyOf(fast);
        ComputeStylePixels(static_cast<TShowStyle>(style), ComputeFrameQuantities(40000, 2, 99, 4), noise, fast);
        ReferenceStyle(style, slow, noise, 99);
        EXPECT_EQ(PixelBytes(fast), PixelBytes(slow)) << "style " << style;
    }
}

// --- Pixel styles on other layouts -----------------------------------------------------------

TEST(PixelStyles, OtherPixelFormatsGiveTheColoursOfTheThirtyTwoBitPath) {
    for (int style = 118; style <= 122; ++style) {
        const TBitmap picture32 = Noise(19, 13, 9);
        const TBitmap old32 = Noise(19, 13, 10);
        TBitmap expected = CopyOf(old32);
        ComputeStylePixels(static_cast<TShowStyle>(style), ComputeFrameQuantities(19, 13, 40, 4), picture32, expected);

        TBitmap picture24 = CopyOf(picture32), screen24 = CopyOf(old32);
        picture24.SetPixelFormat(pf24bit);
        screen24.SetPixelFormat(pf24bit);
        ComputeStylePixels(static_cast<TShowStyle>(style), ComputeFrameQuantities(19, 13, 40, 4), picture24, screen24);
        ASSERT_EQ(screen24.PixelFormat(), pf24bit);
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 19; ++x)
                ASSERT_EQ(probe::PixelAt(screen24, x, y), probe::PixelAt(expected, x, y))
                    << "style " << style << " at " << x << "," << y;
    }
}

TEST(PixelStyles, AScreenOfAnotherSizeIsWrittenOnlyWhereItOverlapsThePicture) {
    // 10 × 6 screen, 7 × 9 picture: the shared 7 × 6 is computed, the rest stays.
    const TBitmap picture = Noise(7, 9, 20);
    const TBitmap old = Noise(10, 6, 21);
    for (int style = 118; style <= 122; ++style) {
        TBitmap screen = CopyOf(old);
        ComputeStylePixels(static_cast<TShowStyle>(style), ComputeFrameQuantities(7, 9, 60, 4), picture, screen);
        for (int y = 0; y < 6; ++y)
            for (int x = 7; x < 10; ++x)
                for (int i = 0; i < 4; ++i)
                    ASSERT_EQ(screen.ScanLine(y)[x * 4 + i], old.ScanLine(y)[x * 4 + i]) << "style " << style;
    }
    TBitmap fast = CopyOf(old);
    BlendBitmaps(fast, picture, 60);
    TBitmap slow;  // the overlap alone
    slow.SetSize(7, 6);
    for (int y = 0; y < 6; ++y) std::copy_n(old.ScanLine(y), 7 * 4, slow.ScanLine(y));
    ReferenceBlend(slow, picture, 60);
    for (int y = 0; y < 6; ++y)
        EXPECT_TRUE(std::equal(slow.ScanLine(y), slow.ScanLine(y) + 7 * 4, fast.ScanLine(y))) << "row " << y;
}

TEST(PixelStyles, APictureThatIsTheScreenItselfIsReadBeforeItIsWritten) {
    const TBitmap original = Noise(31, 17, 11);
    TBitmap expected = CopyOf(original);
    ReferenceRotate(expected, original, 31, 17, ReferenceAngle(30));
    TBitmap same = CopyOf(original);
    ComputeStylePixels(122, ComputeFrameQuantities(31, 17, 30, 4), same, same);
    EXPECT_EQ(PixelBytes(same), PixelBytes(expected));
}

// --- Speckle ---------------------------------------------------------------------------------

TEST(Speckle, CellsFollowTheZone) {
    struct Case {
        int extent, reach;
        int zone, size, count, near;
    };
    const Case cases[] = {
        {300, 120, 30, 2, 15, 11},  // 30 div 20 = 1 is raised to 2
        {300, 0, 30, 2, 15, 11},    {300, 299, 30, 2, 15, 11},
        {300, 300, 0, 2, 0, 0},     // fully revealed: no zone
        {1920, 480, 192, 9, 21, 16},  // (576 div 9) div 4
        {1080, 270, 108, 5, 21, 16},  {400, 10, 40, 2, 20, 15},  {599, 1, 59, 2, 29, 22},
        {1200, 1, 120, 6, 20, 15},    {19, 0, 1, 2, 0, 0},       {0, 0, 0, 2, 0, 0},
    };
    for (const Case& c : cases) {
        const TSpeckleCells cells = SpeckleCells(c.extent, c.reach);
        EXPECT_EQ(cells.Zone, c.zone) << c.extent;
        EXPECT_EQ(cells.Size, c.size) << c.extent;
        EXPECT_EQ(cells.Count, c.count) << c.extent;
        EXPECT_EQ(cells.Near, c.near) << c.extent;
    }
    // A zone of 40 pixels or more holds 20 to 29 cells; a smaller one has 2-pixel cells and
    // fewer than 20.
    for (int extent = 0; extent <= 6000; ++extent) {
        const TSpeckleCells cells = SpeckleCells(extent, 0);
        if (cells.Zone >= 40) {
            EXPECT_GE(cells.Count, 20) << extent;
            EXPECT_LE(cells.Count, 29) << extent;
        } else {
            EXPECT_EQ(cells.Size, 2) << extent;
            EXPECT_LT(cells.Count, 20) << extent;
        }
    }
}

// Saves the process-wide seed and puts it back, so the random tests neither depend on nor
// disturb each other.
class RandomReveal : public ::testing::Test {
protected:
    void SetUp() override { saved_ = RandomSeed(); }
    void TearDown() override { SetRandomSeed(saved_); }

private:
    std::uint32_t saved_ = 0;
};

// A set of pixels as a grid over [left, left + width) × [top, top + height).
class TPixelSet {
public:
    TPixelSet(int left, int top, int width, int height)
        : left_(left), top_(top), width_(width), height_(height), in_(static_cast<std::size_t>(width * height)) {}
    void Add(int left, int top, int right, int bottom) {
        for (int y = std::max(top, top_); y < std::min(bottom, top_ + height_); ++y)
            for (int x = std::max(left, left_); x < std::min(right, left_ + width_); ++x) in_[Index(x, y)] = true;
    }
    // The first pixel of the grid where the region differs, or none.
    std::optional<TPoint> FirstDifference(const TRegion& region) const {
        for (int y = top_; y < top_ + height_; ++y)
            for (int x = left_; x < left_ + width_; ++x)
                if (region.Contains(x, y) != in_[Index(x, y)]) return TPoint{x, y};
        return std::nullopt;
    }

private:
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>((y - top_) * width_ + (x - left_)); }
    int left_, top_, width_, height_;
    std::vector<bool> in_;
};

TEST_F(RandomReveal, SpecklePatternFollowsTheDrawnNumbersForAThreeHundredPixelPicture) {
    // 300 pixels along the speckled axis, 7 across it, p = 40: the edge is 120 pixels in, the
    // zone 30 deep with 15 cells of 2 pixels, cells 1..11 near. Bands advance by 1 pixel.
    struct Case {
        TShowStyle style;
        bool columns;  // the speckled axis is vertical
        bool fromFar;  // from the right or the bottom
    };
    const Case cases[] = {{123, false, true}, {124, false, false}, {125, true, true}, {126, true, false}};
    for (const Case& c : cases) {
        const int width = c.columns ? 7 : 300;
        const int height = c.columns ? 300 : 7;
        const TFrameQuantities q = ComputeFrameQuantities(width, height, 40, 4);
        ASSERT_EQ(c.columns ? q.v : q.n, 120);

        SetRandomSeed(0x5EED0000u + c.style);
        // Along the speckled axis, where the revealed part and each speck lie.
        const int edge = c.fromFar ? 300 - 120 : 120;
        TPixelSet expected(-40, -40, width + 80, height + 80);
        const auto add = [&](int from, int to, int band) {
            if (c.columns) expected.Add(band, from, band + 2, to);
            else expected.Add(from, band, to, band + 2);
        };
        for (int band = 0; band < 7; ++band) {
            add(c.fromFar ? edge : 0, c.fromFar ? 300 : edge, band);
            for (int k = 15; k >= 1; --k) {
                const std::uint32_t passing = k <= 11 ? 1 : 0;
                if (Random(static_cast<std::uint32_t>(k)) > passing) continue;
                const int start = c.fromFar ? edge - 2 * k : edge + 2 * k - 2;
                add(start, start + 2, band);
            }
        }
        const std::uint32_t seedAfter = RandomSeed();

        SetRandomSeed(0x5EED0000u + c.style);
        const std::optional<TRegion> region = BuildRandomRevealRegion(c.style, q);
        ASSERT_TRUE(region.has_value());
        EXPECT_EQ(RandomSeed(), seedAfter) << "style " << c.style << ": 7 bands of 15 draws each";
        const std::optional<TPoint> difference = expected.FirstDifference(*region);
        EXPECT_FALSE(difference.has_value())
            << "style " << c.style << " at " << difference->X << "," << difference->Y;
    }
}

TEST_F(RandomReveal, FullyRevealedSpeckleDrawsNoNumbers) {
    SetRandomSeed(99);
    const TRegion region = SpeckleRegion(300, 200, 300, 200, 1, 2);
    EXPECT_EQ(RandomSeed(), 99u);
    EXPECT_EQ(region.Bounds(), Rect(0, 0, 301, 201));  // the last bands overhang by one pixel
}

// --- Random squares --------------------------------------------------------------------------

TEST(RandomSquares, HalfSideGrowsWithProgress) {
    struct Case {
        int width, height, p, d;
    };
    const Case cases[] = {
        {400, 300, 4, 6}, {400, 300, 50, 11}, {400, 300, 99, 15}, {300, 400, 9, 6},
        {40, 30, 1, 1},   // 0 is raised to 1
        {10, 10, 50, 5},  {49, 1000, 9, 1},   {1920, 1080, 25, 23},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RandomSquareHalfSide(c.width, c.height, c.p), c.d) << c.width << "x" << c.height << " p " << c.p;
}

TEST_F(RandomReveal, SquaresSitOnTheChosenGridPoints) {
    // 400 × 300 at p = 4: d = 6, a grid of 67 × 50 points, columns outside, rows inside.
    SetRandomSeed(4242);
    TPixelSet expected(-10, -10, 420, 320);
    int chosen = 0;
    for (int x = 0; x < 400; x += 6)
        for (int y = 0; y < 300; y += 6)
            if (Random(100) < 4) {
                expected.Add(x - 6, y - 6, x + 6, y + 6);
                ++chosen;
            }
    const std::uint32_t seedAfter = RandomSeed();
    EXPECT_GT(chosen, 67 * 50 / 100);  // about 4 %
    EXPECT_LT(chosen, 67 * 50 * 8 / 100);

    SetRandomSeed(4242);
    const std::optional<TRegion> region = BuildRandomRevealRegion(127, ComputeFrameQuantities(400, 300, 4, 4));
    EXPECT_EQ(RandomSeed(), seedAfter);
    ASSERT_TRUE(region.has_value());
    const std::optional<TPoint> difference = expected.FirstDifference(*region);
    EXPECT_FALSE(difference.has_value()) << "at " << difference->X << "," << difference->Y;
}

// A seed from which `draws` numbers below 100 are all at least 1 (no square at p = 1); the
// generator is left just past those draws.
std::uint32_t SeedWithoutZero(int draws) {
    for (std::uint32_t seed = 0;; ++seed) {
        SetRandomSeed(seed);
        int zeros = 0;
        for (int i = 0; i < draws; ++i) zeros += Random(100) == 0;
        if (zeros == 0) return seed;
    }
}

TEST_F(RandomReveal, NoSquareChosenMeansTheWholePicture) {
    // 5 × 5 at p = 1: d = 1, 25 grid points, each chosen only by a draw of 0.
    const TFrameQuantities q = ComputeFrameQuantities(5, 5, 1, 4);
    const std::uint32_t seed = SeedWithoutZero(25);
    const std::uint32_t seedAfter = RandomSeed();
    SetRandomSeed(seed);
    EXPECT_FALSE(BuildRandomRevealRegion(127, q).has_value());
    EXPECT_EQ(RandomSeed(), seedAfter);

    SetRandomSeed(seed);
    ASSERT_FALSE(BuildStyleRegion(127, q).has_value()) << "the frame dispatch builds the same region";
    TBitmap picture = Filled(5, 5, 200, 200, 200, 0), old = Filled(5, 5, 50, 50, 50, 0), screen = Filled(5, 5, 0, 0, 0, 0);
    SetRandomSeed(seed);
    RenderFrame(TFrame{picture, old, screen, 127, 4, 1, {}, {}, {}, {}});
    EXPECT_EQ(ColourBytes(screen), ColourBytes(picture));
}

TEST_F(RandomReveal, TheSameSeedGivesTheSamePattern) {
    for (int style = 123; style <= 127; ++style) {
        const TFrameQuantities q = ComputeFrameQuantities(400, 300, 30, 4);
        SetRandomSeed(777);
        const std::optional<TRegion> first = BuildRandomRevealRegion(static_cast<TShowStyle>(style), q);
        const std::uint32_t seedAfter = RandomSeed();
        SetRandomSeed(777);
        const std::optional<TRegion> again = BuildRandomRevealRegion(static_cast<TShowStyle>(style), q);
        ASSERT_TRUE(first.has_value() && again.has_value()) << "style " << style;
        EXPECT_TRUE(*first == *again) << "style " << style;
        EXPECT_EQ(RandomSeed(), seedAfter);
        EXPECT_NE(seedAfter, 777u) << "style " << style;
        // The next frame draws fresh numbers and so, almost surely, another pattern.
        const std::optional<TRegion> next = BuildRandomRevealRegion(static_cast<TShowStyle>(style), q);
        EXPECT_FALSE(*next == *first) << "style " << style;
    }
}

// --- Through frame composition ---------------------------------------------------------------

TEST(PixelAndRandomStyles, TheEndsShowOnlyTheOldOrOnlyTheNewPicture) {
    const std::uint32_t seed = RandomSeed();
    const TBitmap pictureSource = Noise(37, 21, 12), oldSource = Noise(37, 21, 13);
    for (int style = 118; style <= 127; ++style)
        for (int p : {0, 100}) {
            TBitmap picture = CopyOf(pictureSource), old = CopyOf(oldSource), screen = Noise(37, 21, 14);
            RenderFrame(TFrame{picture, old, screen, static_cast<TShowStyle>(style), 4, p, {}, {}, {}, {}});
            EXPECT_EQ(ColourBytes(screen), ColourBytes(p == 0 ? oldSource : pictureSource)) << "style " << style << " p " << p;
        }
    EXPECT_EQ(RandomSeed(), seed) << "the ends draw no numbers";
}

TEST(PixelAndRandomStyles, FadeAndPivotFramesStartFromTheOldDisplay) {
    const TBitmap pictureSource = Noise(29, 18, 15), oldSource = Noise(29, 18, 16);
    for (int style = 118; style <= 122; ++style) {
        TBitmap picture = CopyOf(pictureSource), old = CopyOf(oldSource), screen = Noise(29, 18, 17);
        TBitmap expected = CopyOf(oldSource);
        ReferenceStyle(style, expected, pictureSource, 37);
        std::vector<TRect> invalidated;
        TFrame frame{picture, old, screen, static_cast<TShowStyle>(style), 4, 37, {}, {}, {}, {}};
        frame.InvalidateScreenRect = [&invalidated](const TRect& r) { invalidated.push_back(r); };
        RenderFrame(frame);
        EXPECT_EQ(ColourBytes(screen), ColourBytes(expected)) << "style " << style;
        EXPECT_EQ(invalidated, std::vector<TRect>{Rect(0, 0, 29, 18)}) << "style " << style;
    }
}

// A screen keeps a trace of what the frame before left there: the picture whole (style 0) or a
// pivot's runs. Each frame then writes only what changed. Forwards, backwards, another corner,
// other styles between, a handler drawing on the screen, the end: every frame must equal the
// same frame composed afresh, and every pixel that changed must lie in what it invalidated.
TEST(PixelAndRandomStyles, FramesWithATraceOfTheOneBeforeEqualFramesComposedAfresh) {
    const int width = 61, height = 37;
    TBitmap picture = Noise(width, height, 22), old = Noise(width, height, 23);
    TBitmap screen = Noise(width, height, 24);
    TScreenTrace trace;
    struct TStep {
        int Style, P;
        bool HandlerDraws = false;
    };
    const TStep steps[] = {{119, 4},  {119, 8},  {119, 50},       {119, 25}, {119, 96}, {120, 30}, {118, 50},
                           {121, 40}, {121, 60}, {121, 61, true}, {121, 62}, {0, 30},   {0, 31},   {0, 90, true},
                           {0, 91},   {122, 60}, {60, 50},        {0, 20},   {122, 100}, {122, 20}, {122, 12}};
    int smallerThanThePicture = 0, nothingToPaint = 0;
    for (const TStep& step : steps) {
        SCOPED_TRACE(testing::Message() << "style " << step.Style << " p " << step.P);
        const TBitmap before = CopyOf(screen);
        TRect invalidated;
        TFrame frame{picture, old, screen, static_cast<TShowStyle>(step.Style), 4, step.P, {}, {}, {}, {}, &trace};
        frame.InvalidateScreenRect = [&invalidated](const TRect& r) { invalidated = UnionRect(invalidated, r); };
        if (step.HandlerDraws)
            frame.OnAfterNewFrame = [](TBitmap&, TBitmap& s) { std::fill_n(s.ScanLine(0), s.RowBytes(), 0x5A); };
        RenderFrame(frame);
        TBitmap afresh = Noise(width, height, 25);
        RenderFrame(TFrame{picture, old, afresh, static_cast<TShowStyle>(step.Style), 4, step.P, {}, {}, {}, {}});
        if (step.HandlerDraws) std::fill_n(afresh.ScanLine(0), afresh.RowBytes(), 0x5A);
        ASSERT_EQ(PixelBytes(screen), PixelBytes(afresh));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const bool changed =
                    !std::equal(screen.ScanLine(y) + 4 * x, screen.ScanLine(y) + 4 * x + 4, before.ScanLine(y) + 4 * x);
                ASSERT_TRUE(!changed || ContainsRect(invalidated, Rect(x, y, x + 1, y + 1)))
                    << "changed at " << x << "," << y;
            }
        if (!ContainsRect(invalidated, Rect(0, 0, width, height))) ++smallerThanThePicture;
        if (IsRectEmpty(invalidated)) ++nothingToPaint;
    }
    EXPECT_GE(smallerThanThePicture, 5) << "a trace that never spares a pixel is no use";
    EXPECT_EQ(nothingToPaint, 1) << "style 0 at 31; at 91 the handler has drawn on the screen";
}

TEST_F(RandomReveal, FramesShowTheNewPictureExactlyThroughTheRegion) {
    const TBitmap pictureSource = Filled(120, 90, 200, 200, 200, 0);
    const TBitmap oldSource = Filled(120, 90, 50, 50, 50, 0);
    for (int style = 123; style <= 127; ++style) {
        const TFrameQuantities q = ComputeFrameQuantities(120, 90, 45, 4);
        SetRandomSeed(31337);
        const std::optional<TRegion> region = BuildRandomRevealRegion(static_cast<TShowStyle>(style), q);
        SetRandomSeed(31337);
        const std::optional<TRegion> routed = BuildStyleRegion(static_cast<TShowStyle>(style), q);
        ASSERT_TRUE(routed.has_value() && region.has_value() && *routed == *region)
            << "the frame dispatch builds the same region for style " << style;
        TBitmap picture = CopyOf(pictureSource), old = CopyOf(oldSource), screen = Filled(120, 90, 0, 0, 0, 0);
        SetRandomSeed(31337);
        RenderFrame(TFrame{picture, old, screen, static_cast<TShowStyle>(style), 4, 45, {}, {}, {}, {}});
        for (int y = 0; y < 90; ++y)
            for (int x = 0; x < 120; ++x)
                ASSERT_EQ(screen.ScanLine(y)[x * 4], region->Contains(x, y) ? 200 : 50)
                    << "style " << style << " at " << x << "," << y;
    }
}

}  // namespace
}  // namespace pellumo
