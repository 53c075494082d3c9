#include "authoring/picture_orientation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "authoring/exif_orientation.h"
#include "base/memory_stream.h"
#include "raster/bitmap.h"
#include "raster/jpeg_image.h"

namespace pellumo {
namespace {

// Pixels named by letters a..f, rows separated by '/': "abc/def" is 3 wide and 2 high. Indexed
// formats get a palette of the six colours.
TColor ColourOf(char letter) {
    const auto n = static_cast<std::uint8_t>(letter - 'a');
    return RGB(static_cast<std::uint8_t>(20 * n + 10), static_cast<std::uint8_t>(200 - 20 * n), 77);
}

TBitmap Lettered(const std::string& rows, TPixelFormat format) {
    std::vector<std::string> lines{""};
    for (const char c : rows) {
        if (c == '/')
            lines.emplace_back();
        else
            lines.back().push_back(c);
    }
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(static_cast<int>(lines[0].size()), static_cast<int>(lines.size()));
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            bitmap.Canvas().Brush.Color = ColourOf(lines[y][x]);
            bitmap.Canvas().FillRect(TRect{x, y, x + 1, y + 1});
        }
    }
    if (IsIndexed(format)) {
        TPalette palette;
        for (char c = 'a'; c <= 'f'; ++c) {
            const TColor colour = ColourOf(c);
            palette.push_back({GetRValue(colour), GetGValue(colour), GetBValue(colour), 0});
        }
        bitmap.SetPalette(palette);
    }
    bitmap.SetPixelFormat(format);
    return bitmap;
}

std::string LettersOf(const TBitmap& picture) {
    TBitmap bitmap;
    bitmap.Assign(picture);
    bitmap.SetPixelFormat(pf24bit);
    std::string rows;
    for (int y = 0; y < bitmap.Height(); ++y) {
        if (y > 0) rows += '/';
        for (int x = 0; x < bitmap.Width(); ++x) {
            const std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
            rows += static_cast<char>('a' + (p[2] - 10) / 20);
        }
    }
    return rows;
}

// A 3 x 2 picture as each orientation stores it, read upright.
TEST(OrientUpright, EveryOrientationInEveryDecodedFormat) {
    const char* upright[] = {nullptr,   "abc/def",  "cba/fed",  "fed/cba", "def/abc",
                             "ad/be/cf", "da/eb/fc", "fc/eb/da", "cf/be/ad"};
    for (const TPixelFormat format : {pf24bit, pf8bit, pf32bit, pf4bit}) {
        for (int orientation = 0; orientation <= 9; ++orientation) {
            SCOPED_TRACE(testing::Message() << "format " << format << ", orientation " << orientation);
            TBitmap picture = Lettered("abc/def", format);
            const TPalette palette = picture.Palette();
            OrientUpright(picture, orientation);
            const bool known = orientation >= 1 && orientation <= 8;
            EXPECT_EQ(LettersOf(picture), known ? upright[orientation] : "abc/def");
            EXPECT_EQ(picture.PixelFormat(), format);
            EXPECT_EQ(picture.Palette(), palette);
        }
    }
}

// A 4-bit picture without a palette of its own is shown in the 16 standard colours; turning it
// moves its indices and keeps those colours.
TEST(OrientUpright, SubBytePixelsKeepTheirDefaultColours) {
    TBitmap picture;
    picture.SetPixelFormat(pf4bit);
    picture.SetSize(3, 1);
    picture.ScanLine(0)[0] = 0x1E;
    picture.ScanLine(0)[1] = 0x90;
    OrientUpright(picture, 2);
    EXPECT_EQ(picture.ScanLine(0)[0], 0x9E);
    EXPECT_EQ(picture.ScanLine(0)[1] & 0xF0, 0x10);
    EXPECT_EQ(picture.Palette(), DefaultPalette(4));
}

std::vector<std::uint8_t> FileBytes(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TBitmap Decoded(const std::vector<std::uint8_t>& bytes) {
    TJPEGImage jpeg;
    TBitmap bitmap;
    TMemoryStream stream(bytes);
    jpeg.LoadFromStream(stream);
    bitmap.Assign(jpeg);
    return bitmap;
}

// The file's quadrants are red, green / blue, white; a quarter turn clockwise puts blue top
// left. A gray JPEG stays 8-bit with its gray palette.
TEST(OrientUpright, TurnsACameraJpegUpright) {
    const std::vector<std::uint8_t> bytes = FileBytes(PELLUMO_TEST_DATA "/jpeg/orientation_6_mm_16x16.jpg");
    TBitmap picture = Decoded(bytes);
    OrientUpright(picture, ExifOrientation(bytes));
    ASSERT_EQ(picture.PixelFormat(), pf24bit);
    const auto near = [&](int x, int y, int red, int green, int blue) {
        const std::uint8_t* p = picture.ScanLine(y) + 3 * x;
        return std::abs(p[2] - red) < 8 && std::abs(p[1] - green) < 8 && std::abs(p[0] - blue) < 8;
    };
    EXPECT_TRUE(near(4, 4, 30, 50, 220));
    EXPECT_TRUE(near(12, 4, 200, 30, 40));
    EXPECT_TRUE(near(4, 12, 250, 250, 250));
    EXPECT_TRUE(near(12, 12, 20, 180, 60));

    TBitmap gray = Decoded(FileBytes(PELLUMO_TEST_DATA "/jpeg/gray_16x16.jpg"));
    const std::uint8_t topLeft = gray.ScanLine(0)[0];
    OrientUpright(gray, 3);
    EXPECT_EQ(gray.PixelFormat(), pf8bit);
    EXPECT_EQ(gray.Palette(), GrayPalette());
    EXPECT_EQ(gray.ScanLine(15)[15], topLeft);
}

}  // namespace
}  // namespace pellumo
