#include "imaging/formats/sgi_graphic.h"

#include <gtest/gtest.h>

#include "file_bytes.h"
#include "raster/pixels.h"

namespace pellumo {
namespace {

using probe::PixelAt;
using probe::Rgb;
using test::LoadInto;
using test::TFileBytes;

constexpr int kWidth = 3, kHeight = 2;

// The sample of channel c at column x of the r-th row stored.
std::uint8_t Sample(int c, int r, int x) { return static_cast<std::uint8_t>(60 * c + 20 * r + x + 1); }

TFileBytes Header(std::uint8_t storage, std::uint8_t bytesPerChannel, int channels, std::uint16_t magic = 474) {
    TFileBytes file;
    file.BE16(magic).U8(storage).U8(bytesPerChannel).BE16(3).BE16(kWidth).BE16(kHeight).BE16(channels);
    return file.PadTo(512);
}

std::vector<std::uint8_t> RawFile(int channels, std::uint8_t bytesPerChannel = 1) {
    TFileBytes file = Header(0, bytesPerChannel, channels);
    for (int c = 0; c < channels; ++c)
        for (int r = 0; r < kHeight; ++r)
            for (int x = 0; x < kWidth; ++x) bytesPerChannel == 2 ? file.BE16(Sample(c, r, x) * 257) : file.U8(Sample(c, r, x));
    return file.Data();
}

// Each row one literal packet and the end mark; the rows in reverse order in the file.
std::vector<std::uint8_t> RunLengthFile(int channels) {
    TFileBytes file = Header(1, 1, channels);
    const std::uint32_t rowLength = kWidth + 2, dataStart = 512 + 8 * kHeight * channels;
    const int rows = kHeight * channels;
    for (int i = 0; i < rows; ++i) file.BE32(dataStart + (rows - 1 - i) * rowLength);
    for (int i = 0; i < rows; ++i) file.BE32(rowLength);
    for (int i = rows - 1; i >= 0; --i) {
        file.U8(0x80 | kWidth);
        for (int x = 0; x < kWidth; ++x) file.U8(Sample(i / kHeight, i % kHeight, x));
        file.U8(0);
    }
    return file.Data();
}

TEST(SGIGraphic, RawAndRunLengthTwinsGiveTheSameBitmapFirstRowAtTheBottom) {
    for (const auto& file : {RawFile(3), RunLengthFile(3)}) {
        TSGIGraphic sgi;
        ASSERT_EQ(LoadInto(sgi, file), "");
        EXPECT_EQ(sgi.PixelFormat(), pf24bit);
        for (int r = 0; r < kHeight; ++r)
            for (int x = 0; x < kWidth; ++x)
                EXPECT_EQ(PixelAt(sgi, x, kHeight - 1 - r), (Rgb{Sample(0, r, x), Sample(1, r, x), Sample(2, r, x)}));
    }
}

TEST(SGIGraphic, FourChannelsKeepAlphaAndSixteenBitSamplesAreNarrowed) {
    TSGIGraphic sgi;
    ASSERT_EQ(LoadInto(sgi, RunLengthFile(4)), "");
    EXPECT_EQ(sgi.PixelFormat(), pf32bit);
    EXPECT_EQ(sgi.ScanLine(kHeight - 1)[3], Sample(3, 0, 0));
    ASSERT_EQ(LoadInto(sgi, RawFile(3, 2)), "");
    EXPECT_EQ(PixelAt(sgi, 2, 0), (Rgb{Sample(0, 1, 2), Sample(1, 1, 2), Sample(2, 1, 2)}));
}

TEST(SGIGraphic, OneChannelOfOneOrTwoBytesIsGray) {
    for (const auto& file : {RawFile(1), RawFile(1, 2), RunLengthFile(1), RawFile(2)}) {
        TSGIGraphic sgi;
        ASSERT_EQ(LoadInto(sgi, file), "");
        EXPECT_EQ(sgi.PixelFormat(), pf8bit);
        ASSERT_EQ(sgi.Palette().size(), 256u);
        EXPECT_EQ(sgi.Palette()[200].peRed, 200);
        // Two-byte gray comes out one byte per pixel, not as bytes spilling over the row.
        for (int x = 0; x < kWidth; ++x) EXPECT_EQ(sgi.ScanLine(0)[x], Sample(0, 1, x));
    }
}

TEST(SGIGraphic, RefusesBrokenFilesClearly) {
    const std::string invalid = "Cannot load image. Invalid or unexpected sgi, bw or rgb(a) image format.";
    const std::string readError = "Stream read error in sgi, bw or rgb(a) file.";
    TSGIGraphic sgi;
    EXPECT_EQ(LoadInto(sgi, Header(0, 1, 3, 475).Data()), invalid);
    EXPECT_EQ(LoadInto(sgi, Header(0, 1, 0).Data()), invalid);
    EXPECT_EQ(LoadInto(sgi, Header(0, 3, 3).Data()), invalid);
    std::vector<std::uint8_t> truncated = RawFile(3);
    truncated.pop_back();
    EXPECT_EQ(LoadInto(sgi, truncated), readError);
    EXPECT_EQ(LoadInto(sgi, Header(1, 1, 3).Data()), readError);  // no tables
    // A row whose offset points into the header.
    std::vector<std::uint8_t> intoHeader = RunLengthFile(3);
    intoHeader[512] = intoHeader[513] = intoHeader[514] = intoHeader[515] = 0;
    EXPECT_EQ(LoadInto(sgi, intoHeader), invalid);
}

}  // namespace
}  // namespace pellumo
