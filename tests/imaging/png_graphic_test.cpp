#include "imaging/formats/png_graphic.h"

#include <gtest/gtest.h>

#include "base/memory_stream.h"
#include "imaging/compression/lz77_decoder.h"
#include "imaging/formats/format_registry.h"
#include "imaging/formats/png_unfilter.h"
#include "imaging/png_test_files.h"
#include "raster/pixels.h"

namespace pellumo {
namespace {

using namespace png_files;
using probe::PixelAt;
using probe::Rgb;

TBytes operator+(TBytes a, const TBytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void LoadInto(TPNGGraphic& png, const TBytes& file) {
    TMemoryStream stream(file);
    png.LoadFromStream(stream);
}

std::string LoadError(const TBytes& file) {
    TPNGGraphic png;
    try {
        LoadInto(png, file);
    } catch (const EInvalidGraphic& e) {
        return e.what();
    }
    return "(loaded)";
}

// A 3 x 2 RGB image, rows unfiltered.
const TBytes kRgbRows = {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
const TBytes kRgbHeader = HeaderData(3, 2, 8, 2);

TEST(LZ77Decoder, InflatesAcrossBlocksAndReportsTheStreamEnd) {
    const TBytes raw(1000, 7);
    const TBytes packed = Deflated(raw) + TBytes{0xEE, 0xEE};  // two bytes past the stream
    TLZ77Decoder decoder(1);
    decoder.BeginDecoding();
    TBytes out(2000, 0);
    TPackedBytes source(packed.data(), 5);
    TUnpackedBytes dest(out);
    decoder.DecodeBlock(source, dest, 5, 2000);
    EXPECT_EQ(decoder.LastResult(), 0);
    EXPECT_TRUE(source.empty());
    source = TPackedBytes(packed).subspan(5);
    decoder.DecodeBlock(source, dest, static_cast<std::int32_t>(source.size()), 2000);
    EXPECT_EQ(decoder.LastResult(), 1);
    EXPECT_EQ(decoder.InputLeft(), 2u);
    EXPECT_EQ(source.size(), 2u);
    EXPECT_EQ(dest.size(), 1000u);
    EXPECT_EQ(TBytes(out.begin(), out.begin() + 1000), raw);
    decoder.EndDecoding();
}

TEST(LZ77Decoder, StaysInsideTheSpansAndReportsBadData) {
    const TBytes packed = Deflated(TBytes(100, 1));
    TLZ77Decoder decoder(1);
    decoder.BeginDecoding();
    TBytes out(10, 0);
    TPackedBytes source(packed);
    TUnpackedBytes dest(out);
    decoder.DecodeBlock(source, dest, 1 << 30, 1 << 30);  // sizes beyond the spans are cut to them
    EXPECT_EQ(decoder.LastResult(), 0);
    EXPECT_TRUE(dest.empty());
    EXPECT_EQ(decoder.OutputLeft(), 0u);

    TLZ77Decoder broken(1);
    broken.BeginDecoding();
    const TBytes garbage = {0x78, 0x9C, 0xFF, 0xFF, 0xFF, 0xFF};
    TPackedBytes bad(garbage);
    TUnpackedBytes target(out);
    broken.DecodeBlock(bad, target, 6, 10);
    EXPECT_LT(broken.LastResult(), 0);
}

TEST(LZ77Decoder, EndingAStreamNeverBegunRaises) {
    TLZ77Decoder decoder(1);
    try {
        decoder.EndDecoding();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "LZ77 decompression error.");
    }
}

TEST(PngUnfilter, PaethPrefersLeftThenUpperOnTies) {
    EXPECT_EQ(PaethPredictor(50, 50, 50), 50);  // a = b = c: a
    EXPECT_EQ(PaethPredictor(0, 30, 10), 30);   // pa = 20 > pb = pc = 10: b
    EXPECT_EQ(PaethPredictor(0, 10, 5), 5);     // pa = pb = 5 > pc = 0: c
    EXPECT_EQ(PaethPredictor(10, 30, 40), 10);  // pa = 10 < pb = 30
}

TEST(PngUnfilter, EachTypeUndoesItsPrediction) {
    const TBytes previous = {0, 10, 20, 30, 40};
    auto run = [&](std::uint8_t type, TBytes data, std::size_t bpp = 1) {
        TBytes row{type};
        row.insert(row.end(), data.begin(), data.end());
        UnfilterRow(row, previous, bpp);
        return TBytes(row.begin() + 1, row.end());
    };
    EXPECT_EQ(run(0, {1, 2, 3, 4}), (TBytes{1, 2, 3, 4}));
    EXPECT_EQ(run(1, {1, 2, 3, 255}), (TBytes{1, 3, 6, 5}));
    EXPECT_EQ(run(1, {1, 2, 3, 4}, 2), (TBytes{1, 2, 4, 6}));
    EXPECT_EQ(run(2, {1, 2, 3, 250}), (TBytes{11, 22, 33, 34}));
    EXPECT_EQ(run(3, {1, 2, 3, 4}), (TBytes{6, 15, 25, 36}));  // (a + b) / 2 without overflow
    EXPECT_EQ(run(3, {0, 0}, 1), (TBytes{5, 12}));
    EXPECT_EQ(run(7, {1, 2, 3, 4}), (TBytes{1, 2, 3, 4}));
    EXPECT_EQ(run(255, {9, 9, 9, 9}), (TBytes{9, 9, 9, 9}));
    // Paeth: first byte takes b; then a = 11, b = 20, c = 10: p = 21, pa = 10, pb = 1 -> b.
    EXPECT_EQ(run(4, {1, 0, 0, 0}), (TBytes{11, 20, 30, 40}));
    TBytes shortAbove = {0, 1};
    TBytes row = {2, 5, 5, 5};
    UnfilterRow(row, shortAbove, 1);  // a line above shorter than the row is not read past
    EXPECT_EQ(row, (TBytes{2, 5, 5, 5}));
}

// Byte by byte, as the format defines each filter: what every pixel size and row length must give.
TBytes UnfilteredByTheBook(std::uint8_t type, TBytes data, const TBytes& above, std::size_t bpp) {
    for (std::size_t i = 0; i < data.size(); ++i) {
        const int a = i >= bpp ? data[i - bpp] : 0, b = above[i], c = i >= bpp ? above[i - bpp] : 0;
        const int predicted = type == 1 ? a : type == 2 ? b : type == 3 ? (a + b) / 2 : type == 4 ? PaethPredictor(a, b, c) : 0;
        data[i] = static_cast<std::uint8_t>(data[i] + predicted);
    }
    return data;
}

TEST(PngUnfilter, EveryPixelSizeAndRowLengthGivesWhatEachByteDefines) {
    std::uint32_t seed = 7;
    const auto next = [&] { return static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 23); };
    for (const std::size_t bpp : {1u, 2u, 3u, 4u, 6u, 8u})
        for (std::uint8_t type = 1; type <= 4; ++type)
            for (std::size_t length = 0; length <= 3 * bpp + 5; ++length) {
                TBytes data(length), above(length);
                for (std::size_t i = 0; i < length; ++i) {
                    data[i] = next();
                    above[i] = next();
                }
                TBytes row{type}, previous{0};
                row.insert(row.end(), data.begin(), data.end());
                previous.insert(previous.end(), above.begin(), above.end());
                UnfilterRow(row, previous, bpp);
                EXPECT_EQ(TBytes(row.begin() + 1, row.end()), UnfilteredByTheBook(type, data, above, bpp))
                    << "type " << int{type} << ", " << bpp << " bytes a pixel, " << length << " bytes";
            }
}

TEST(PngGraphic, ReadsRgbAsA24BitBitmapAndIsRegistered) {
    TPNGGraphic png;
    LoadInto(png, File(kRgbHeader, kRgbRows));
    ASSERT_EQ(png.PixelFormat(), pf24bit);
    ASSERT_EQ(png.Width(), 3);
    ASSERT_EQ(png.Height(), 2);
    EXPECT_EQ(PixelAt(png, 0, 0), (Rgb{10, 20, 30}));
    EXPECT_EQ(PixelAt(png, 2, 1), (Rgb{7, 8, 9}));
    EXPECT_FALSE(png.Transparent());
    const TFileFormatList& registry = FormatRegistry();
    const int index = registry.IndexOfExtension("PNG");
    ASSERT_GE(index, 0);
    const TExtensionEntry& entry = *registry.ExtensionEntries()[static_cast<std::size_t>(index)];
    EXPECT_EQ(entry.ClassEntry->ImageClass, TPNGGraphic::StaticClass());
    EXPECT_EQ(entry.ClassEntry->Description, "Portable network graphic images");
}

TEST(PngGraphic, ChunkTypesIgnoreLetterCaseAndUnknownChunksFollowTheirCriticalBit) {
    const TBytes body = Chunk("ihdr", kRgbHeader) + Chunk("tEXt", {'a', 0, 'b'}) + Chunk("idat", Deflated(kRgbRows)) +
                        Chunk("iend", {});
    TPNGGraphic png;
    LoadInto(png, Signature() + body);
    EXPECT_EQ(PixelAt(png, 1, 0), (Rgb{40, 50, 60}));
    // The skipped ancillary chunk's CRC is not checked.
    TBytes badText = Chunk("tEXt", {'a'});
    badText.back() ^= 1;
    EXPECT_EQ(LoadError(File(kRgbHeader, kRgbRows, {badText})), "(loaded)");
    EXPECT_EQ(LoadError(File(kRgbHeader, kRgbRows, {Chunk("XYZW", {1})})),
              "Cannot load PNG image. Unexpected but critical chunk detected.");
}

TEST(PngGraphic, ImageDataOverManyChunksEmptyOnesIncludedDecodesTheSame) {
    const TBytes packed = Deflated(kRgbRows);
    TBytes file = Signature() + Chunk("IHDR", kRgbHeader) + Chunk("IDAT", {});
    for (std::uint8_t byte : packed) file = file + Chunk("IDAT", {byte}) + Chunk("IDAT", {});
    file = file + Chunk("IEND", {});
    TPNGGraphic many, one;
    LoadInto(many, file);
    LoadInto(one, File(kRgbHeader, kRgbRows));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(PixelAt(many, x, y), PixelAt(one, x, y));
}

TEST(PngGraphic, ColourTypesTakeTheirBitmapFormats) {
    TPNGGraphic png;
    // 2-bit gray: levels 0..3 become indices 0, 5, 10, 15 of a 16-level gray palette.
    LoadInto(png, File(HeaderData(4, 1, 2, 0), {0, 0b00011011}));
    EXPECT_EQ(png.PixelFormat(), pf4bit);
    EXPECT_EQ(PixelAt(png, 0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(PixelAt(png, 1, 0), (Rgb{85, 85, 85}));
    EXPECT_EQ(PixelAt(png, 3, 0), (Rgb{255, 255, 255}));
    // 16-bit RGB: big-endian samples narrowed to 8 bits.
    LoadInto(png, File(HeaderData(1, 1, 16, 2), {0, 0xFF, 0xFF, 0x80, 0x00, 0x00, 0x10}));
    EXPECT_EQ(png.PixelFormat(), pf24bit);
    EXPECT_EQ(PixelAt(png, 0, 0), (Rgb{255, 0x7F, 0}));
    // Gray with alpha: an 8-bit gray bitmap, the alpha dropped.
    LoadInto(png, File(HeaderData(2, 1, 8, 4), {0, 200, 0, 50, 255}));
    EXPECT_EQ(png.PixelFormat(), pf8bit);
    EXPECT_EQ(png.Palette().size(), 256u);
    EXPECT_EQ(PixelAt(png, 0, 0), (Rgb{200, 200, 200}));
    EXPECT_EQ(PixelAt(png, 1, 0), (Rgb{50, 50, 50}));
    // RGBA: 32 bits, blue, green, red, alpha.
    LoadInto(png, File(HeaderData(1, 1, 8, 6), {0, 1, 2, 3, 4}));
    EXPECT_EQ(png.PixelFormat(), pf32bit);
    EXPECT_EQ((TBytes(png.ScanLine(0), png.ScanLine(0) + 4)), (TBytes{3, 2, 1, 4}));
    // Indexed, 1 bit: the PLTE colours.
    LoadInto(png, File(HeaderData(2, 1, 1, 3), {0, 0b01000000}, {Chunk("PLTE", {255, 0, 0, 0, 0, 255})}));
    EXPECT_EQ(png.PixelFormat(), pf1bit);
    EXPECT_EQ(PixelAt(png, 0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(PixelAt(png, 1, 0), (Rgb{0, 0, 255}));
}

TEST(PngGraphic, InterlacedPassesStartFromAZeroLineAndFilterTypesApply) {
    // 8 x 2 gray, Adam7: pass 1 (0,0); pass 2 (4,0); pass 4 (2,0),(6,0); pass 6 (1,3,5,7 of row
    // 0); pass 7 row 1 whole. Pass 2's only row uses Up: it must see zeros above, not pass 1.
    const TBytes rows = {0, 10,                        // pass 1
                         2, 40,                        // pass 2, Up over zero
                         1, 20, 40,                    // pass 4, Sub: 20, 60
                         7, 11, 31, 51, 71,            // pass 6, type 7 stored as is
                         4, 1, 1, 1, 1, 1, 1, 1, 1};   // pass 7, Paeth over zero: a running +1
    TPNGGraphic png;
    LoadInto(png, File(HeaderData(8, 2, 8, 0, 1), rows));
    const int expected[2][8] = {{10, 11, 20, 31, 40, 51, 60, 71}, {1, 2, 3, 4, 5, 6, 7, 8}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(PixelAt(png, x, y).r, expected[y][x]) << x << "," << y;
}

TEST(PngGraphic, TransparencyAppliesToRgbAndGrayOnlyAndBackgroundIsRead) {
    TPNGGraphic png;
    LoadInto(png, File(kRgbHeader, kRgbRows, {Chunk("tRNS", {0, 10, 0, 20, 0, 30})}));
    EXPECT_TRUE(png.Transparent());
    EXPECT_EQ(png.TransparentColor(), RGB(10, 20, 30));
    LoadInto(png, File(HeaderData(1, 1, 8, 6), {0, 1, 2, 3, 4}, {Chunk("tRNS", {0, 1, 0, 2, 0, 3})}));
    EXPECT_FALSE(png.Transparent());
    // A 2-bit gray value means the level that pixel shows.
    LoadInto(png, File(HeaderData(4, 1, 2, 0), {0, 0}, {Chunk("tRNS", {0, 1}), Chunk("bKGD", {0, 2})}));
    EXPECT_EQ(png.TransparentColor(), RGB(85, 85, 85));
    EXPECT_EQ(png.BackgroundColor(), RGB(170, 170, 170));
    LoadInto(png, File(HeaderData(1, 1, 16, 2), TBytes(7, 0), {Chunk("bKGD", {0xFF, 0xFF, 0, 0, 0x80, 0})}));
    EXPECT_EQ(png.BackgroundColor(), RGB(255, 0, 127));
}

TEST(PngGraphic, GammaAppliesOnlyToTheFileThatAsksForIt) {
    TPNGGraphic png;
    LoadInto(png, File(kRgbHeader, kRgbRows, {Chunk("gAMA", {0, 0, 0x3D, 0x09})}));  // 0.15625
    const std::uint8_t expected = png.ColorManager().GammaTable()[10];
    EXPECT_NE(expected, 10);
    EXPECT_EQ(PixelAt(png, 0, 0).r, expected);
    LoadInto(png, File(kRgbHeader, kRgbRows));
    EXPECT_EQ(PixelAt(png, 0, 0).r, 10);
}

TEST(PngGraphic, BrokenFilesRaiseTheReadersMessages) {
    const TBytes good = File(kRgbHeader, kRgbRows);
    TBytes badSignature = good;
    badSignature[1] = 'Q';
    EXPECT_EQ(LoadError(badSignature), "Cannot load image. Invalid or unexpected PNG image format.");
    TBytes badCrc = good;
    badCrc[8 + 8 + 13] ^= 1;
    EXPECT_EQ(LoadError(badCrc), "Cannot load image. CRC error found in PNG file.");
    EXPECT_EQ(LoadError(Signature() + Chunk("IHDR", TBytes(kRgbHeader.begin(), kRgbHeader.begin() + 9)) +
                        Chunk("IDAT", Deflated(kRgbRows)) + Chunk("IEND", {})),
              "Cannot load image. Invalid or unexpected PNG image format.");
    EXPECT_EQ(LoadError(File(kRgbHeader, kRgbRows, {Chunk("tRNS", {0, 1})})),
              "Cannot load image. Invalid or unexpected PNG image format.");
    EXPECT_EQ(LoadError(File(kRgbHeader, kRgbRows, {Chunk("bKGD", {0, 1, 0})})),
              "Cannot load image. Invalid or unexpected PNG image format.");
    EXPECT_EQ(LoadError(File(HeaderData(0, 2, 8, 2), kRgbRows)), "Cannot load image. Invalid or unexpected PNG image format.");
    TBytes compression = HeaderData(3, 2, 8, 2);
    compression[10] = 1;
    EXPECT_EQ(LoadError(File(compression, kRgbRows)), "Cannot load image. The compression scheme is not supported for PNG files.");
    EXPECT_EQ(LoadError(File(HeaderData(3, 2, 3, 2), kRgbRows)), "Invalid color format in PNG file.");
    EXPECT_EQ(LoadError(File(HeaderData(3, 2, 8, 1), kRgbRows)), "Invalid color format in PNG file.");
    EXPECT_EQ(LoadError(File(HeaderData(1, 1, 8, 3), {0, 0}, {Chunk("PLTE", {1, 2, 3, 4})})),
              "Cannot load image. Palette in PNG file is invalid.");
    // A stream that ends after one row of two, and image data that stops before its end:
    // refused, not shown with an undefined row.
    const TBytes oneRow = Deflated(TBytes(kRgbRows.begin(), kRgbRows.begin() + 10));
    EXPECT_EQ(LoadError(Signature() + Chunk("IHDR", kRgbHeader) + Chunk("IDAT", oneRow) + Chunk("IEND", {})),
              "Cannot load image. Compression error found in PNG file.");
    EXPECT_EQ(LoadError(Signature() + Chunk("IHDR", kRgbHeader) + Chunk("IDAT", oneRow + TBytes{0}) + Chunk("IEND", {})),
              "Cannot load image. Extra compressed data found in PNG file.");
    const TBytes packed = Deflated(kRgbRows);
    EXPECT_EQ(LoadError(Signature() + Chunk("IHDR", kRgbHeader) + Chunk("IDAT", TBytes(packed.begin(), packed.begin() + 4)) +
                        Chunk("IEND", {})),
              "Cannot load image. Compression error found in PNG file.");
    EXPECT_EQ(LoadError(Signature() + Chunk("IHDR", kRgbHeader) + Chunk("IDAT", {1, 2, 3, 4}) + Chunk("IEND", {})),
              "Cannot load image. Compression error found in PNG file.");
    // No image data at all, and a file that ends before IEND.
    EXPECT_EQ(LoadError(Signature() + Chunk("IHDR", kRgbHeader) + Chunk("IEND", {})),
              "Cannot load image. Invalid or unexpected PNG image format.");
    TBytes truncated = good;
    truncated.resize(truncated.size() - 12);
    EXPECT_EQ(LoadError(truncated), "Stream read error in PNG file.");
    // A second run of image data after another chunk has no image to go to.
    EXPECT_EQ(LoadError(Signature() + Chunk("IHDR", kRgbHeader) + Chunk("IDAT", packed) + Chunk("tEXt", {'a'}) +
                        Chunk("IDAT", {1}) + Chunk("IEND", {})),
              "Cannot load image. Invalid or unexpected PNG image format.");
}

TEST(PngGraphic, SizesNoMemoryOrDataCouldHoldAreRefusedBeforeAllocating) {
    // 2^31 - 1 squared: beyond the image limit.
    TPNGGraphic png;
    EXPECT_THROW(LoadInto(png, File(HeaderData(0x7FFFFFFF, 0x7FFFFFFF, 8, 6), {0})), EConvertError);
    EXPECT_EQ(LoadError(File(HeaderData(0x80000000u, 1, 8, 2), {0})), "Cannot load image. Invalid or unexpected PNG image format.");
    // 16000 x 16000 RGBA is within the limit, but a few bytes cannot inflate to a gigabyte.
    EXPECT_EQ(LoadError(File(HeaderData(16000, 16000, 8, 6), Deflated(TBytes(1000, 0)))),
              "Cannot load image. Invalid or unexpected PNG image format.");
    // A chunk length beyond the file is not allocated.
    TBytes file = Signature() + Chunk("IHDR", kRgbHeader);
    PutBE32(file, 0x7FFFFFF0);
    file = file + TBytes{'I', 'D', 'A', 'T', 1, 2, 3};
    EXPECT_EQ(LoadError(file), "Stream read error in PNG file.");
}

}  // namespace
}  // namespace pellumo
