// The reduced decode that previews use: the scale it picks, the colours it gives, and the
// same refusals as the full decode.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/exceptions.h"
#include "base/memory_stream.h"
#include "raster/bitmap.h"
#include "raster/jpeg_codec.h"
#include "raster/jpeg_image.h"
#include "pixels.h"

namespace pellumo {
namespace {

using probe::PixelAt;
using probe::Rgb;

std::vector<std::uint8_t> DataFile(const char* name) {
    TMemoryStream file;
    file.LoadFromFile(std::string(PELLUMO_TEST_DATA) + "/jpeg/" + name);
    return file.Bytes();
}

std::vector<std::uint8_t> Encoded(int width, int height) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, height);
    return EncodeJpeg(bitmap, 80);
}

TEST(JpegScaledDecode, TakesTheSmallestScaleThatStillReachesTheSize) {
    struct {
        int width, height, longestSide, expectedWidth, expectedHeight;
    } const cases[] = {
        {803, 601, 250, 302, 226},   // 3/8, sides rounded up as libjpeg does
        {601, 803, 250, 226, 302},   // portrait: the longer side counts
        {800, 600, 100, 100, 75},    // 1/8 reaches exactly
        {800, 600, 101, 200, 150},   // one pixel more takes the next scale
        {800, 600, 5000, 800, 600},  // never enlarged
        {800, 600, 0, 100, 75},      // nothing asked: the smallest
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " to " << c.longestSide);
        TBitmap thumbnail;
        DecodeJpegScaled(Encoded(c.width, c.height), c.longestSide, thumbnail);
        EXPECT_EQ(thumbnail.Width(), c.expectedWidth);
        EXPECT_EQ(thumbnail.Height(), c.expectedHeight);
        EXPECT_EQ(thumbnail.PixelFormat(), pf24bit);
    }
}

TEST(JpegScaledDecode, ColourGrayAndCmykComeOutInTheFullDecodesColours) {
    // At an eighth each flat 8x8 quadrant becomes one pixel of its own colour.
    struct {
        const char* name;
        Rgb quadrants[4];
    } const files[] = {
        {"colour_16x16.jpg", {{200, 30, 40}, {20, 180, 60}, {30, 50, 220}, {250, 250, 250}}},
        {"colour_420_progressive_16x16.jpg", {{200, 30, 40}, {20, 180, 60}, {30, 50, 220}, {250, 250, 250}}},
        {"gray_16x16.jpg", {{16, 16, 16}, {96, 96, 96}, {176, 176, 176}, {240, 240, 240}}},
        {"cmyk_16x16.jpg", {{255, 0, 0}, {0, 255, 0}, {127, 127, 127}, {255, 255, 255}}},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        TBitmap thumbnail;
        DecodeJpegScaled(DataFile(file.name), 2, thumbnail);
        ASSERT_EQ(thumbnail.Width(), 2);
        ASSERT_EQ(thumbnail.Height(), 2);
        EXPECT_EQ(thumbnail.PixelFormat(), pf24bit);
        for (int q = 0; q < 4; ++q) {
            const Rgb got = PixelAt(thumbnail, q % 2, q / 2);
            EXPECT_NEAR(got.r, file.quadrants[q].r, 8) << "quadrant " << q;
            EXPECT_NEAR(got.g, file.quadrants[q].g, 8) << "quadrant " << q;
            EXPECT_NEAR(got.b, file.quadrants[q].b, 8) << "quadrant " << q;
        }
    }
}

TEST(JpegScaledDecode, RefusesWhatTheFullDecodeRefusesAndLeavesTheTargetAlone) {
    auto expectRefused = [](const std::vector<std::uint8_t>& data, auto exceptionType) {
        TBitmap target;
        target.SetSize(3, 3);
        try {
            DecodeJpegScaled(data, 8, target);
            ADD_FAILURE() << "no error";
        } catch (const decltype(exceptionType)& e) {
            EXPECT_FALSE(e.Message().empty());
        }
        EXPECT_EQ(target.Width(), 3);
    };
    // Cut anywhere short of the end marker, in the headers, the scan, between scans.
    for (const char* name : {"colour_16x16.jpg", "colour_420_progressive_16x16.jpg"}) {
        const std::vector<std::uint8_t> whole = DataFile(name);
        for (std::size_t size = 0; size + 2 < whole.size(); ++size) {
            SCOPED_TRACE(testing::Message() << name << " cut at " << size);
            expectRefused({whole.begin(), whole.begin() + static_cast<long>(size)}, EJPEG(""));
        }
    }
    // A header that claims 20000 x 20000 pixels is refused before anything is allocated.
    std::vector<std::uint8_t> huge = DataFile("colour_16x16.jpg");
    std::size_t frame = 0;
    while (frame + 8 < huge.size() && !(huge[frame] == 0xFF && huge[frame + 1] == 0xC0)) ++frame;
    ASSERT_LT(frame + 8, huge.size());
    huge[frame + 5] = huge[frame + 7] = 20000 >> 8;
    huge[frame + 6] = huge[frame + 8] = 20000 & 0xFF;
    expectRefused(huge, EConvertError(""));
}

}  // namespace
}  // namespace pellumo
