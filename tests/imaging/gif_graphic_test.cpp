#include "imaging/formats/gif_graphic.h"

#include <gtest/gtest.h>

#include <string>

#include "base/memory_stream.h"
#include "raster/picture.h"
#include "raster/pixels.h"

namespace pellumo {
namespace {

using probe::PixelAt;
using probe::Rgb;
using TBytes = std::vector<std::uint8_t>;

TBytes operator+(TBytes a, const TBytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TBytes LE16(int value) { return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)}; }

TBytes Signature(const std::string& text = "GIF89a") { return TBytes(text.begin(), text.end()); }

// Screen descriptor with a global table of 4 entries, entry i = (10 i, 20 i, 30 i).
TBytes Screen(int width, int height, bool table = true) {
    TBytes s = LE16(width) + LE16(height) + TBytes{static_cast<std::uint8_t>(table ? 0x81 : 0), 0, 0};
    if (table)
        for (int i = 0; i < 4; ++i)
            s = s + TBytes{static_cast<std::uint8_t>(10 * i), static_cast<std::uint8_t>(20 * i), static_cast<std::uint8_t>(30 * i)};
    return s;
}

TBytes Descriptor(int width, int height, std::uint8_t flags = 0) {
    return TBytes{0x2C} + LE16(0) + LE16(0) + LE16(width) + LE16(height) + TBytes{flags};
}

// Image data with minimum code size 2: each pixel as a clear code and a literal, so that the
// codes stay 3 bits wide; split into sub-blocks of at most `blockSize` bytes.
TBytes ImageData(const TBytes& pixels, std::size_t blockSize = 255, bool endCode = true) {
    TBytes packed;
    std::uint32_t acc = 0, bits = 0;
    auto put = [&](std::uint32_t code) {
        acc |= code << bits;
        bits += 3;
        while (bits >= 8) {
            packed.push_back(static_cast<std::uint8_t>(acc));
            acc >>= 8;
            bits -= 8;
        }
    };
    for (std::uint8_t p : pixels) {
        put(4);
        put(p);
    }
    if (endCode) put(5);
    if (bits > 0) packed.push_back(static_cast<std::uint8_t>(acc));
    TBytes data{2};
    for (std::size_t at = 0; at < packed.size(); at += blockSize) {
        const std::size_t n = std::min(blockSize, packed.size() - at);
        data.push_back(static_cast<std::uint8_t>(n));
        data.insert(data.end(), packed.begin() + static_cast<std::ptrdiff_t>(at), packed.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    data.push_back(0);
    return data;
}

void Load(TGIFGraphic& gif, const TBytes& file) {
    TMemoryStream stream(file);
    gif.LoadFromStream(stream);
}

TEST(GIFGraphic, ReadsTheFirstImageWithItsPaletteInAnyLetterCase) {
    const TBytes body = Screen(3, 2) + Descriptor(3, 2) + ImageData({0, 1, 2, 3, 2, 1}, 2) + TBytes{0x3B};
    for (const char* signature : {"GIF87a", "gif89a"}) {
        TGIFGraphic gif;
        Load(gif, Signature(signature) + body);
        EXPECT_EQ(gif.PixelFormat(), pf8bit);
        EXPECT_EQ(gif.Width(), 3);
        EXPECT_EQ(gif.Height(), 2);
        EXPECT_EQ(PixelAt(gif, 1, 0), (Rgb{10, 20, 30}));
        EXPECT_EQ(PixelAt(gif, 0, 1), (Rgb{30, 60, 90}));
        EXPECT_EQ(gif.ScanLine(1)[2], 1);
    }
    TGIFGraphic gif;
    try {
        Load(gif, Signature("GIX89a") + body);
        FAIL() << "loaded";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Cannot load image. Invalid or unexpected GIF image format.");
    }
}

TEST(GIFGraphic, ZeroSizeTakesTheScreenAndALocalTableReplacesTheGlobalOne) {
    TGIFGraphic gif;
    Load(gif, Signature() + Screen(2, 2) + Descriptor(0, 0) + ImageData({3, 3, 3, 3}));
    EXPECT_EQ(gif.Width(), 2);
    EXPECT_EQ(gif.Height(), 2);
    const TBytes local{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    Load(gif, Signature() + Screen(1, 1) + Descriptor(1, 1, 0x81) + local + ImageData({3}));
    EXPECT_EQ(PixelAt(gif, 0, 0), (Rgb{10, 11, 12}));
    EXPECT_EQ(gif.Palette().size(), 4u);
    // No global table at all.
    Load(gif, Signature() + Screen(1, 1, false) + Descriptor(1, 1, 0x81) + local + ImageData({1}));
    EXPECT_EQ(PixelAt(gif, 0, 0), (Rgb{4, 5, 6}));
}

TEST(GIFGraphic, InterlacedImageEqualsItsTwin) {
    constexpr int kHeight = 11;
    TBytes rows, interlaced;
    for (int y = 0; y < kHeight; ++y) {
        rows.push_back(static_cast<std::uint8_t>(y % 4));
        rows.push_back(static_cast<std::uint8_t>(y / 4));
    }
    for (const auto& [start, step] : {std::pair{0, 8}, std::pair{4, 8}, std::pair{2, 4}, std::pair{1, 2}})
        for (int y = start; y < kHeight; y += step) interlaced.insert(interlaced.end(), rows.begin() + 2 * y, rows.begin() + 2 * y + 2);
    TGIFGraphic plain, twin;
    Load(plain, Signature() + Screen(2, kHeight) + Descriptor(2, kHeight) + ImageData(rows));
    Load(twin, Signature() + Screen(2, kHeight) + Descriptor(2, kHeight, 0x40) + ImageData(interlaced));
    for (int y = 0; y < kHeight; ++y) {
        EXPECT_EQ(plain.ScanLine(y)[0], y % 4);
        EXPECT_EQ(twin.ScanLine(y)[0], y % 4) << y;
        EXPECT_EQ(twin.ScanLine(y)[1], y / 4) << y;
    }
}

TEST(GIFGraphic, ExtensionsAreSkippedWhateverTheyHold) {
    // Only extensions and the trailer: an empty 8-bit bitmap with the global palette.
    TGIFGraphic gif;
    const TBytes comment{0x21, 0xFE, 3, 'a', 0x2C, 'c', 0};
    Load(gif, Signature() + Screen(5, 5) + comment + TBytes{0x3B});
    EXPECT_TRUE(gif.Empty());
    EXPECT_EQ(gif.PixelFormat(), pf8bit);
    EXPECT_EQ(gif.Palette()[2], (TPaletteEntry{20, 40, 60, 0}));
    // A graphic control extension whose packed byte is 0 and whose delay and transparent index
    // are the separator's and the trailer's values, then stray bytes before the image.
    const TBytes control{0x21, 0xF9, 4, 0, 0x2C, 0x3B, 0x2C, 0};
    Load(gif, Signature() + Screen(1, 1) + control + comment + TBytes{7, 0} + Descriptor(1, 1) + ImageData({2}));
    EXPECT_EQ(gif.Width(), 1);
    EXPECT_EQ(PixelAt(gif, 0, 0), (Rgb{20, 40, 60}));
}

TEST(GIFGraphic, ShortDataLeavesIndexZeroAndBrokenDataFails) {
    TGIFGraphic gif;
    // Two of six pixels, no end code, and the stream ends inside the sub-blocks.
    TBytes data = ImageData({3, 3}, 255, false);
    data.pop_back();
    data[1] = 5;  // the block promises more than the stream holds
    Load(gif, Signature() + Screen(3, 2) + Descriptor(3, 2) + data);
    EXPECT_EQ(gif.ScanLine(0)[0], 3);
    for (int x = 2; x < 3; ++x) EXPECT_EQ(gif.ScanLine(0)[x], 0);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(gif.ScanLine(1)[x], 0);
    // A large picture from a few bytes: the rest is index 0.
    Load(gif, Signature() + Screen(3000, 2000) + Descriptor(0, 0) + ImageData({3, 1}));
    EXPECT_EQ(gif.ScanLine(0)[1], 1);
    EXPECT_EQ(gif.ScanLine(0)[2], 0);
    EXPECT_EQ(gif.ScanLine(1999)[2999], 0);
    // No data at all.
    Load(gif, Signature() + Screen(2, 2) + Descriptor(2, 2) + TBytes{2});
    EXPECT_EQ(gif.ScanLine(1)[1], 0);
    // A code two above the next free one, and an alphabet wider than the table.
    const TBytes invalid{2, 1, 0x3C, 0};  // clear (4), then 7 with next free 6
    EXPECT_THROW(Load(gif, Signature() + Screen(2, 2) + Descriptor(2, 2) + invalid), Exception);
    EXPECT_THROW(Load(gif, Signature() + Screen(2, 2) + Descriptor(2, 2) + TBytes{12, 1, 0, 0}), Exception);
    // Cut inside the signature, the descriptor or the colour table: the format's read error.
    for (const TBytes& cut : {Signature() + Screen(2, 2) + TBytes{0x2C, 1},
                              Signature() + LE16(1) + LE16(1) + TBytes{0x87, 0, 0, 1, 2}, Signature("GIF")}) {
        try {
            Load(gif, cut);
            ADD_FAILURE() << "a file cut short loaded";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), "Stream read error in GIF file.");
        }
    }
}

TEST(GIFGraphic, IsRegistered) {
    EXPECT_EQ(TPicture::FindGraphicClass("GIF"), TGIFGraphic::StaticClass());
}

}  // namespace
}  // namespace pellumo
