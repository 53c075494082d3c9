#include "imaging/formats/ppm_graphic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

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
    Load(ppm, "P3 1 1 255 10 20 30");
    EXPECT_EQ(PixelAt(ppm, 0, 0), (Rgb{10, 20, 30}));
}

TEST(PPMGraphic, SamplesAreStretchedByTheMaximumInEveryForm) {
    // Every value up to the maximum (a stride of them for 16 bits), rounded to nearest,
    // over two rows, gray and colour, text and raw; 255 is the common case kept as read.
    for (const int maximum : {1, 15, 100, 255, 256, 1023, 4095, 65534, 65535}) {
        std::vector<int> values;
        for (int v = 0; v <= maximum; v += maximum > 4095 ? 7 : 1) values.push_back(v);
        values.insert(values.end(), {maximum, maximum - 1, maximum / 2, (maximum + 1) / 2});
        if (values.size() % 6 != 0) values.resize(values.size() + 6 - values.size() % 6, maximum);
        for (const int channels : {1, 3}) {
            const std::size_t width = values.size() / channels / 2;
            for (const bool text : {true, false}) {
                SCOPED_TRACE("maximum " + std::to_string(maximum) + (channels == 1 ? " gray " : " colour ") +
                             (text ? "text" : "raw"));
                std::string file = "P" + std::to_string((text ? 2 : 5) + (channels == 3)) + "\n" +
                                   std::to_string(width) + " 2\n" + std::to_string(maximum) + "\n";
                for (const int v : values) {
                    if (text) {
                        file += std::to_string(v) + ' ';
                    } else {
                        if (maximum > 255) file += static_cast<char>(v >> 8);
                        file += static_cast<char>(v & 0xFF);
                    }
                }
                TPPMGraphic ppm;
                Load(ppm, file);
                ASSERT_EQ(ppm.PixelFormat(), channels == 1 ? pf8bit : pf24bit);
                ASSERT_EQ(ppm.Width(), static_cast<int>(width));
                for (std::size_t i = 0; i < values.size(); ++i) {
                    const std::size_t row = i / (values.size() / 2), inRow = i % (values.size() / 2);
                    // Red first in the file, blue first in the bitmap.
                    const std::size_t at = channels == 1 ? inRow : inRow / 3 * 3 + 2 - inRow % 3;
                    const auto want = static_cast<int>(std::lround(values[i] * 255.0 / maximum));
                    ASSERT_EQ(ppm.ScanLine(static_cast<int>(row))[at], want) << "value " << values[i];
                }
                if (channels == 1) {
                    const int last = static_cast<int>(width) - 1;
                    EXPECT_EQ(PixelAt(ppm, last, 1), (Rgb{255, 255, 255}));  // the gray palette
                }
            }
        }
    }
}

TEST(PPMGraphic, RawSamplesAboveTheMaximumReadAsTheMaximumTextOnesAreRefused) {
    TPPMGraphic ppm;
    Load(ppm, std::string("P5\n4 1\n100\n\x64\x65\xC8\xFF", 15));
    EXPECT_EQ(Row(ppm, 0, 4), (std::vector<int>{255, 255, 255, 255}));
    Load(ppm, std::string("P6\n2 1\n1023\n\x03\xFF\x04\x00\xFF\xFF\x00\x00\x00\x00\x00\x00", 24));
    EXPECT_EQ(Row(ppm, 0, 6), (std::vector<int>{255, 255, 255, 0, 0, 0}));
    const std::string invalid = "Cannot load image. Invalid or unexpected PBM, PGM or PPM image format.";
    EXPECT_EQ(LoadError("P2\n1 1\n15\n16\n"), invalid);
    EXPECT_EQ(LoadError("P3\n1 1\n1023\n0 1024 0\n"), invalid);
}

TEST(PPMGraphic, TheMagicLineMayCarryARemarkInsteadOfNumbers) {
    // Each magic with a remark reads as it does without one.
    const std::vector<std::pair<std::string, std::string>> files{
        {"P1", "3 1\n1 0 1\n"},        {"P2", "3 1\n255\n1 2 3\n"},        {"P3", "1 1\n255\n1 2 3\n"},
        {"P4", std::string("3 1\n\xA0", 5)}, {"P5", "3 1\n255\n\x01\x02\x03"}, {"P6", "1 1\n255\n\x01\x02\x03"}};
    for (const auto& [magic, rest] : files) {
        SCOPED_TRACE(magic);
        TPPMGraphic plain, remarked;
        Load(plain, magic + "\n" + rest);
        for (const std::string remark :
             {" and a remark", " made by tool 2 3 255", "x", "\tremark\r", " 12px wide", " # comment"}) {
            SCOPED_TRACE(remark);
            ASSERT_NO_THROW(Load(remarked, magic + remark + "\n" + rest));
            ASSERT_EQ(remarked.Width(), plain.Width());
            ASSERT_EQ(remarked.Height(), plain.Height());
            EXPECT_EQ(Row(remarked, 0, 3), Row(plain, 0, 3));
        }
    }
    TPPMGraphic ppm;
    // Numbers before a remark are header numbers; those after it are not.
    Load(ppm, "P1 2 wide 9 9\n1\n10\n");
    EXPECT_EQ(ppm.Width(), 2);
    EXPECT_EQ(ppm.Height(), 1);
    EXPECT_EQ(Row(ppm, 0, 1), (std::vector<int>{0x80}));
    // A whole header on the magic's line ends at the maximum: raw samples follow at once,
    // even ones that look like a remark.
    Load(ppm, "P5 3 1 255 abc");
    EXPECT_EQ(Row(ppm, 0, 3), (std::vector<int>{'a', 'b', 'c'}));
    Load(ppm, "P4 8 1 x");
    EXPECT_EQ(Row(ppm, 0, 1), (std::vector<int>{'x'}));
    // A remark ends with its line, which a file that ends there lacks.
    EXPECT_EQ(LoadError("P2 a remark"), "Stream read error in PPM file.");
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
