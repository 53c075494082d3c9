#include "authoring/color_profile_conversion.h"

#include "authoring/color_test_pictures.h"
#include "icc_test_profiles.h"

namespace pellumo {
namespace {

using color_pictures::ColorPictures;
using color_pictures::MaxDifference;
using color_pictures::Ramp;
using color_pictures::TBytes;

TEST(ColorProfileConversion, ConvertsOnlyWhatAProfileSaysIsNotSrgbAlready) {
    const TBytes p3 = icc_profiles::DisplayP3();
    const TBytes gray = icc_profiles::Gray(1.0, "Linear gray");
    const struct {
        TBytes profile;
        bool grayPixels;
        bool converts;
    } cases[] = {
        {{}, false, false},
        {icc_profiles::Srgb(), false, false},
        {icc_profiles::TabulatedSrgb(), true, false},
        {p3, false, true},
        {icc_profiles::AdobeRgb(), true, true},
        {gray, true, true},
        {icc_profiles::Gray(2.2, "Gray 2.2"), true, true},  // sRGB's curve is no plain gamma
        {gray, false, false},
        {icc_profiles::Lab(), false, false},
        {TBytes(p3.begin(), p3.begin() + static_cast<std::ptrdiff_t>(p3.size() / 2)), false, false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(NeedsSrgbConversion(cases[i].profile, cases[i].grayPixels), cases[i].converts) << "case " << i;
    EXPECT_EQ(ColorProfileDescription(icc_profiles::AdobeRgb()), "Adobe RGB (1998)");
    EXPECT_EQ(ColorProfileDescription(TBytes(600, 0x5A)), std::nullopt);
}

TEST(ColorProfileConversion, WhatCannotBeUsedLeavesTheBitmapAsItWas) {
    for (const TBytes& profile : {icc_profiles::Lab(), icc_profiles::Srgb(), TBytes(600, 0x5A)}) {
        TBitmap bitmap = Ramp();
        bitmap.SetColorProfile(profile);
        EXPECT_FALSE(ConvertToSrgb(bitmap));
        EXPECT_EQ(MaxDifference(bitmap, Ramp()), 0);
        EXPECT_EQ(bitmap.ColorProfile(), profile);
    }
}

// 32-bit pixels keep their fourth byte; indexed ones keep their indices and change their
// palette, gray palettes staying gray.
TEST_F(ColorPictures, KeepsAlphaIndicesAndGray) {
    const TBytes p3 = icc_profiles::DisplayP3();
    const TBitmap reference = TificcReference(Ramp(), p3);
    TBitmap withAlpha = Ramp();
    withAlpha.SetPixelFormat(pf32bit);
    for (int y = 0; y < withAlpha.Height(); ++y)
        for (int x = 0; x < withAlpha.Width(); ++x) withAlpha.ScanLine(y)[x * 4 + 3] = static_cast<std::uint8_t>(x + y);
    withAlpha.SetColorProfile(p3);
    EXPECT_TRUE(ConvertToSrgb(withAlpha));
    EXPECT_TRUE(withAlpha.ColorProfile().empty());
    EXPECT_LE(MaxDifference(withAlpha, reference), 2);
    for (int y = 0; y < withAlpha.Height(); ++y)
        for (int x = 0; x < withAlpha.Width(); ++x) ASSERT_EQ(withAlpha.ScanLine(y)[x * 4 + 3], x + y);

    // The ramp made indexed: its first row's colours in the palette, each pixel its column.
    TBitmap indexed;
    indexed.SetPixelFormat(pf8bit);
    TPalette palette;
    for (int x = 0; x < color_pictures::kWidth; ++x) {
        const probe::Rgb c = probe::PixelAt(Ramp(), x, 0);
        palette.push_back({static_cast<std::uint8_t>(c.r), static_cast<std::uint8_t>(c.g), static_cast<std::uint8_t>(c.b), 0});
    }
    indexed.SetPalette(palette);
    indexed.SetSize(color_pictures::kWidth, color_pictures::kHeight);
    for (int y = 0; y < indexed.Height(); ++y)
        for (int x = 0; x < indexed.Width(); ++x) indexed.ScanLine(y)[x] = static_cast<std::uint8_t>(x);
    const TBitmap indexedReference = TificcReference(indexed, p3);
    indexed.SetColorProfile(p3);
    EXPECT_TRUE(ConvertToSrgb(indexed));
    EXPECT_EQ(indexed.ScanLine(7)[9], 9);
    EXPECT_LE(MaxDifference(indexed, indexedReference), 2);

    // Linear light to sRGB lifts the middle gray far up.
    TBitmap gray;
    gray.SetPixelFormat(pf8bit);
    gray.SetPalette(GrayPalette());
    gray.SetSize(1, 1);
    gray.SetColorProfile(icc_profiles::Gray(1.0, "Linear gray"));
    EXPECT_TRUE(ConvertToSrgb(gray));
    for (const TPaletteEntry& e : gray.Palette()) ASSERT_TRUE(e.peRed == e.peGreen && e.peGreen == e.peBlue);
    EXPECT_NEAR(gray.Palette()[128].peRed, 188, 2);
}

}  // namespace
}  // namespace pellumo
