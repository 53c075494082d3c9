#include "raster/bitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/image_limits.h"
#include "raster/pixel_rows.h"
#include "pixels.h"

namespace pellumo {
namespace {

using probe::PixelAt;
using probe::Rgb;
using probe::SetPixel;




constexpr TPixelFormat kAllFormats[] = {pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit};
constexpr int kOddWidths[] = {1, 3, 5, 7, 13};

// Picked away from ties so that each has one nearest entry in every default palette.
constexpr Rgb kColours[] = {{0, 0, 0},       {255, 255, 255}, {250, 10, 5},  {0, 120, 0},
                            {100, 100, 100}, {210, 200, 60},  {30, 60, 230}};

// A 24-bit bitmap whose pixel (x, y) is kColours[(x + y) % 7].
void MakeColourBitmap(TBitmap& bitmap, int width, int height) {
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) SetPixel(bitmap, x, y, kColours[(x + y) % 7]);
}

int Expand5Trunc(int v) { return Expand5(static_cast<unsigned>(v) >> 3); }
int Expand6Trunc(int v) { return Expand6(static_cast<unsigned>(v) >> 2); }

TEST(BitmapFormat, IndexedWithoutPaletteTakesNearestDefaultColour) {
    struct Case {
        TPixelFormat format;
        Rgb expected[7];
    };
    const Case cases[] = {
        {pf1bit, {{0, 0, 0}, {255, 255, 255}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {255, 255, 255}, {0, 0, 0}}},
        {pf4bit,
         {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 128, 0}, {128, 128, 128}, {255, 255, 0}, {0, 0, 255}}},
        // The 40 extra grays hold (100,100,100) exactly.
        {pf8bit,
         {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 102, 0}, {100, 100, 100}, {204, 204, 51}, {51, 51, 255}}},
    };
    for (const Case& c : cases) {
        for (int width : kOddWidths) {
            SCOPED_TRACE(testing::Message() << "format " << c.format << " width " << width);
            TBitmap bitmap;
            MakeColourBitmap(bitmap, width, 2);
            bitmap.SetPixelFormat(c.format);
            EXPECT_EQ(bitmap.Palette(), DefaultPalette(BitsPerPixel(c.format)));
            EXPECT_EQ(bitmap.Palette().size(), std::size_t{1} << BitsPerPixel(c.format));
            bitmap.SetPixelFormat(pf24bit);
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < width; ++x) EXPECT_EQ(PixelAt(bitmap, x, y), c.expected[(x + y) % 7]);
        }
    }
}

// What a conversion makes of a colour: the nearest palette entry (lowest index on ties) for
// indexed formats, truncated channels for 16-bit ones.
Rgb Quantize(TPixelFormat format, const TPalette& palette, Rgb c) {
    if (IsIndexed(format)) {
        Rgb best{};
        int bestDistance = 1 << 30;
        for (const TPaletteEntry& e : palette) {
            const int d = (e.peRed - c.r) * (e.peRed - c.r) + (e.peGreen - c.g) * (e.peGreen - c.g) +
                          (e.peBlue - c.b) * (e.peBlue - c.b);
            if (d < bestDistance) {
                bestDistance = d;
                best = {e.peRed, e.peGreen, e.peBlue};
            }
        }
        return best;
    }
    if (format == pf15bit) return {Expand5Trunc(c.r), Expand5Trunc(c.g), Expand5Trunc(c.b)};
    if (format == pf16bit) return {Expand5Trunc(c.r), Expand6Trunc(c.g), Expand5Trunc(c.b)};
    return c;
}

TEST(BitmapFormat, EveryFormatToEveryOther) {
    for (TPixelFormat from : kAllFormats) {
        for (TPixelFormat to : kAllFormats) {
            SCOPED_TRACE(testing::Message() << "from " << from << " to " << to);
            TBitmap bitmap;
            MakeColourBitmap(bitmap, 13, 3);
            bitmap.SetPixelFormat(from);
            bitmap.SetPixelFormat(to);
            EXPECT_EQ(bitmap.PixelFormat(), to);
            ASSERT_EQ(bitmap.Width(), 13);
            ASSERT_EQ(bitmap.Height(), 3);
            // An indexed source's palette carries over when every entry still has an index.
            const TPalette& fromPalette = DefaultPalette(BitsPerPixel(from));
            const bool carried = IsIndexed(from) && fromPalette.size() <= (std::size_t{1} << BitsPerPixel(to));
            const TPalette& toPalette = carried ? fromPalette : DefaultPalette(BitsPerPixel(to));
            for (int y = 0; y < 3; ++y) {
                for (int x = 0; x < 13; ++x) {
                    const Rgb c = kColours[(x + y) % 7];
                    const Rgb expected = Quantize(to, toPalette, Quantize(from, fromPalette, c));
                    ASSERT_EQ(PixelAt(bitmap, x, y), expected) << "x " << x << " y " << y;
                }
            }
        }
    }
}

// Rows of no pixels have no storage: a format change must not touch it (the sanitizers watch).
TEST(BitmapFormat, PicturesWithoutColumnsChangeFormatToo) {
    for (TPixelFormat from : kAllFormats)
        for (TPixelFormat to : kAllFormats) {
            TBitmap bitmap;
            bitmap.SetPixelFormat(from);
            bitmap.SetSize(0, 256);
            bitmap.SetPixelFormat(to);
            EXPECT_EQ(bitmap.PixelFormat(), to);
            EXPECT_EQ(bitmap.Height(), 256);
        }
}

TEST(BitmapFormat, IndexedToIndexedKeepsIndicesOfOwnPalette) {
    // Duplicates and a missing black: only kept indices give these pixels back.
    const TPalette palette = {{255, 0, 0, 0}, {0, 128, 0, 0}, {255, 0, 0, 0}, {0, 0, 255, 0}, {255, 255, 255, 0}};
    const std::uint8_t indices[] = {0, 1, 2, 3, 4, 2, 200};
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf8bit);
    bitmap.SetPalette(palette);
    bitmap.SetSize(7, 1);
    std::memcpy(bitmap.ScanLine(0), indices, 7);

    bitmap.SetPixelFormat(pf4bit);
    EXPECT_EQ(bitmap.Palette(), palette);
    // Index 200 has no entry: it reads black, whose nearest entry is the green.
    const std::uint8_t expected[] = {0, 1, 2, 3, 4, 2, 1};
    for (int x = 0; x < 7; ++x) EXPECT_EQ(GetIndex(bitmap.ScanLine(0), 4, x), expected[x]) << "x " << x;

    // Five entries do not fit one bit: black and white take over.
    bitmap.SetPixelFormat(pf1bit);
    EXPECT_EQ(bitmap.Palette(), DefaultPalette(1));
    const std::uint8_t mono[] = {0, 0, 0, 0, 1, 0, 0};
    for (int x = 0; x < 7; ++x) EXPECT_EQ(GetIndex(bitmap.ScanLine(0), 1, x), mono[x]) << "x " << x;
}

TEST(BitmapFormat, CustomIsRefused) {
    TBitmap bitmap;
    MakeColourBitmap(bitmap, 3, 2);
    EXPECT_THROW(bitmap.SetPixelFormat(pfCustom), EInvalidGraphic);
    EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
    EXPECT_EQ(PixelAt(bitmap, 2, 1), kColours[3]);
}

TEST(BitmapFormat, HandleTypeFollowsDeviceFormat) {
    TBitmap bitmap;
    EXPECT_EQ(bitmap.HandleType(), bmDDB);
    MakeColourBitmap(bitmap, 5, 1);
    EXPECT_EQ(bitmap.HandleType(), bmDIB);
    bitmap.SetHandleType(bmDDB);
    EXPECT_EQ(bitmap.PixelFormat(), pfDevice);
    bitmap.SetHandleType(bmDIB);
    EXPECT_EQ(bitmap.PixelFormat(), pf32bit);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelAt(bitmap, x, 0), kColours[x]);
    bitmap.SetPixelFormat(pf8bit);
    bitmap.SetHandleType(bmDIB);  // already device-independent: stays indexed
    EXPECT_EQ(bitmap.PixelFormat(), pf8bit);
}

TEST(BitmapScanLine, RowsOutsideTheImageRaise) {
    TBitmap bitmap;
    EXPECT_THROW(bitmap.ScanLine(0), EInvalidGraphicOperation);
    bitmap.SetSize(3, 2);
    EXPECT_NO_THROW(bitmap.ScanLine(1));
    for (int row : {-1, 2, 1000000}) EXPECT_THROW(bitmap.ScanLine(row), EInvalidGraphicOperation) << row;
    const TBitmap& constant = bitmap;
    EXPECT_THROW(constant.ScanLine(-1), EInvalidGraphicOperation);
}

// Frames are rows copied between pictures; rows that start a few bytes into a cache line made
// those copies three times slower. The picture sizes of the screens and of the slides.
TEST(BitmapScanLine, RowsOfScreenSizedPicturesStartOnACacheLine) {
    for (const auto& [width, height] : {std::pair{1920, 1080}, {3840, 2160}, {640, 480}}) {
        TBitmap bitmap;
        bitmap.SetSize(width, height);
        bitmap.SetSize(width, height + 1);  // moved to a buffer of the new size
        for (const int row : {0, 1, height})
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(bitmap.ScanLine(row)) % 64, 0u) << width << " row " << row;
    }
}

TEST(BitmapSize, ResizingKeepsSharedPixelsAndClearsNewOnes) {
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit}) {
        for (int width : kOddWidths) {
            SCOPED_TRACE(testing::Message() << "format " << format << " width " << width);
            TBitmap bitmap;
            MakeColourBitmap(bitmap, width, 3);
            bitmap.SetPixelFormat(format);
            std::vector<Rgb> before;
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < width; ++x) before.push_back(PixelAt(bitmap, x, y));
            // Shrink, then grow past the original: cut-off pixels must not come back from the
            // row padding. New pixels are 0, black in every default palette.
            const int narrow = width / 2;
            bitmap.SetSize(narrow, 2);
            bitmap.SetSize(width + 9, 4);
            ASSERT_EQ(bitmap.RowBytes(), RowStride(width + 9, BitsPerPixel(format)));
            for (int y = 0; y < 4; ++y) {
                for (int x = 0; x < width + 9; ++x) {
                    const bool kept = y < 2 && x < narrow;
                    EXPECT_EQ(PixelAt(bitmap, x, y), (kept ? before[y * width + x] : Rgb{0, 0, 0})) << x << "," << y;
                }
            }
        }
    }
}

TEST(BitmapSize, ImpossibleSizesRaiseAndChangeNothing) {
    TBitmap bitmap;
    MakeColourBitmap(bitmap, 5, 3);
    int changes = 0;
    bitmap.OnChange = [&](TGraphic&) { ++changes; };
    const std::pair<int, int> sizes[] = {{100000, 100000}, {-1, 3}, {5, -1}, {16385, 16385}, {1 << 29, 1}};
    for (const auto& [width, height] : sizes) {
        EXPECT_THROW(bitmap.SetSize(width, height), EConvertError) << width << " x " << height;
        EXPECT_EQ(bitmap.Width(), 5);
        EXPECT_EQ(bitmap.Height(), 3);
        EXPECT_EQ(PixelAt(bitmap, 4, 2), kColours[6]);
    }
    EXPECT_THROW(bitmap.SetWidth(1 << 30), EConvertError);
    EXPECT_THROW(bitmap.SetHeight(-5), EConvertError);
    EXPECT_EQ(changes, 0);
}

TEST(BitmapLifetime, ReleaseAssignAndChangeEvents) {
    TBitmap source;
    MakeColourBitmap(source, 7, 2);
    source.SetPixelFormat(pf4bit);
    const TPalette palette = {{1, 2, 3, 0}, {250, 250, 250, 0}, {9, 8, 7, 0}};
    source.SetPalette(palette);

    TBitmap copy;
    int changes = 0;
    copy.OnChange = [&](TGraphic& sender) {
        EXPECT_EQ(&sender, &copy);
        ++changes;
    };
    copy.Assign(source);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(copy.Width(), 7);
    EXPECT_EQ(copy.PixelFormat(), pf4bit);
    EXPECT_EQ(copy.Palette(), palette);
    ASSERT_EQ(copy.RowBytes(), source.RowBytes());
    EXPECT_EQ(std::memcmp(copy.ScanLine(1), source.ScanLine(1), source.RowBytes()), 0);
    copy.ScanLine(0)[0] ^= 0xFF;  // the copy owns its pixels
    EXPECT_NE(copy.ScanLine(0)[0], source.ScanLine(0)[0]);
    copy.Assign(copy);
    EXPECT_EQ(changes, 1);

    copy.SetSize(7, 2);  // same size: nothing happens
    copy.SetPixelFormat(pf4bit);
    EXPECT_EQ(changes, 1);
    copy.SetSize(8, 2);
    copy.SetPixelFormat(pf24bit);
    copy.SetPalette({});
    copy.SetPixelFormat(pfDevice);
    EXPECT_EQ(changes, 5);

    copy.ReleaseHandle();
    EXPECT_EQ(changes, 6);
    EXPECT_TRUE(copy.Empty());
    EXPECT_EQ(copy.Width(), 0);
    EXPECT_EQ(copy.Height(), 0);
    EXPECT_EQ(copy.PixelFormat(), pfDevice);
    EXPECT_TRUE(copy.Palette().empty());
    EXPECT_EQ(source.Width(), 7);

    TBitmap big;
    big.SetPalette(TPalette(300));
    EXPECT_EQ(big.Palette().size(), kMaxPaletteEntries);
}

}  // namespace
}  // namespace pellumo
