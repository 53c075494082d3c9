#include "imaging/formats/psd_graphic.h"

#include <gtest/gtest.h>

#include "file_bytes.h"
#include "raster/pixels.h"

namespace pellumo {
namespace {

using probe::PixelAt;
using probe::Rgb;
using test::LoadInto;
using test::TFileBytes;
using TBytes = std::vector<std::uint8_t>;

constexpr int kWidth = 10, kHeight = 2;

struct TPSDLayout {
    int Mode = 3;
    int Channels = 3;
    int Depth = 8;
    TBytes ColorModeData = {};
    int Compression = 0;
};

// The row bytes of channel c, row y.
using TRowMaker = TBytes (*)(int c, int y);

TBytes File(const TPSDLayout& l, TRowMaker row) {
    TFileBytes file;
    file.Text("8BPS").BE16(1).Zeros(6).BE16(l.Channels).BE32(kHeight).BE32(kWidth).BE16(l.Depth).BE16(l.Mode);
    file.BE32(static_cast<std::uint32_t>(l.ColorModeData.size())).Bytes(l.ColorModeData).BE32(0).BE32(0);
    file.BE16(l.Compression);
    if (l.Compression == 1) {
        // Each row one literal packet: a count byte ahead of the row.
        for (int c = 0; c < l.Channels; ++c)
            for (int y = 0; y < kHeight; ++y) file.BE16(static_cast<std::uint32_t>(row(c, y).size()) + 1);
        for (int c = 0; c < l.Channels; ++c)
            for (int y = 0; y < kHeight; ++y) file.U8(static_cast<std::uint32_t>(row(c, y).size()) - 1).Bytes(row(c, y));
    } else {
        for (int c = 0; c < l.Channels; ++c)
            for (int y = 0; y < kHeight; ++y) file.Bytes(row(c, y));
    }
    return file.Data();
}

std::uint8_t Sample(int c, int y, int x) { return static_cast<std::uint8_t>(50 * c + 20 * y + x); }

TBytes ColorRow(int c, int y) {
    TBytes row(kWidth);
    for (int x = 0; x < kWidth; ++x) row[x] = Sample(c, y, x);
    return row;
}

TBytes FullRow(int, int) { return TBytes(kWidth, 255); }

TEST(PSDGraphic, PackBitsAndRawTwinsGiveTheSameColourBitmap) {
    for (const int compression : {0, 1}) {
        TPSDGraphic psd;
        ASSERT_EQ(LoadInto(psd, File({.Compression = compression}, ColorRow)), "");
        EXPECT_EQ(psd.PixelFormat(), pf24bit);
        EXPECT_EQ(PixelAt(psd, 9, 1), (Rgb{Sample(0, 1, 9), Sample(1, 1, 9), Sample(2, 1, 9)}));
    }
}

TEST(PSDGraphic, AFourthChannelIsAlphaAndFurtherChannelsAreIgnored) {
    for (const int channels : {4, 5}) {
        TPSDGraphic psd;
        ASSERT_EQ(LoadInto(psd, File({.Channels = channels, .Compression = 1}, ColorRow)), "");
        EXPECT_EQ(psd.PixelFormat(), pf32bit);
        EXPECT_EQ(PixelAt(psd, 3, 1), (Rgb{Sample(0, 1, 3), Sample(1, 1, 3), Sample(2, 1, 3)}));
        EXPECT_EQ(psd.ScanLine(1)[4 * 3 + 3], Sample(3, 1, 3));
    }
}

TEST(PSDGraphic, CMYKWithoutInkIsWhite) {
    TPSDGraphic psd;
    ASSERT_EQ(LoadInto(psd, File({.Mode = 4, .Channels = 5}, FullRow)), "");
    EXPECT_EQ(psd.PixelFormat(), pf24bit);
    EXPECT_EQ(PixelAt(psd, 4, 1), (Rgb{255, 255, 255}));
}

TEST(PSDGraphic, BitmapModeRowsAreBitsWithWhiteFirst) {
    // Ten pixels take two bytes a row; 1 is black.
    const TRowMaker bits = [](int, int y) { return y == 0 ? TBytes{0x80, 0x40} : TBytes{0x00, 0xC0}; };
    for (const int compression : {0, 1}) {
        TPSDGraphic psd;
        ASSERT_EQ(LoadInto(psd, File({.Mode = 0, .Channels = 1, .Depth = 1, .Compression = compression}, bits)), "");
        EXPECT_EQ(psd.PixelFormat(), pf1bit);
        ASSERT_EQ(psd.Palette().size(), 2u);
        EXPECT_EQ(psd.Palette()[0].peRed, 255);
        EXPECT_EQ(PixelAt(psd, 0, 0), (Rgb{0, 0, 0}));
        EXPECT_EQ(PixelAt(psd, 1, 0), (Rgb{255, 255, 255}));
        EXPECT_EQ(PixelAt(psd, 9, 0), (Rgb{0, 0, 0}));
        EXPECT_EQ(PixelAt(psd, 9, 1), (Rgb{0, 0, 0}));
        EXPECT_EQ(PixelAt(psd, 7, 1), (Rgb{255, 255, 255}));
    }
}

TEST(PSDGraphic, SixteenBitGrayAndDuotoneLoadAsGrayLevels) {
    const TRowMaker wide = [](int, int y) {
        TBytes row;
        for (int x = 0; x < kWidth; ++x) row.insert(row.end(), {Sample(0, y, x), 0x80});
        return row;
    };
    for (const int compression : {0, 1}) {
        TPSDGraphic psd;
        ASSERT_EQ(LoadInto(psd, File({.Mode = 1, .Channels = 1, .Depth = 16, .Compression = compression}, wide)), "");
        EXPECT_EQ(psd.PixelFormat(), pf8bit);
        EXPECT_EQ(PixelAt(psd, 9, 1).g, Sample(0, 1, 9));
    }
    TPSDGraphic duotone;
    ASSERT_EQ(LoadInto(duotone, File({.Mode = 8, .Channels = 1, .ColorModeData = TBytes(40, 7)}, ColorRow)), "");
    EXPECT_EQ(PixelAt(duotone, 5, 1), (Rgb{Sample(0, 1, 5), Sample(0, 1, 5), Sample(0, 1, 5)}));
}

TEST(PSDGraphic, IndexedColoursComeFromThreePlanesClippedTo256) {
    // 258 entries a plane: red i, green i + 1, blue i + 2 (modulo 256).
    TBytes table;
    for (int plane = 0; plane < 3; ++plane)
        for (int i = 0; i < 258; ++i) table.push_back(static_cast<std::uint8_t>(i + plane));
    TPSDGraphic psd;
    ASSERT_EQ(LoadInto(psd, File({.Mode = 2, .Channels = 1, .ColorModeData = table}, ColorRow)), "");
    EXPECT_EQ(psd.PixelFormat(), pf8bit);
    EXPECT_EQ(psd.Palette().size(), 256u);
    const std::uint8_t index = Sample(0, 1, 2);
    EXPECT_EQ(PixelAt(psd, 2, 1), (Rgb{index, index + 1, index + 2}));
}

TEST(PSDGraphic, RefusesWhatItCannotShow) {
    const std::string invalidColor = "Invalid color format in PSD or PDD file.";
    TPSDGraphic psd;
    TBytes file = File({}, ColorRow);
    file[0] = '9';
    EXPECT_EQ(LoadInto(psd, file), "Cannot load image. Invalid or unexpected PSD or PDD image format.");
    EXPECT_EQ(LoadInto(psd, File({.Channels = 2}, ColorRow)), invalidColor);
    EXPECT_EQ(LoadInto(psd, File({.Depth = 32}, ColorRow)), invalidColor);
    EXPECT_EQ(LoadInto(psd, File({.Mode = 5}, ColorRow)), invalidColor);
    EXPECT_EQ(LoadInto(psd, File({.Mode = 9, .Depth = 16}, ColorRow)), invalidColor);
    EXPECT_EQ(LoadInto(psd, File({.Compression = 2}, ColorRow)),
              "Cannot load image. The compression scheme is not supported for PSD or PDD files.");
    EXPECT_EQ(LoadInto(psd, File({.Mode = 2, .Channels = 1}, ColorRow)),
              "Cannot load image. Palette in PSD or PDD file is invalid.");
    file = File({.Compression = 1}, ColorRow);
    file.pop_back();
    EXPECT_EQ(LoadInto(psd, file), "Stream read error in PSD or PDD file.");
    // Rows of no packed bytes cannot fill the image.
    file = File({.Compression = 1}, ColorRow);
    std::fill(file.begin() + 40, file.begin() + 40 + 2 * 3 * kHeight, 0);
    EXPECT_EQ(LoadInto(psd, file), "Cannot load image. Compression error found in PSD or PDD file.");
}

}  // namespace
}  // namespace pellumo
