#include "imaging/formats/tiff_graphic.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "base/memory_stream.h"
#include "raster/graphic.h"
#include "raster/pixels.h"
#include "tiff_test_files.h"

namespace pellumo {
namespace {

using namespace tiff_files;

void Load(TTIFFGraphic& tiff, const TBytes& bytes) {
    TMemoryStream stream(bytes);
    tiff.LoadFromStream(stream);
}

// Every pixel as 0xRRGGBB, row by row.
std::vector<std::uint32_t> Pixels(const TBytes& bytes) {
    TTIFFGraphic tiff;
    Load(tiff, bytes);
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < tiff.Height(); ++y)
        for (int x = 0; x < tiff.Width(); ++x) {
            const probe::Rgb c = probe::PixelAt(tiff, x, y);
            pixels.push_back(static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b));
        }
    return pixels;
}

std::string LoadError(const TBytes& bytes) {
    try {
        Pixels(bytes);
    } catch (const EInvalidGraphic& e) {
        return e.what();
    }
    return "loaded";
}

const std::string kInvalidFormat = "Cannot load image. Invalid or unexpected TIF/TIFF image format.";
const std::string kNoCompression = "Cannot load image. The compression scheme is not supported for TIF/TIFF files.";
const std::string kInvalidPalette = "Cannot load image. Palette in TIF/TIFF file is invalid.";
const std::string kInvalidColor = "Invalid color format in TIF/TIFF file.";

// 16-bit samples in the file's byte order.
TBytes Words(bool bigEndian, std::initializer_list<std::uint16_t> words) {
    TBytes out;
    for (std::uint16_t w : words) {
        const std::uint8_t high = static_cast<std::uint8_t>(w >> 8), low = static_cast<std::uint8_t>(w);
        out.insert(out.end(), bigEndian ? std::initializer_list<std::uint8_t>{high, low} : std::initializer_list<std::uint8_t>{low, high});
    }
    return out;
}

// A 16-bit gray image of 3 x 2 pixels in two strips, and a 4-bit palette image of 4 x 1.
TFile Gray16(bool bigEndian) {
    TFile file = StripImage(bigEndian, 3, 2, 16, 1, 1, 1);
    file.Strips = {Words(bigEndian, {0x0000, 0x8000, 0xFFFF}), Words(bigEndian, {0x1234, 0x40FF, 0xC000})};
    return file;
}
TFile Palette4(bool bigEndian) {
    TFile file = StripImage(bigEndian, 4, 1, 4, 1, 3, 1);
    std::vector<std::uint32_t> map(48, 0);
    for (std::uint32_t i = 0; i < 16; ++i) {
        map[i] = i * 0x1111;             // red
        map[16 + i] = 0xFFFF - i * 0x1111;  // green
        map[32 + i] = (i % 2) * 0xFFFF;  // blue
    }
    file.Add(320, ttShort, map);
    file.Strips = {{0x0F, 0x35}};
    return file;
}

TEST(TIFFGraphic, BothByteOrdersLoadTheSame) {
    for (auto make : {Gray16, Palette4}) {
        const std::vector<std::uint32_t> little = Pixels(make(false).Build());
        EXPECT_EQ(Pixels(make(true).Build()), little);
        // Header bytes that are neither "II" nor "MM" mean little-endian.
        TFile odd = make(false);
        odd.Mark = 'X';
        EXPECT_EQ(Pixels(odd.Build()), little);
    }
    const std::vector<std::uint32_t> gray = Pixels(Gray16(true).Build());
    EXPECT_EQ(gray[0], 0x000000u);
    EXPECT_EQ(gray[2], 0xFFFFFFu);
    EXPECT_EQ(Pixels(Palette4(true).Build()), (std::vector<std::uint32_t>{0x00FF00, 0xFF00FF, 0x33CCFF, 0x55AAFF}));
}

TEST(TIFFGraphic, StripGeometry) {
    // One strip holds the whole image even where RowsPerStrip says 1.
    TFile single = StripImage(false, 2, 3, 8, 1, 1, 1);
    single.Strips = {{0, 10, 20, 30, 40, 50}};
    EXPECT_EQ(Pixels(single.Build()).size(), 6u);
    EXPECT_EQ(Pixels(single.Build())[5], 0x323232u);

    // RowsPerStrip {1, 2}: the last value serves the strips after it.
    TFile repeated = StripImage(false, 1, 5, 8, 1, 1, 1);
    repeated.Tags.back().Values = {1, 2};
    repeated.Strips = {{10}, {20, 30}, {40, 50}};
    EXPECT_EQ(Pixels(repeated.Build()), (std::vector<std::uint32_t>{0x0A0A0A, 0x141414, 0x1E1E1E, 0x282828, 0x323232}));

    TFile noRows = repeated;
    noRows.Tags.pop_back();
    EXPECT_EQ(LoadError(noRows.Build()), kInvalidFormat);

    TFile noOffsets = single;
    noOffsets.AddStripTags = false;
    noOffsets.Add(273, ttLong, {}).Add(279, ttLong, {});
    EXPECT_EQ(LoadError(noOffsets.Build()), kInvalidFormat);

    // A strip that starts outside the file is a read error; one whose data ends early gives
    // the rows it holds whole, and the bytes after it in the file are not taken for pixels.
    TFile outside = single;
    outside.AddStripTags = false;
    outside.Add(273, ttLong, {4000}).Add(279, ttLong, {6});
    EXPECT_EQ(LoadError(outside.Build()), "Stream read error in TIF/TIFF file.");
    TFile shortStrip = single;
    shortStrip.Strips = {{7, 10, 20}};
    EXPECT_EQ(Pixels(shortStrip.Build()), (std::vector<std::uint32_t>{0x070707, 0x0A0A0A, 0, 0, 0, 0}));

    // Packed data that ends early leaves the rest of its strip black, whatever the strip
    // before it held.
    TFile packBits = StripImage(false, 2, 4, 8, 1, 1, 2, 32773);
    packBits.Strips = {{0x03, 10, 20, 30, 40}, {0x00, 50}};
    EXPECT_EQ(Pixels(packBits.Build()), (std::vector<std::uint32_t>{0x0A0A0A, 0x141414, 0x1E1E1E, 0x282828, 0x323232, 0, 0, 0}));
}

TEST(TIFFGraphic, UnreadLayoutsAreRefusedClearly) {
    TFile noCompression = StripImage(false, 2, 1, 8, 1, 1, 1);
    noCompression.Tags.erase(noCompression.Tags.begin() + 3);
    noCompression.Strips = {{1, 2}};
    EXPECT_EQ(LoadError(noCompression.Build()), kNoCompression);

    TFile twoDimensional = StripImage(false, 8, 1, 1, 1, 0, 1, 3);
    twoDimensional.Add(292, ttLong, {1});
    twoDimensional.Strips = {{0x83}};
    EXPECT_EQ(LoadError(twoDimensional.Build()), kNoCompression);

    TFile widePalette = StripImage(false, 1, 1, 16, 1, 3, 1);
    widePalette.Add(320, ttShort, {0, 0, 0});
    widePalette.Strips = {{0, 0}};
    EXPECT_EQ(LoadError(widePalette.Build()), kInvalidPalette);
    TFile noMap = Palette4(false);
    noMap.Tags.pop_back();
    EXPECT_EQ(LoadError(noMap.Build()), kInvalidPalette);

    TFile planar = StripImage(false, 1, 1, 8, 3, 2, 1);
    planar.Add(284, ttShort, {2});
    planar.Strips = {{1, 2, 3}};
    EXPECT_EQ(LoadError(planar.Build()), kInvalidColor);
    TFile grayAlpha = StripImage(false, 1, 1, 8, 2, 1, 1);
    grayAlpha.Strips = {{1, 2}};
    EXPECT_EQ(LoadError(grayAlpha.Build()), kInvalidColor);

    // A header may not promise an image its file cannot hold.
    TFile huge = StripImage(false, 10000, 10000, 8, 1, 1, 10000);
    huge.Strips = {{1, 2, 3, 4}};
    EXPECT_EQ(LoadError(huge.Build()), kInvalidFormat);

    TFile zeroWidth = StripImage(false, 0, 1, 8, 1, 1, 1);
    zeroWidth.Strips = {{1}};
    EXPECT_EQ(LoadError(zeroWidth.Build()), kInvalidFormat);
}

TEST(TIFFGraphic, WhiteIsZeroFaxRowsGetAPaletteWithWhiteFirst) {
    // Modified Huffman rows of 8: white 3, black 5; then white 8.
    TFile fax = StripImage(false, 8, 2, 1, 1, 0, 2, 2);
    fax.Strips = {{0x83, 0x98}};
    TTIFFGraphic tiff;
    Load(tiff, fax.Build());
    ASSERT_EQ(tiff.PixelFormat(), pf1bit);
    ASSERT_EQ(tiff.Palette().size(), 2u);
    EXPECT_EQ(probe::PixelAt(tiff, 0, 0), (probe::Rgb{255, 255, 255}));
    EXPECT_EQ(probe::PixelAt(tiff, 3, 0), (probe::Rgb{0, 0, 0}));
    EXPECT_EQ(probe::PixelAt(tiff, 7, 1), (probe::Rgb{255, 255, 255}));
}

TEST(TIFFGraphic, StoredBitOrderAndPremultipliedAlphaAreUndone) {
    TFile lsbFirst = StripImage(false, 2, 1, 8, 1, 1, 1);
    lsbFirst.Add(266, ttShort, {2});
    lsbFirst.Strips = {{0x01, 0x0F}};
    EXPECT_EQ(Pixels(lsbFirst.Build()), (std::vector<std::uint32_t>{0x808080, 0xF0F0F0}));

    TFile associated = StripImage(false, 1, 1, 8, 4, 2, 1);
    associated.Add(338, ttShort, {1});
    associated.Strips = {{40, 64, 128, 128}};
    TTIFFGraphic tiff;
    Load(tiff, associated.Build());
    ASSERT_EQ(tiff.PixelFormat(), pf32bit);
    const std::uint8_t* bgra = tiff.ScanLine(0);
    EXPECT_EQ(TBytes(bgra, bgra + 4), (TBytes{255, 128, 80, 128}));
}

TEST(TIFFGraphic, HorizontalDifferencingRestoresEachSample) {
    TFile rgb = StripImage(false, 3, 1, 8, 3, 2, 1);
    rgb.Add(317, ttShort, {2});
    rgb.Strips = {{10, 200, 30, 5, 100, 250, 1, 2, 3}};
    EXPECT_EQ(Pixels(rgb.Build()), (std::vector<std::uint32_t>{0x0AC81E, 0x0F2C18, 0x102E1B}));

    // 16-bit samples add as whole numbers: the carry reaches the high byte.
    for (bool bigEndian : {false, true}) {
        TFile differenced = StripImage(bigEndian, 3, 1, 16, 1, 1, 1);
        differenced.Add(317, ttShort, {2});
        differenced.Strips = {Words(bigEndian, {0x00FF, 0x0001, 0x7F00})};
        TFile plain = StripImage(bigEndian, 3, 1, 16, 1, 1, 1);
        plain.Strips = {Words(bigEndian, {0x00FF, 0x0100, 0x8000})};
        EXPECT_EQ(Pixels(differenced.Build()), Pixels(plain.Build()));
    }
}

TEST(TIFFGraphic, SubsampledYCbCrMatchesLibtiff) {
    // The expectations are libtiff's tiff2rgba decodes of the same files; its integer tables
    // round a little differently, hence a tolerance of 2.
    const std::map<std::string, std::vector<std::uint32_t>> expected = {
        {"11", {0x005400, 0x263A00, 0x96205C, 0x5262BA, 0xC27436, 0x7EB595, 0xEE9BF3, 0xAAFF6F, 0x3A0F00, 0x00514C,
                0x6637AB, 0x22A426, 0x928B85, 0xFF71E3, 0xBEDE5F}},
        {"12", {0x005400, 0x43571A, 0xD05A96, 0xA9B9FF, 0x560800, 0x007100, 0x607437, 0xED77B3, 0xC6D6FF, 0x732500,
                0x2F6646, 0xBC69C1, 0x95F45A, 0x421700, 0x1B7671}},
        {"21", {0x005400, 0x007100, 0x43571A, 0x607437, 0xD05A96, 0xA9B9FF, 0xC6D6FF, 0x560800, 0x732500, 0x2F6646,
                0xBC69C1, 0xD986DE, 0x95F45A, 0xB2FF77, 0x421700}},
        {"22", {0x005400, 0x007100, 0x7D9154, 0x9AAE71, 0x64002A, 0x008E00, 0x0DAB00, 0xB7CB8E, 0xD4E8AB, 0x9E2864,
                0x7787DF, 0x94A4FC, 0x5E1000, 0x7B2D00, 0x71A888}},
        {"22s", {0x002F00, 0x005000, 0x7F8F4F, 0xA0B070, 0x69001D, 0x007200, 0x009400, 0xC2D292, 0xE4F4B4, 0xAC2D60,
                 0x758EF2, 0x97B0FF, 0x5F0400, 0x812600, 0x6DA78C}},
        {"42", {0x005400, 0x007100, 0x008E00, 0x0DAB00, 0x112500, 0x2AC813, 0x47E530, 0x64FF4D, 0x81FF6A, 0x85995C,
                0x6C0032, 0x89134F, 0xA6306C, 0xC34D89, 0x13237B}},
        {"44", {0x005400, 0x007100, 0x008E00, 0x0DAB00, 0x192D00, 0x2AC813, 0x47E530, 0x64FF4D, 0x81FF6A, 0x8DA164,
                0x005C00, 0x007900, 0x009600, 0x15B300, 0x213500}},
    };
    for (const auto& [name, want] : expected) {
        SCOPED_TRACE(name);
        const std::vector<std::uint32_t> got =
            Pixels(YCbCrSample(static_cast<std::uint32_t>(name[0] - '0'), static_cast<std::uint32_t>(name[1] - '0'),
                               name.size() == 3));
        ASSERT_EQ(got.size(), want.size());
        for (std::size_t i = 0; i < got.size(); ++i)
            for (int shift : {0, 8, 16})
                EXPECT_LE(std::abs(static_cast<int>((got[i] >> shift) & 0xFF) - static_cast<int>((want[i] >> shift) & 0xFF)), 2)
                    << "pixel " << i;
    }
    TFile three = StripImage(false, 5, 3, 8, 3, 6, 3);
    three.Add(530, ttShort, {3, 1});
    three.Strips = {TBytes(100, 0)};
    EXPECT_EQ(LoadError(three.Build()), kInvalidColor);
}

// Every prefix of a valid file loads or fails with an exception, never reads beyond its bytes.
TEST(TIFFGraphic, TruncatedFilesFailCleanly) {
    for (const TBytes& whole : {Gray16(true).Build(), Palette4(false).Build(), YCbCrSample(4, 2, true)}) {
        for (std::size_t size = 0; size < whole.size(); ++size) {
            try {
                Pixels(TBytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)));
            } catch (const Exception&) {
            }
        }
    }
}

}  // namespace
}  // namespace pellumo
