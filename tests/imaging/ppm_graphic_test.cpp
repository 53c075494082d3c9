#include "imaging/formats/ppm_graphic.h"

#include <gtest/gtest.h>

#include <string>

#include "base/memory_stream.h"
#include "raster/pixels.h"

namespace pellumo {
namespace {

using probe::PixelAt;
using probe::Rgb;

void Load(TPPMGraphic& ppm, const std::string& file) {
    TMemoryStream stream(std::vector<std::uint8_t>(file.begin(), file.end()));
    ppm.LoadFromStream(stream);
}

std::string LoadError(const std::string& file) {
    TPPMGraphic ppm;
    try {
        Load(ppm, file);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(loaded)";
}

std::vector<int> Row(const TPPMGraphic& ppm, int y, std::size_t bytes) {
    return {ppm.ScanLine(y), ppm.ScanLine(y) + bytes};
}

TEST(PPMGraphic, BitmapsPackEightPixelsABytePartialBytesFromTheTop) {
    TPPMGraphic ppm;
    // Text pixels need not be set apart; 1 is black.
    Load(ppm, "P1\n10 2\n1000000001\n0 1 0 0 0 0 0 0 1 1\n");
    EXPECT_EQ(ppm.PixelFormat(), pf1bit);
    EXPECT_EQ(Row(ppm, 0, 2), (std::vector<int>{0x80, 0x40}));
    EXPECT_EQ(Row(ppm, 1, 2), (std::vector<int>{0x40, 0xC0}));
    EXPECT_EQ(PixelAt(ppm, 0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(PixelAt(ppm, 1, 0), (Rgb{255, 255, 255}));
    Load(ppm, std::string("P4\n10 1\n\x80\x7F", 10));
    EXPECT_EQ(Row(ppm, 0, 2), (std::vector<int>{0x80, 0x7F}));
}

TEST(PPMGraphic, HeaderNumbersStandWhereverTheFileHasThem) {
    TPPMGraphic ppm;
    // Comment lines in a row, and a comment right after a number.
    Load(ppm, "P2\n# one\n#2 3 4\n2# two\n# three\n1\n255\n0 255");
    ASSERT_EQ(ppm.Width(), 2);
    EXPECT_EQ(Row(ppm, 0, 2), (std::vector<int>{0, 255}));
    // All on the magic's line.
    Load(ppm, std::string("P5 2 1 255\n\x10\x20", 13));
    EXPECT_EQ(Row(ppm, 0, 2), (std::vector<int>{0x10, 0x20}));
}

TEST(PPMGraphic, SamplesAreStoredAsReadAndSixteenBitOnesByTheirUpperByte) {
    TPPMGraphic ppm;
    Load(ppm, std::string("P5\n2 1\n15\n\x00\x0F", 12));
    EXPECT_EQ(ppm.PixelFormat(), pf8bit);
    EXPECT_EQ(PixelAt(ppm, 1, 0), (Rgb{15, 15, 15}));
    // Red first in the file, blue first in the bitmap.
    Load(ppm, std::string("P6\n1 1\n255\n\xFF\x00\x00", 14));
    EXPECT_EQ(ppm.PixelFormat(), pf24bit);
    EXPECT_EQ(Row(ppm, 0, 3), (std::vector<int>{0, 0, 255}));
    Load(ppm, "P3 1 1 255 10 20 30");
    EXPECT_EQ(PixelAt(ppm, 0, 0), (Rgb{10, 20, 30}));
    Load(ppm, std::string("P5\n2 1\n65535\n\x12\x34\xAB\xCD", 17));
    EXPECT_EQ(Row(ppm, 0, 2), (std::vector<int>{0x12, 0xAB}));
    Load(ppm, "P2\n2 1\n1023\n1023 256\n");
    EXPECT_EQ(Row(ppm, 0, 2), (std::vector<int>{3, 1}));
}

TEST(PPMGraphic, RefusesBrokenFilesClearly) {
    const std::string invalid = "Cannot load image. Invalid or unexpected PBM, PGM or PPM image format.";
    const std::string ended = "Stream read error in PPM file.";
    EXPECT_EQ(LoadError(""), ended);
    EXPECT_EQ(LoadError("Q5\n1 1\n255\n"), invalid);
    EXPECT_EQ(LoadError("P7\n1 1\n255\n"), invalid);
    EXPECT_EQ(LoadError("P2\n-1 1\n255\n0\n"), invalid);
    EXPECT_EQ(LoadError("P2\n1x1\n255\n0\n"), invalid);
    EXPECT_EQ(LoadError("P2\n1 1\n0\n0\n"), invalid);
    EXPECT_EQ(LoadError("P2\n1 1\n65536\n0\n"), invalid);
    EXPECT_EQ(LoadError("P2\n2 1\n255\n0 256\n"), invalid);
    EXPECT_EQ(LoadError("P1\n2 1\n02\n"), invalid);
    EXPECT_EQ(LoadError("P6\n99999999999 1\n255\n"), invalid);
    EXPECT_EQ(LoadError("P3\n3 2\n255\n0 "), ended);
    // More pixels than the file could hold are refused before anything is allocated.
    EXPECT_EQ(LoadError("P6\n16000 16000\n255\n\x01\x02\x03"), ended);
    // A raster cut short beyond the first buffer block.
    std::string big = "P5\n100 50\n255\n" + std::string(4990, 'x');
    EXPECT_EQ(LoadError(big), ended);
    EXPECT_EQ(LoadError(big + std::string(10, 'x')), "(loaded)");
}

}  // namespace
}  // namespace pellumo
