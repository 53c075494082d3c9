#include "raster/jpeg_image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "base/memory_stream.h"
#include "raster/bitmap.h"
#include "raster/display.h"
#include "raster/pixel_rows.h"
#include "pixels.h"

namespace pellumo {
namespace {

using probe::PixelAt;
using probe::Rgb;

// The test pictures are four flat 8x8 quadrants (tests/data/jpeg/make_files.py).



void ExpectQuadrants(const TBitmap& bitmap, const Rgb (&expected)[4], int tolerance) {
    ASSERT_EQ(bitmap.Width(), 16);
    ASSERT_EQ(bitmap.Height(), 16);
    for (int q = 0; q < 4; ++q) {
        // The middle of each quadrant, away from the edges where blocks meet.
        for (int y = 2; y < 6; ++y) {
            for (int x = 2; x < 6; ++x) {
                const Rgb got = PixelAt(bitmap, (q % 2) * 8 + x, (q / 2) * 8 + y);
                EXPECT_NEAR(got.r, expected[q].r, tolerance) << "quadrant " << q;
                EXPECT_NEAR(got.g, expected[q].g, tolerance) << "quadrant " << q;
                EXPECT_NEAR(got.b, expected[q].b, tolerance) << "quadrant " << q;
            }
        }
    }
}

std::string DataFile(const char* name) { return std::string(PELLUMO_TEST_DATA) + "/jpeg/" + name; }

TBitmap Decode(const char* name) {
    TJPEGImage jpeg;
    jpeg.LoadFromFile(DataFile(name));
    TBitmap bitmap;
    bitmap.Assign(jpeg);
    return bitmap;
}

const Rgb kColourQuadrants[4] = {{200, 30, 40}, {20, 180, 60}, {30, 50, 220}, {250, 250, 250}};

TEST(JpegDecode, ColourGivesTwentyFourBitsAtFullScale) {
    // Chroma at half resolution rounds a little further from the source.
    const std::pair<const char*, int> files[] = {{"colour_16x16.jpg", 3}, {"colour_420_progressive_16x16.jpg", 6}};
    for (const auto& [name, tolerance] : files) {
        SCOPED_TRACE(name);
        const TBitmap bitmap = Decode(name);
        EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
        ExpectQuadrants(bitmap, kColourQuadrants, tolerance);
    }
}

TEST(JpegDecode, GrayGivesEightBitsWithAGrayPalette) {
    const TBitmap bitmap = Decode("gray_16x16.jpg");
    EXPECT_EQ(bitmap.PixelFormat(), pf8bit);
    ASSERT_EQ(bitmap.Palette().size(), 256u);
    EXPECT_EQ(bitmap.Palette()[77], (TPaletteEntry{77, 77, 77, 0}));
    const Rgb expected[4] = {{16, 16, 16}, {96, 96, 96}, {176, 176, 176}, {240, 240, 240}};
    ExpectQuadrants(bitmap, expected, 2);
}

TEST(JpegDecode, AdobeCmykComesOutInItsIntendedColours) {
    // Written as ink amounts red (M+Y), green (C+Y), half black and no ink.
    const TBitmap bitmap = Decode("cmyk_16x16.jpg");
    EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
    const Rgb expected[4] = {{255, 0, 0}, {0, 255, 0}, {127, 127, 127}, {255, 255, 255}};
    ExpectQuadrants(bitmap, expected, 3);
}

TEST(JpegDecode, LowColourDisplaysGetAPalettedPicture) {
    SetDisplayBitsPerPixel(8);
    const TBitmap bitmap = Decode("colour_16x16.jpg");
    SetDisplayBitsPerPixel(32);
    EXPECT_EQ(bitmap.PixelFormat(), pf8bit);
    EXPECT_LE(bitmap.Palette().size(), 256u);
    EXPECT_FALSE(bitmap.Palette().empty());
    // Four flat colours fit a 256-colour palette without dithering away from them.
    ExpectQuadrants(bitmap, kColourQuadrants, 8);
}

TEST(JpegImage, KnowsItsSizeBeforeDecodingAndKeepsItsBytes) {
    TMemoryStream file;
    file.LoadFromFile(DataFile("gray_16x16.jpg"));
    TMemoryStream stream;
    const std::uint8_t prefix[3] = {1, 2, 3};  // the JPEG is the rest of the stream from its position
    stream.WriteBuffer(prefix, 3);
    stream.WriteBuffer(file.Memory(), static_cast<std::size_t>(file.Size()));
    stream.SetPosition(3);
    TJPEGImage jpeg;
    jpeg.LoadFromStream(stream);
    EXPECT_EQ(jpeg.Width(), 16);
    EXPECT_EQ(jpeg.Height(), 16);
    EXPECT_TRUE(jpeg.Grayscale());
    TMemoryStream saved;
    jpeg.SaveToStream(saved);
    EXPECT_EQ(saved.Bytes(), file.Bytes());
}

TEST(JpegImage, DataCutAnywhereRaisesWithTheCodecsMessage) {
    for (const char* name : {"colour_16x16.jpg", "colour_420_progressive_16x16.jpg"}) {
        TMemoryStream file;
        file.LoadFromFile(DataFile(name));
        const std::vector<std::uint8_t>& whole = file.Bytes();
        // Every cut short of the end marker: inside the headers, the scans, between scans.
        for (std::size_t size = 0; size + 2 < whole.size(); ++size) {
            SCOPED_TRACE(testing::Message() << name << " cut at " << size);
            TMemoryStream cut(std::vector<std::uint8_t>(whole.begin(), whole.begin() + static_cast<long>(size)));
            TBitmap bitmap;
            bitmap.SetSize(3, 3);
            try {
                TJPEGImage jpeg;
                jpeg.LoadFromStream(cut);
                bitmap.Assign(jpeg);
                FAIL() << "no error";
            } catch (const EJPEG& e) {
                EXPECT_FALSE(e.Message().empty());
            }
            EXPECT_EQ(bitmap.Width(), 3);  // a failed decode leaves the target alone
        }
    }
}

TEST(JpegImage, DataThatIsNotJpegRaisesAtLoad) {
    TMemoryStream notJpeg(std::vector<std::uint8_t>(100, 0x42));
    TJPEGImage jpeg;
    try {
        jpeg.LoadFromStream(notJpeg);
        FAIL();
    } catch (const EJPEG& e) {
        EXPECT_NE(e.Message().find("JPEG"), std::string::npos) << e.Message();
    }
    EXPECT_TRUE(jpeg.Empty());
}

TEST(JpegImage, APictureMissingOnlyItsEndMarkerStillLoads) {
    TMemoryStream file;
    file.LoadFromFile(DataFile("colour_16x16.jpg"));
    std::vector<std::uint8_t> bytes = file.Bytes();
    ASSERT_EQ(bytes[bytes.size() - 2], 0xFF);
    bytes.resize(bytes.size() - 2);
    TMemoryStream stream(bytes);
    TJPEGImage jpeg;
    jpeg.LoadFromStream(stream);
    TBitmap bitmap;
    bitmap.Assign(jpeg);
    ExpectQuadrants(bitmap, kColourQuadrants, 3);
}

TEST(JpegEncode, EncodesAnyBitmapAtItsQualityAndDecodesBack) {
    TBitmap source;
    source.SetPixelFormat(pf24bit);
    source.SetSize(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const Rgb c = kColourQuadrants[(y / 8) * 2 + x / 8];
            std::uint8_t* p = source.ScanLine(y) + x * 3;
            p[0] = static_cast<std::uint8_t>(c.b);
            p[1] = static_cast<std::uint8_t>(c.g);
            p[2] = static_cast<std::uint8_t>(c.r);
        }
    for (TPixelFormat format : {pf24bit, pf32bit, pf16bit}) {
        SCOPED_TRACE(format);
        TBitmap converted;
        converted.Assign(source);
        converted.SetPixelFormat(format);
        TJPEGImage jpeg;
        jpeg.SetCompressionQuality(95);
        jpeg.Assign(converted);
        EXPECT_FALSE(jpeg.Grayscale());
        TBitmap back;
        back.Assign(jpeg);
        ExpectQuadrants(back, kColourQuadrants, format == pf16bit ? 12 : 4);
    }

    TJPEGImage small;
    TJPEGImage large;
    small.SetCompressionQuality(10);
    large.SetCompressionQuality(100);
    small.Assign(source);
    large.Assign(source);
    EXPECT_LT(small.Data().size(), large.Data().size());
    EXPECT_EQ(TJPEGImage().CompressionQuality(), 90);
}

TEST(JpegEncode, AGrayPalettedBitmapBecomesAGrayJpeg) {
    const TBitmap gray = Decode("gray_16x16.jpg");
    TJPEGImage jpeg;
    jpeg.Assign(gray);
    EXPECT_TRUE(jpeg.Grayscale());
    TBitmap back;
    back.Assign(jpeg);
    const Rgb expected[4] = {{16, 16, 16}, {96, 96, 96}, {176, 176, 176}, {240, 240, 240}};
    ExpectQuadrants(back, expected, 3);
}

}  // namespace
}  // namespace pellumo
