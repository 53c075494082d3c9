#include "raster/bmp_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "base/image_limits.h"
#include "base/memory_stream.h"
#include "raster/bitmap.h"
#include "raster/pixel_rows.h"
#include "pixels.h"

namespace pellumo {
namespace {

using probe::PixelAt;
using probe::Rgb;

using Bytes = std::vector<std::uint8_t>;

Bytes Save(const TBitmap& bitmap) {
    TMemoryStream stream;
    WriteBitmapFile(stream, bitmap);
    return stream.Bytes();
}

void Load(const Bytes& bytes, TBitmap& bitmap) {
    TMemoryStream stream(bytes);
    ReadBitmapFile(stream, bitmap);
}

// What reading does with the bytes: "loaded", or the kind of failure. Anything else escapes.
std::string Outcome(const Bytes& bytes, TBitmap& bitmap) {
    try {
        Load(bytes, bitmap);
        return "loaded";
    } catch (const EReadError&) {
        return "short";
    } catch (const EInvalidGraphic&) {
        return "invalid";
    } catch (const EConvertError&) {
        return "too big";
    }
}

std::string DataPath(const std::string& name) { return std::string(PELLUMO_TEST_DATA) + "/bmp/" + name; }

Bytes DataFile(const std::string& name) {
    TMemoryStream stream;
    stream.LoadFromFile(DataPath(name));
    return stream.Bytes();
}

// A bitmap file put together by hand. `extra` goes between the info header and the pixels
// (palette, masks); infoSize 12 writes the core header.
struct FileLayout {
    std::int32_t width = 1;
    std::int32_t height = 1;
    int bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::uint32_t infoSize = 40;
    Bytes extra{};
    Bytes pixels{};
    std::int64_t offBits = -1;  // -1: where the pixels are
};

Bytes MakeFile(const FileLayout& s) {
    Bytes info(s.infoSize < 40 ? 40 : s.infoSize, 0);
    PutLE32(&info[0], s.infoSize);
    if (s.infoSize == 12) {
        PutLE16(&info[4], static_cast<std::uint16_t>(s.width));
        PutLE16(&info[6], static_cast<std::uint16_t>(s.height));
        PutLE16(&info[8], 1);
        PutLE16(&info[10], static_cast<std::uint16_t>(s.bits));
    } else {
        PutLE32(&info[4], static_cast<std::uint32_t>(s.width));
        PutLE32(&info[8], static_cast<std::uint32_t>(s.height));
        PutLE16(&info[12], 1);
        PutLE16(&info[14], static_cast<std::uint16_t>(s.bits));
        PutLE32(&info[16], s.compression);
        PutLE32(&info[32], s.colorsUsed);
    }
    info.resize(s.infoSize);
    Bytes file(14 + info.size() + s.extra.size() + s.pixels.size());
    file[0] = 'B';
    file[1] = 'M';
    PutLE32(&file[2], static_cast<std::uint32_t>(file.size()));
    const std::size_t pixelStart = 14 + info.size() + s.extra.size();
    PutLE32(&file[10], static_cast<std::uint32_t>(s.offBits < 0 ? pixelStart : s.offBits));
    std::copy(info.begin(), info.end(), file.begin() + 14);
    std::copy(s.extra.begin(), s.extra.end(), file.begin() + 14 + static_cast<std::ptrdiff_t>(info.size()));
    std::copy(s.pixels.begin(), s.pixels.end(), file.begin() + static_cast<std::ptrdiff_t>(pixelStart));
    return file;
}

// ---- Files written by other programs (tests/data/bmp/make_files.py) ----

enum Design { kTrueColour, k565, k555, k444, kMono, kElevenColours, kFortyColours, kGrays };

// The pixels of the designed 13x5 pictures; make_files.py draws them with the same formulas.
Rgb Designed(Design design, int x, int y) {
    static const Rgb kEleven[11] = {{0, 0, 0},     {255, 255, 255}, {200, 30, 40}, {20, 180, 60},
                                    {30, 50, 220}, {250, 200, 10},  {90, 90, 90},  {10, 220, 230},
                                    {160, 20, 170}, {120, 70, 30},  {240, 140, 180}};
    auto e5 = [](int k) { return int{Expand5(static_cast<unsigned>(k))}; };
    auto e6 = [](int k) { return int{Expand6(static_cast<unsigned>(k))}; };
    switch (design) {
        case kTrueColour: return {18 * x + 7 * y + 5, 250 - 17 * x - 11 * y, 50 * y + 3 * x + 9};
        case k565: return {e5((3 * x + 7 * y) % 32), e6((5 * x + 11 * y) % 64), e5((7 * x + 2 * y + 1) % 32)};
        case k555: return {e5((3 * x + 7 * y) % 32), e5((5 * x + 11 * y) % 32), e5((7 * x + 2 * y + 1) % 32)};
        case k444: return {17 * ((x + 3 * y) % 16), 17 * ((2 * x + y) % 16), 17 * ((5 * x + 4 * y + 3) % 16)};
        case kMono: {
            const int v = (x * y + x + 2 * y) % 3 == 0 ? 255 : 0;
            return {v, v, v};
        }
        case kElevenColours: return kEleven[(x + 2 * y) % 11];
        case kFortyColours: {
            const int i = x < 4 ? y : (3 * x + 13 * y) % 40;
            return {(53 * i + 17) % 256, (97 * i + 71) % 256, (29 * i + 200) % 256};
        }
        case kGrays: return {19 * x + 3 * y, 19 * x + 3 * y, 19 * x + 3 * y};
    }
    return {};
}

struct ForeignFile {
    const char* name;
    Design design;
    TPixelFormat format;
};

const ForeignFile kForeignFiles[] = {
    {"pil_1bit.bmp", kMono, pf1bit},
    {"im_1bit.bmp", kMono, pf1bit},
    {"im_4bit.bmp", kElevenColours, pf4bit},
    {"pil_8bit.bmp", kFortyColours, pf8bit},
    {"pil_8bit_gray.bmp", kGrays, pf8bit},
    {"im_rle8.bmp", kFortyColours, pf8bit},  // its runs pass the row end: they must be clipped
    {"im_os2_8bit.bmp", kFortyColours, pf8bit},
    {"im_16bit_565.bmp", k565, pf16bit},
    {"im_16bit_555.bmp", k555, pf15bit},
    {"im_16bit_4444.bmp", k444, pf24bit},  // channel by channel through its masks
    {"pil_24bit.bmp", kTrueColour, pf24bit},
    {"pil_24bit_top_down.bmp", kTrueColour, pf24bit},
    {"im_24bit_v5.bmp", kTrueColour, pf24bit},
    {"im_os2_24bit.bmp", kTrueColour, pf24bit},
    {"pil_32bit_alpha.bmp", kTrueColour, pf32bit},
    {"im_32bit_argb.bmp", kTrueColour, pf32bit},
};

TEST(BmpRead, FilesFromOtherPrograms) {
    for (const ForeignFile& file : kForeignFiles) {
        SCOPED_TRACE(file.name);
        TBitmap bitmap;
        bitmap.LoadFromFile(DataPath(file.name));
        EXPECT_EQ(bitmap.PixelFormat(), file.format);
        ASSERT_EQ(bitmap.Width(), 13);
        ASSERT_EQ(bitmap.Height(), 5);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 13; ++x) ASSERT_EQ(PixelAt(bitmap, x, y), Designed(file.design, x, y)) << x << "," << y;
    }
}

TEST(BmpRead, CutAnywhereRaisesAndKeepsTheTarget) {
    std::vector<Bytes> files;
    for (const ForeignFile& file : kForeignFiles) files.push_back(DataFile(file.name));
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf32bit}) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(format);
        bitmap.SetSize(5, 3);
        files.push_back(Save(bitmap));
    }
    for (const Bytes& whole : files) {
        const bool runLength = GetLE32(&whole[30]) == 1 && GetLE32(&whole[14]) >= 40;
        const std::size_t pixelStart = GetLE32(&whole[10]);
        for (std::size_t cut = 0; cut < whole.size(); ++cut) {
            TBitmap target;
            target.SetPixelFormat(pf8bit);
            target.SetSize(2, 2);
            const std::string outcome = Outcome(Bytes(whole.begin(), whole.begin() + cut), target);
            // Run-length data may end early: the pixels not reached stay 0.
            if (runLength && cut >= pixelStart) {
                EXPECT_EQ(outcome, "loaded") << "cut " << cut;
                continue;
            }
            ASSERT_TRUE(outcome == "short" || outcome == "invalid") << outcome << " at cut " << cut;
            EXPECT_EQ(target.Width(), 2);
            EXPECT_EQ(target.PixelFormat(), pf8bit);
        }
    }
}

// ---- Round trips through our own writer ----

TEST(BmpWrite, RoundTripEveryFormatAndPalette) {
    struct Case {
        TPixelFormat format;
        TPalette palette;  // empty: the default one
    };
    const Case cases[] = {
        {pf1bit, {}},
        {pf1bit, {{200, 30, 40, 0}, {20, 180, 60, 0}}},
        {pf4bit, {}},
        {pf4bit, {{1, 2, 3, 0}, {40, 50, 60, 0}, {255, 128, 0, 0}}},
        {pf8bit, {}},
        {pf8bit, {{9, 9, 9, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}, {77, 66, 55, 0}}},
        {pf15bit, {}},
        {pf16bit, {}},
        {pf24bit, {}},
        {pf32bit, {}},
        {pfDevice, {}},
    };
    for (const Case& c : cases) {
        for (int width : {1, 3, 5, 7, 13}) {
            SCOPED_TRACE(testing::Message() << "format " << c.format << " palette " << c.palette.size()
                                            << " width " << width);
            const int bits = BitsPerPixel(c.format);
            TBitmap bitmap;
            bitmap.SetPixelFormat(c.format);
            bitmap.SetPalette(c.palette);
            bitmap.SetSize(width, 3);
            const std::size_t colours = EffectivePalette(c.palette, bits).size();
            for (int y = 0; y < 3; ++y) {
                std::uint8_t* row = bitmap.ScanLine(y);
                if (IsIndexed(c.format)) {
                    for (int x = 0; x < width; ++x)
                        SetIndex(row, bits, x, static_cast<std::uint8_t>((7 * x + 3 * y + 1) % colours));
                } else {
                    for (int i = 0; i < width * bits / 8; ++i) row[i] = static_cast<std::uint8_t>(31 * i + 17 * y + 5);
                }
            }

            TBitmap read;
            Load(Save(bitmap), read);
            EXPECT_EQ(read.PixelFormat(), c.format == pfDevice ? pf32bit : c.format);
            if (IsIndexed(c.format)) {
                EXPECT_EQ(read.Palette(), EffectivePalette(c.palette, bits));
            }
            ASSERT_EQ(read.Width(), width);
            ASSERT_EQ(read.Height(), 3);
            ASSERT_EQ(read.RowBytes(), bitmap.RowBytes());
            for (int y = 0; y < 3; ++y)
                EXPECT_EQ(std::memcmp(read.ScanLine(y), bitmap.ScanLine(y), bitmap.RowBytes()), 0) << "row " << y;
        }
    }
}

TEST(BmpWrite, HeaderFields) {
    struct Case {
        TPixelFormat format;
        std::size_t paletteSize;  // 0: none of its own
        int bits;
        std::uint32_t compression;
        std::uint32_t colorsUsed;
        std::uint32_t offBits;
    };
    const Case cases[] = {
        {pf1bit, 0, 1, 0, 0, 54 + 2 * 4},
        {pf1bit, 5, 1, 0, 0, 54 + 2 * 4},  // entries past what one bit indexes are left out
        {pf4bit, 3, 4, 0, 3, 54 + 3 * 4},
        {pf8bit, 0, 8, 0, 0, 54 + 256 * 4},
        {pf8bit, 5, 8, 0, 5, 54 + 5 * 4},
        {pf15bit, 0, 16, 0, 0, 54},
        {pf16bit, 0, 16, 3, 0, 54 + 12},
        {pf24bit, 0, 24, 0, 0, 54},
        {pf32bit, 0, 32, 0, 0, 54},
        {pfDevice, 0, 32, 0, 0, 54},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.format << " palette " << c.paletteSize);
        TBitmap bitmap;
        bitmap.SetPixelFormat(c.format);
        TPalette palette;
        for (std::size_t i = 0; i < c.paletteSize; ++i)
            palette.push_back({static_cast<std::uint8_t>(10 + i), static_cast<std::uint8_t>(20 + i),
                               static_cast<std::uint8_t>(30 + i), 0});
        if (c.paletteSize != 0) bitmap.SetPalette(palette);
        bitmap.SetSize(5, 2);
        bitmap.ScanLine(0)[0] = 0xA5;  // the top row, stored last
        bitmap.ScanLine(1)[0] = 0x5A;
        const Bytes file = Save(bitmap);
        const std::size_t stride = RowStride(5, c.bits);

        ASSERT_EQ(file.size(), c.offBits + 2 * stride);
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        EXPECT_EQ(GetLE32(&file[2]), file.size());
        EXPECT_EQ(GetLE32(&file[10]), c.offBits);
        EXPECT_EQ(GetLE32(&file[14]), 40u);
        EXPECT_EQ(GetLE32(&file[18]), 5u);
        EXPECT_EQ(GetLE32(&file[22]), 2u);  // positive: bottom-up
        EXPECT_EQ(GetLE16(&file[26]), 1);
        EXPECT_EQ(GetLE16(&file[28]), c.bits);
        EXPECT_EQ(GetLE32(&file[30]), c.compression);
        EXPECT_EQ(GetLE32(&file[34]), 2 * stride);
        EXPECT_EQ(GetLE32(&file[46]), c.colorsUsed);
        if (c.format == pf16bit) {
            EXPECT_EQ(GetLE32(&file[54]), 0xF800u);
            EXPECT_EQ(GetLE32(&file[58]), 0x07E0u);
            EXPECT_EQ(GetLE32(&file[62]), 0x001Fu);
        }
        if (c.paletteSize != 0) {  // blue, green, red, 0
            EXPECT_EQ(file[54 + 4], 31);
            EXPECT_EQ(file[54 + 5], 21);
            EXPECT_EQ(file[54 + 6], 11);
            EXPECT_EQ(file[54 + 7], 0);
        }
        EXPECT_EQ(file[c.offBits], 0x5A);
        EXPECT_EQ(file[c.offBits + stride], 0xA5);
    }
}

// ---- Hand-made files: what the tools do not write, and hostile input ----

TEST(BmpRead, BitFieldsAndHeaderVariants) {
    auto masks = [](std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a = 0, bool withAlpha = false) {
        Bytes bytes(withAlpha ? 16 : 12);
        PutLE32(&bytes[0], r);
        PutLE32(&bytes[4], g);
        PutLE32(&bytes[8], b);
        if (withAlpha) PutLE32(&bytes[12], a);
        return bytes;
    };
    struct Case {
        const char* what;
        FileLayout layout;
        TPixelFormat format;
        Rgb expected;
    };
    const Case cases[] = {
        {"565 masks after a 40-byte header",
         {.bits = 16, .compression = 3, .extra = masks(0xF800, 0x07E0, 0x001F), .pixels = {0x1F, 0xF8, 0, 0}},
         pf16bit, {255, 0, 255}},
        {"16-bit without masks is 5-5-5, top bit unused", {.bits = 16, .pixels = {0xFF, 0x83, 0, 0}}, pf15bit,
         {0, 255, 255}},
        {"32-bit masks in swapped order",
         {.bits = 32, .compression = 3, .extra = masks(0xFF, 0xFF00, 0xFF0000), .pixels = {0x11, 0x22, 0x33, 0x44}},
         pf24bit, {0x11, 0x22, 0x33}},
        {"10-bit channels keep their top 8 bits",
         {.bits = 32, .compression = 3, .extra = masks(0x3FF00000, 0x000FFC00, 0x000003FF),
          .pixels = {0xFF, 0x03, 0x00, 0x3C}},
         pf24bit, {0xF0, 0, 0xFF}},
        {"2-bit channels widened, an empty mask reads 0",
         {.bits = 16, .compression = 3, .extra = masks(0xC000, 0, 0x0003), .pixels = {0x01, 0x40, 0, 0}}, pf24bit,
         {85, 0, 85}},
        {"alpha bit fields take 16 bytes of masks",
         {.bits = 32, .compression = 6, .extra = masks(0xFF0000, 0xFF00, 0xFF, 0xFF000000, true), .pixels = {1, 2, 3, 4}},
         pf32bit, {3, 2, 1}},
        {"OS/2 2.x short header", {.infoSize = 16, .pixels = {1, 2, 3, 0}}, pf24bit, {3, 2, 1}},
        {"OS/2 1.x core header, 3-byte palette",
         {.width = 2, .bits = 1, .infoSize = 12, .extra = {0, 0, 0, 9, 8, 7}, .pixels = {0x40, 0, 0, 0}}, pf1bit,
         {7, 8, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TBitmap bitmap;
        Load(MakeFile(c.layout), bitmap);
        EXPECT_EQ(bitmap.PixelFormat(), c.format);
        EXPECT_EQ(PixelAt(bitmap, c.layout.width - 1, 0), c.expected);
    }
}

TEST(BmpRead, BadHeadersRaiseBeforeAllocating) {
    struct Case {
        const char* what;
        FileLayout layout;
        const char* outcome;
    };
    const Case cases[] = {
        {"unknown header size", {.infoSize = 20}, "invalid"},
        {"0 bits", {.bits = 0}, "invalid"},
        {"2 bits", {.bits = 2}, "invalid"},
        {"64 bits", {.bits = 64}, "invalid"},
        {"JPEG inside", {.compression = 4}, "invalid"},
        {"PNG inside", {.compression = 5}, "invalid"},
        {"RLE8 on 4 bits", {.bits = 4, .compression = 1}, "invalid"},
        {"RLE4 on 8 bits", {.bits = 8, .compression = 2}, "invalid"},
        {"bit fields on 8 bits", {.bits = 8, .compression = 3, .extra = Bytes(12)}, "invalid"},
        {"OS/2 Huffman", {.bits = 1, .compression = 3, .infoSize = 64}, "invalid"},
        {"negative width", {.width = -1}, "invalid"},
        {"height of -2^31", {.height = INT32_MIN}, "invalid"},
        {"100000 x 100000", {.width = 100000, .height = 100000}, "too big"},
        {"top-down 100000 x 100000", {.width = 100000, .height = -100000}, "too big"},
        {"just over the pixel limit", {.width = 16385, .height = 16385, .bits = 8}, "too big"},
        {"2^31-1 x 1", {.width = INT32_MAX, .height = 1, .bits = 1}, "too big"},
        {"core header 65535 x 65535", {.width = 65535, .height = 65535, .infoSize = 12}, "too big"},
        // Within the limit, but the file cannot hold the pixels: no gigabyte for nothing.
        {"16384 x 16384 in a few bytes", {.width = 16384, .height = 16384, .bits = 32, .pixels = Bytes(4)},
         "short"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TBitmap target;
        target.SetPixelFormat(pf4bit);
        target.SetSize(3, 1);
        EXPECT_EQ(Outcome(MakeFile(c.layout), target), c.outcome);
        EXPECT_EQ(target.Width(), 3);
        EXPECT_EQ(target.PixelFormat(), pf4bit);
    }
    Bytes file = MakeFile({.pixels = Bytes(4)});
    file[1] = 'A';
    TBitmap target;
    EXPECT_EQ(Outcome(file, target), "invalid");
}

TEST(BmpRead, PaletteCountsBeyondTheFile) {
    const Bytes palette = {10, 20, 30, 0, 40, 50, 60, 0, 70, 80, 90, 0, 1, 2, 3, 0};
    // Four entries stored, "four billion" declared: the pixels' offset bounds the palette,
    // and indices past it read black.
    TBitmap bitmap;
    Load(MakeFile({.width = 3, .bits = 8, .colorsUsed = 0xFFFFFFFF, .extra = palette, .pixels = {3, 9, 0, 0}}),
         bitmap);
    EXPECT_EQ(bitmap.Palette().size(), 4u);
    EXPECT_EQ(PixelAt(bitmap, 0, 0), (Rgb{3, 2, 1}));
    EXPECT_EQ(PixelAt(bitmap, 1, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(PixelAt(bitmap, 2, 0), (Rgb{30, 20, 10}));
    // With no usable offset the full 256 entries are read, and the file is too short for them.
    EXPECT_EQ(Outcome(MakeFile({.width = 3, .bits = 8, .colorsUsed = 0xFFFFFFFF, .extra = palette,
                                .pixels = {3, 9, 0, 0}, .offBits = 0}),
                      bitmap),
              "short");
    // Fewer declared than stored.
    Load(MakeFile({.width = 3, .bits = 8, .colorsUsed = 2, .extra = palette, .pixels = {1, 2, 3, 0}, .offBits = 0}),
         bitmap);
    EXPECT_EQ(bitmap.Palette().size(), 2u);
}

TEST(BmpRead, RunLengthStaysInsideTheImage) {
    // Expected indices are hex digits, top row first; run-length rows are stored bottom-up.
    struct Case {
        const char* what;
        int bits, width, height;
        Bytes data;
        const char* expected;
    };
    const Case cases[] = {
        {"RLE4: runs, odd absolute runs with padding, delta",
         4, 7, 4,
         {0x05, 0x12, 0x00, 0x03, 0x34, 0x50, 0x00, 0x00,           // run clipped at the row end
          0x00, 0x05, 0xAB, 0xCD, 0xE0, 0x00, 0x02, 0x78, 0x00, 0x00,  // 5 pixels take 4 bytes
          0x00, 0x02, 0x02, 0x01, 0x02, 0xFF, 0x00, 0x01},          // skips a row
         "00FF000" "0000000" "ABCDE78" "1212134"},
        {"run longer than the row does not wrap", 8, 4, 2, {0x0A, 0x07, 0x00, 0x00, 0x01, 0x05, 0x00, 0x01},
         "5000" "7777"},
        {"absolute run longer than the row", 8, 4, 2,
         {0x00, 0x06, 1, 2, 3, 4, 5, 6, 0x00, 0x00, 0x02, 0x09, 0x00, 0x01}, "9900" "1234"},
        {"delta past the right edge", 8, 4, 2, {0x00, 0x02, 0xFF, 0x00, 0x03, 0x09, 0x00, 0x00, 0x01, 0x05},
         "5000" "0000"},
        {"delta past the last row", 8, 4, 2, {0x01, 0x04, 0x00, 0x02, 0x00, 0xFF, 0x01, 0x05}, "0000" "4000"},
        {"absolute run cut by the end of the data", 8, 4, 2, {0x01, 0x03, 0x00, 0x05, 0x01, 0x02}, "0000" "3000"},
        {"delta cut by the end of the data", 8, 4, 2, {0x01, 0x06, 0x00, 0x02, 0x05}, "0000" "6000"},
        {"more rows than the image", 8, 4, 2, {0, 0, 0, 0, 0, 0, 0x02, 0x0C}, "0000" "0000"},
        {"no end-of-bitmap code", 8, 4, 2, {0x02, 0x04}, "0000" "4400"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TBitmap bitmap;
        Load(MakeFile({.width = c.width, .height = c.height, .bits = c.bits, .compression = c.bits == 4 ? 2u : 1u,
                       .colorsUsed = 16, .extra = Bytes(64), .pixels = c.data}),
             bitmap);
        ASSERT_EQ(bitmap.Width(), c.width);
        ASSERT_EQ(bitmap.Height(), c.height);
        std::string got;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) got += "0123456789ABCDEF"[GetIndex(bitmap.ScanLine(y), c.bits, x) & 15];
        EXPECT_EQ(got, c.expected);
    }
}

TEST(BmpRead, RunLengthDeltasCannotOverflowTheColumn) {
    // 8.4 million deltas of 255 columns each would carry the column past 2^31 and back to a
    // negative one; the run after them must still land nowhere.
    Bytes data;
    const std::size_t deltas = (std::size_t{1} << 31) / 255 + 1;
    data.reserve(deltas * 4 + 4);
    for (std::size_t i = 0; i < deltas; ++i) data.insert(data.end(), {0x00, 0x02, 0xFF, 0x00});
    data.insert(data.end(), {0x01, 0x07, 0x00, 0x01});
    TBitmap bitmap;
    Load(MakeFile({.width = 1, .height = 1, .bits = 8, .compression = 1, .extra = Bytes(1024), .pixels = data}),
         bitmap);
    EXPECT_EQ(bitmap.ScanLine(0)[0], 0);
}

}  // namespace
}  // namespace pellumo
