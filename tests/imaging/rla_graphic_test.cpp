#include "imaging/formats/rla_graphic.h"

#include <gtest/gtest.h>

#include "file_bytes.h"
#include "raster/pixels.h"

namespace pellumo {
namespace {

using probe::PixelAt;
using probe::Rgb;
using test::LoadInto;
using test::TFileBytes;

constexpr int kWidth = 2, kHeight = 2;

struct TRLALayout {
    int Bottom = 0, Top = kHeight - 1;
    int Matte = 0;
    std::string_view Gamma = "1.0";
    std::string_view Channel = "rgb";
    int Bits = 8;
    int MatteBits = 8;
};

// The sample of channel c at column x of scan line i, in file order.
std::uint8_t Sample(int c, int i, int x) { return static_cast<std::uint8_t>(64 + 40 * c + 16 * i + x); }

// Scan lines hold one literal packet per channel (a run for the matte of line 1).
std::vector<std::uint8_t> File(const TRLALayout& l) {
    TFileBytes file;
    file.Zeros(8).BE16(0).BE16(kWidth - 1).BE16(l.Bottom).BE16(l.Top).Zeros(4).BE16(3).BE16(l.Matte).PadTo(28);
    file.Text(l.Gamma).PadTo(580).Text(l.Channel).PadTo(658).BE16(l.Bits).BE16(0).BE16(l.MatteBits).PadTo(740);
    const int channels = 3 + l.Matte;
    const std::uint32_t lineSize = channels * (2 + 1 + kWidth);
    for (int i = 0; i < kHeight; ++i) file.BE32(740 + 4 * kHeight + i * lineSize);
    for (int i = 0; i < kHeight; ++i)
        for (int c = 0; c < channels; ++c) {
            file.BE16(1 + kWidth).U8(0x100 - kWidth);
            for (int x = 0; x < kWidth; ++x) file.U8(Sample(c, i, x));
        }
    return file.Data();
}

TEST(RLAGraphic, ScanLinesGoBottomUpOrTopDownAsTheActiveWindowSays) {
    for (const bool bottomUp : {true, false}) {
        TRLAGraphic rla;
        ASSERT_EQ(LoadInto(rla, File({.Bottom = bottomUp ? 0 : 1, .Top = bottomUp ? 1 : 0})), "");
        EXPECT_EQ(rla.PixelFormat(), pf24bit);
        for (int i = 0; i < kHeight; ++i)
            EXPECT_EQ(PixelAt(rla, 1, bottomUp ? kHeight - 1 - i : i), (Rgb{Sample(0, i, 1), Sample(1, i, 1), Sample(2, i, 1)}));
    }
}

TEST(RLAGraphic, MatteChannelBecomesAlpha) {
    TRLAGraphic rla;
    ASSERT_EQ(LoadInto(rla, File({.Matte = 1})), "");
    EXPECT_EQ(rla.PixelFormat(), pf32bit);
    EXPECT_EQ(rla.ScanLine(kHeight - 1)[4 + 3], Sample(3, 0, 1));
}

TEST(RLAGraphic, GammaOtherThanOneCorrectsAndOneLeavesTheSamples) {
    TRLAGraphic rla;
    ASSERT_EQ(LoadInto(rla, File({.Gamma = "2.2"})), "");
    const std::uint8_t stored = Sample(0, 0, 0);
    EXPECT_EQ(PixelAt(rla, 0, kHeight - 1).r, rla.ColorManager().GammaTable()[stored]);
    EXPECT_GT(PixelAt(rla, 0, kHeight - 1).r, stored + 50);
    // The same reader again: gamma 1, none, 0 or text that is no number leave the samples.
    for (const std::string_view gamma : {" 1.0", "", "0.0", "n/a"}) {
        ASSERT_EQ(LoadInto(rla, File({.Gamma = gamma})), "");
        EXPECT_EQ(PixelAt(rla, 0, kHeight - 1).r, stored) << gamma;
    }
}

TEST(RLAGraphic, RefusesColourLayoutsWithoutAConversionAndShortFiles) {
    const std::string invalidColor = "Invalid color format in RLA file.";
    TRLAGraphic rla;
    EXPECT_EQ(LoadInto(rla, File({.Channel = "xyz"})), invalidColor);
    EXPECT_EQ(LoadInto(rla, File({.Channel = "sampler"})), invalidColor);
    EXPECT_EQ(LoadInto(rla, File({.Bits = 16})), invalidColor);
    EXPECT_EQ(LoadInto(rla, File({.Matte = 1, .MatteBits = 16})), invalidColor);
    EXPECT_EQ(LoadInto(rla, File({.Channel = "RGB"})), "");
    std::vector<std::uint8_t> truncated = File({});
    truncated.pop_back();
    EXPECT_EQ(LoadInto(rla, truncated), "Stream read error in RLA file.");
}

}  // namespace
}  // namespace pellumo
