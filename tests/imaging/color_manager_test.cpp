#include "imaging/color/color_manager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace pellumo {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr char kIndexedMismatch[] = "Conversion between indexed and non-indexed pixel formats is not supported.";
constexpr char kNoMethod[] = "Color conversion failed. Could not find a proper method.";
constexpr char kBadDepth[] = "Color depth is invalid. Bits per sample must be 1, 2, 4, 8, or 16.";
constexpr char kBadSampleCount[] = "Sample count per pixel does not correspond to the given color scheme.";

template <class Action>
std::string FailureOf(Action&& action) {
    try {
        action();
    } catch (const EColorConversionError& error) {
        return error.Message();
    }
    return "";
}

// Converts one 8-bit RGB pixel, which is enough to make the manager choose its converter.
std::string ConvertOnePixel(TColorManager& manager) {
    Bytes source(16, 0), target(16, 0);
    return FailureOf([&] { manager.ConvertRow(source.data(), target.data(), 1); });
}

TEST(ColorManagerTest, NewManagerTurnsRgbRowsIntoBitmapRows) {
    TColorManager manager;
    EXPECT_TRUE(manager.Changed());
    EXPECT_EQ(manager.SourceBitsPerSample(), 8);
    EXPECT_EQ(manager.TargetBitsPerSample(), 8);
    EXPECT_EQ(manager.SourceSamplesPerPixel(), 3);
    EXPECT_EQ(manager.TargetSamplesPerPixel(), 3);
    EXPECT_EQ(manager.SourceColorScheme(), scRGB);
    EXPECT_EQ(manager.TargetColorScheme(), scBGR);
    EXPECT_EQ(manager.SourceOptions(), TSampleOptions{});
    EXPECT_EQ(manager.TargetOptions(), TSampleOptions{});
    EXPECT_FLOAT_EQ(manager.FileGamma(), 1.0f);
    EXPECT_FLOAT_EQ(manager.DisplayGamma(), 2.2f);
    EXPECT_EQ(manager.PixelFormatFor(1), pf24bit);

    const Bytes source = {10, 20, 30, 1, 2, 3};
    Bytes target(6, 0);
    manager.ConvertRow(source.data(), target.data(), 2);
    EXPECT_EQ(target, (Bytes{30, 20, 10, 3, 2, 1}));
    EXPECT_FALSE(manager.Changed());
}

TEST(ColorManagerTest, SettersRefuseBadValuesAndKeepTheOldOne) {
    TColorManager manager;
    manager.SetSourceBitsPerSample(16);
    manager.SetTargetSamplesPerPixel(4);
    ConvertOnePixel(manager);
    for (int bits : {0, 3, 7, 9, 15, 17, 255}) {
        SCOPED_TRACE(bits);
        EXPECT_EQ(FailureOf([&] { manager.SetSourceBitsPerSample(static_cast<std::uint8_t>(bits)); }), kBadDepth);
        EXPECT_EQ(FailureOf([&] { manager.SetTargetBitsPerSample(static_cast<std::uint8_t>(bits)); }), kBadDepth);
    }
    for (int samples : {0, 2, 5, 255}) {
        SCOPED_TRACE(samples);
        EXPECT_EQ(FailureOf([&] { manager.SetSourceSamplesPerPixel(static_cast<std::uint8_t>(samples)); }),
                  kBadSampleCount);
        EXPECT_EQ(FailureOf([&] { manager.SetTargetSamplesPerPixel(static_cast<std::uint8_t>(samples)); }),
                  kBadSampleCount);
    }
    EXPECT_EQ(manager.SourceBitsPerSample(), 16);
    EXPECT_EQ(manager.TargetBitsPerSample(), 8);
    EXPECT_EQ(manager.SourceSamplesPerPixel(), 3);
    EXPECT_EQ(manager.TargetSamplesPerPixel(), 4);
    EXPECT_FALSE(manager.Changed()) << "a refused value is no change";
}

TEST(ColorManagerTest, OnlyStoringANewPropertyValueAsksForANewConverter) {
    TColorManager manager;
    ConvertOnePixel(manager);
    manager.SetSourceBitsPerSample(8);
    manager.SetTargetSamplesPerPixel(3);
    manager.SetSourceColorScheme(scRGB);
    manager.SetTargetColorScheme(scBGR);
    manager.SourceOptions().Include(soByteSwap);
    manager.SetTargetOptions({soApplyGamma});
    manager.SetGammaValues(1.8f, 2.2f);
    EXPECT_FALSE(manager.Changed());

    const auto changes = {
        +[](TColorManager& m) { m.SetSourceBitsPerSample(16); },
        +[](TColorManager& m) { m.SetTargetBitsPerSample(16); },
        +[](TColorManager& m) { m.SetSourceSamplesPerPixel(4); },
        +[](TColorManager& m) { m.SetTargetSamplesPerPixel(4); },
        +[](TColorManager& m) { m.SetSourceColorScheme(scBGR); },
        +[](TColorManager& m) { m.SetTargetColorScheme(scRGB); },
    };
    for (auto change : changes) {
        ConvertOnePixel(manager);
        ASSERT_FALSE(manager.Changed());
        change(manager);
        EXPECT_TRUE(manager.Changed());
    }
}

TEST(ColorManagerTest, OneSampleAPixelAndTheIndexedSchemeGoTogether) {
    TColorManager manager;
    manager.SetTargetSamplesPerPixel(1);
    EXPECT_EQ(manager.TargetColorScheme(), scIndexed);
    manager.SetSourceColorScheme(scIndexed);
    EXPECT_EQ(manager.SourceSamplesPerPixel(), 1);
    manager.SetSourceColorScheme(scGray);
    EXPECT_EQ(manager.SourceSamplesPerPixel(), 1) << "leaving scIndexed keeps the sample count";

    const std::pair<int, TPixelFormat> formats[] = {{1, pf1bit}, {2, pf4bit}, {4, pf4bit}, {8, pf8bit}, {16, pf8bit}};
    for (auto [bits, format] : formats) {
        manager.SetTargetBitsPerSample(static_cast<std::uint8_t>(bits));
        EXPECT_EQ(manager.PixelFormatFor(1), format) << bits;
    }
}

TEST(ColorManagerTest, PixelFormatForReadsTheChosenSide) {
    TColorManager manager;
    manager.SetSourceSamplesPerPixel(4);
    manager.SetSourceBitsPerSample(4);
    manager.SetTargetBitsPerSample(2);
    EXPECT_EQ(manager.PixelFormatFor(0), pfCustom) << "4 samples need 8 bits or more";
    EXPECT_EQ(manager.PixelFormatFor(-1), pf15bit) << "any index but 0 is the target";
    manager.SetSourceBitsPerSample(16);
    manager.SetTargetSamplesPerPixel(4);
    manager.SetTargetBitsPerSample(16);
    EXPECT_EQ(manager.PixelFormatFor(0), pf32bit);
    EXPECT_EQ(manager.PixelFormatFor(1), pf32bit);
    manager.SetTargetSamplesPerPixel(3);
    EXPECT_EQ(manager.PixelFormatFor(1), pf24bit);
}

TEST(ColorManagerTest, PairsWithoutAConverterFailOnTheFirstRow) {
    struct Case {
        TColorScheme source, target;
        const char* failure;
    };
    const Case cases[] = {
        {scGrayAlpha, scIndexed, ""},
        {scGray, scIndexed, kIndexedMismatch},
        {scIndexed, scBGR, kIndexedMismatch},
        {scGrayAlpha, scGrayAlpha, kIndexedMismatch},
        {scCIELab, scIndexed, kIndexedMismatch},
        {scUnsupported, scBGR, kNoMethod},
        {scCMYK, scGray, kNoMethod},
        {scRGB, scGray, kNoMethod},
        {scRGB, scCMYK, kNoMethod},
        {scYCbCr, scCIELab, kNoMethod},
        {static_cast<TColorScheme>(42), scBGR, kNoMethod},
        {scGray, scBGR, ""},
        {scBGRA, scRGBA, ""},
        {scCMYK, scRGBA, ""},
        {scYCbCr, scBGR, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int{c.source} << " to " << int{c.target});
        TColorManager manager;
        manager.SetSourceColorScheme(c.source);
        manager.SetTargetColorScheme(c.target);
        EXPECT_EQ(ConvertOnePixel(manager), c.failure);
        EXPECT_EQ(ConvertOnePixel(manager), c.failure) << "the next row fails the same way";
        // A refused pair is checked again on every row; a pair without converter is not.
        EXPECT_EQ(manager.Changed(), std::string(c.failure) == kIndexedMismatch);
    }
}

TEST(ColorManagerTest, ChoosingAConverterPutsAlphaInStepWithTheSchemes) {
    TColorManager manager;
    manager.SetSourceOptions({soAlpha, soByteSwap});
    manager.SetTargetColorScheme(scBGRA);
    ConvertOnePixel(manager);
    EXPECT_EQ(manager.SourceOptions(), TSampleOptions{soByteSwap});
    EXPECT_EQ(manager.TargetOptions(), TSampleOptions{soAlpha});

    manager.SetSourceColorScheme(scGrayAlpha);
    manager.SetTargetColorScheme(scIndexed);
    ConvertOnePixel(manager);
    EXPECT_TRUE(manager.SourceOptions().Contains(soAlpha));
    EXPECT_FALSE(manager.TargetOptions().Contains(soAlpha));
}

TEST(ColorManagerTest, GammaTableFollowsTheGammasAndTheDepthsOfItsLastBuild) {
    TColorManager manager;
    const TGammaTable& table = manager.GammaTable();
    // 255 x (i / 255)^(1 / 2.2), rounded.
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[1], 21);
    EXPECT_EQ(table[64], 136);
    EXPECT_EQ(table[128], 186);
    EXPECT_EQ(table[254], 255);
    EXPECT_EQ(table[255], 255);

    manager.SetGammaValues(1.0f, 1.0f);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(table[i], i);

    // 4-bit target from an 8-bit source: 256 entries on a 0..15 scale.
    manager.SetTargetBitsPerSample(4);
    EXPECT_EQ(table[128], 128) << "changing a depth does not rebuild the table";
    manager.SetGammaValues(1.0f, 2.2f);
    EXPECT_EQ(table[64], 8);
    EXPECT_EQ(table[128], 11);
    EXPECT_EQ(table[255], 15);

    // Narrow source: only 2^target - 1 + 1 entries are rebuilt, the rest keep their values.
    manager.SetSourceBitsPerSample(4);
    manager.SetGammaValues(1.0f, 1.0f);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(table[i], i);
    EXPECT_EQ(table[128], 11);

    // A 16-bit target with a narrow source would count 65536 entries; the table holds 256.
    manager.SetTargetBitsPerSample(16);
    manager.SetGammaValues(1.0f, 1.0f);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(table[i], i);
}

TEST(ColorManagerTest, UnusableGammasFallBackToTheirDefaults) {
    TColorManager manager;
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    for (auto [file, display] : {std::pair{0.0f, 0.0f}, {-1.0f, -2.0f}, {nan, nan}, {inf, inf}}) {
        manager.SetGammaValues(2.0f, 3.0f);
        manager.SetGammaValues(file, display);
        EXPECT_FLOAT_EQ(manager.FileGamma(), 1.0f);
        EXPECT_FLOAT_EQ(manager.DisplayGamma(), 2.2f);
        EXPECT_EQ(manager.GammaTable()[128], 186);
    }
    manager.SetGammaValues(0.5f, 0.0f);
    EXPECT_FLOAT_EQ(manager.FileGamma(), 0.5f);
    EXPECT_FLOAT_EQ(manager.DisplayGamma(), 2.2f);
}

// --- Palettes ------------------------------------------------------------------------------------

std::vector<int> Levels(const TPalette& palette) {
    std::vector<int> levels;
    for (const TPaletteEntry& entry : palette) {
        EXPECT_TRUE(entry.peRed == entry.peGreen && entry.peGreen == entry.peBlue && entry.peFlags == 0);
        levels.push_back(entry.peRed);
    }
    return levels;
}

TEST(ColorPaletteTest, GrayPalettesSpreadTheLevelsOverTheTargetDepth) {
    TColorManager manager;
    manager.SetTargetSamplesPerPixel(1);
    manager.SetTargetBitsPerSample(4);
    std::vector<int> rising;
    for (int i = 0; i < 16; ++i) rising.push_back(i * 17);
    EXPECT_EQ(Levels(manager.MakeGrayPalette(false)), rising);
    EXPECT_EQ(Levels(manager.MakeGrayPalette(true)), std::vector<int>(rising.rbegin(), rising.rend()));

    manager.SetTargetBitsPerSample(1);
    EXPECT_EQ(Levels(manager.MakeGrayPalette(false)), (std::vector<int>{0, 255}));
    manager.SetTargetBitsPerSample(2);
    EXPECT_EQ(Levels(manager.MakeGrayPalette(true)), (std::vector<int>{255, 170, 85, 0}));

    // Depths beyond 8 bits a pixel give 256 levels.
    for (auto [bits, samples] : {std::pair{8, 1}, {16, 1}, {8, 3}, {2, 4}}) {
        manager.SetTargetBitsPerSample(static_cast<std::uint8_t>(bits));
        manager.SetTargetSamplesPerPixel(static_cast<std::uint8_t>(samples));
        const std::vector<int> levels = Levels(manager.MakeGrayPalette(false));
        ASSERT_EQ(levels.size(), 256u);
        for (int i = 0; i < 256; ++i) ASSERT_EQ(levels[i], i);
    }
}

TEST(ColorPaletteTest, GrayPalettesWithGammaReadTheTableAtEachLevel) {
    TColorManager manager;
    manager.SetTargetSamplesPerPixel(1);
    manager.SetTargetBitsPerSample(4);
    manager.TargetOptions().Include(soApplyGamma);
    const std::vector<int> levels = Levels(manager.MakeGrayPalette(false));
    EXPECT_EQ(levels[0], 0);
    EXPECT_EQ(levels[1], 74);   // table[17]
    EXPECT_EQ(levels[8], 192);  // table[136]
    EXPECT_EQ(levels[15], 255);
}

// The same two colours, (1, 2, 3) and (250, 128, 0), in every raw layout.
struct Layout {
    std::uint8_t format;
    std::vector<Bytes> data;
    bool bgr;
};

Bytes Words(std::initializer_list<std::uint16_t> words) {
    Bytes bytes(words.size() * 2);
    std::size_t i = 0;
    for (std::uint16_t word : words) {
        std::memcpy(&bytes[i], &word, 2);
        i += 2;
    }
    return bytes;
}

TPalette PaletteOf(TColorManager& manager, const Layout& layout, std::uint32_t count) {
    std::vector<const std::uint8_t*> pointers;
    for (const Bytes& plane : layout.data) pointers.push_back(plane.data());
    return manager.MakeColorPalette(pointers, layout.format, count, layout.bgr);
}

TEST(ColorPaletteTest, ColorPalettesReadEveryRawLayout) {
    const TPalette expected = {{1, 2, 3, 0}, {250, 128, 0, 0}};
    const std::uint16_t w1 = 1 * 257, w2 = 2 * 257, w3 = 3 * 257, w250 = 250 * 257, w128 = 128 * 257;
    const Layout layouts[] = {
        {0, {{1, 2, 3, 250, 128, 0}}, false},
        {0, {{3, 2, 1, 0, 128, 250}}, true},
        {1, {{1, 2, 3, 99, 250, 128, 0, 99}}, false},
        {1, {{3, 2, 1, 99, 0, 128, 250, 99}}, true},
        {2, {{1, 250}, {2, 128}, {3, 0}}, true},
        {3, {{1, 250}, {2, 128}, {3, 0}}, false},
        {4, {Words({w1, w2, w3, w250, w128, 0})}, false},
        {4, {Words({w3, w2, w1, 0, w128, w250})}, true},
        {5, {Words({w1, w2, w3, 9, w250, w128, 0, 9})}, false},
        {5, {Words({w3, w2, w1, 9, 0, w128, w250, 9})}, true},
        {6, {Words({w1, w250}), Words({w2, w128}), Words({w3, 0})}, true},
        {7, {Words({w1, w250}), Words({w2, w128}), Words({w3, 0})}, false},
    };
    TColorManager manager;
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(testing::Message() << "format " << int{layout.format} << (layout.bgr ? " bgr" : " rgb"));
        EXPECT_EQ(PaletteOf(manager, layout, 2), expected);
    }
}

TEST(ColorPaletteTest, SixteenBitEntriesAreSwappedNarrowedAndThenGammaCorrected) {
    TColorManager manager;
    // Big-endian words FF FF, 80 00 and 12 34.
    const Layout bigEndian = {4, {{0xFF, 0xFF, 0x80, 0x00, 0x12, 0x34}}, false};
    manager.SourceOptions().Include(soByteSwap);
    EXPECT_EQ(PaletteOf(manager, bigEndian, 1), (TPalette{{255, 127, 18, 0}}));
    manager.TargetOptions().Include(soApplyGamma);
    EXPECT_EQ(PaletteOf(manager, bigEndian, 1), (TPalette{{255, 186, 76, 0}}))
        << "table[127] and table[18]";
    const Layout bytes = {0, {{128, 17, 0}}, false};
    EXPECT_EQ(PaletteOf(manager, bytes, 1), (TPalette{{186, 74, 0, 0}}));
}

TEST(ColorPaletteTest, IndicesRescaledByTheConvertersFindTheirColours) {
    TColorManager manager;
    manager.SetSourceBitsPerSample(2);
    manager.SetTargetBitsPerSample(4);
    const Layout four = {0, {{10, 10, 10, 20, 20, 20, 30, 30, 30, 40, 40, 40}}, false};
    const TPalette widened = PaletteOf(manager, four, 4);
    std::vector<int> reds;
    for (const TPaletteEntry& entry : widened) reds.push_back(entry.peRed);
    EXPECT_EQ(reds, (std::vector<int>{10, 10, 10, 10, 10, 20, 20, 20, 20, 20, 30, 30, 30, 30, 30, 40}));

    // 8 to 4 bits: entry i takes given entry 17 i.
    Bytes ramp;
    for (int i = 0; i < 256; ++i) ramp.insert(ramp.end(), {static_cast<std::uint8_t>(i), 0, 0});
    manager.SetSourceBitsPerSample(8);
    const TPalette narrowed = PaletteOf(manager, {0, {ramp}, false}, 256);
    ASSERT_EQ(narrowed.size(), 16u);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(narrowed[i].peRed, 17 * i);

    // Fewer colours than levels: the missing ones are black.
    manager.SetSourceBitsPerSample(1);
    manager.SetTargetBitsPerSample(8);
    const TPalette single = PaletteOf(manager, {0, {{7, 7, 7}}, false}, 1);
    ASSERT_EQ(single.size(), 256u);
    EXPECT_EQ(single[0].peRed, 7);
    EXPECT_EQ(single[255], TPaletteEntry{});

    // 16-bit indices onto 8 bits: target index i stands for source index 257 i, which no
    // 256-entry palette holds.
    manager.SetSourceBitsPerSample(16);
    const TPalette wide = PaletteOf(manager, {0, {ramp}, false}, 256);
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(wide[0].peRed, 0);
    for (int i = 1; i < 256; ++i) ASSERT_EQ(wide[i], TPaletteEntry{}) << i;

    // A 16-bit target is never rescaled.
    manager.SetTargetBitsPerSample(16);
    EXPECT_EQ(PaletteOf(manager, four, 4).size(), 4u);
}

TEST(ColorPaletteTest, ColorPalettesCheckTheirInput) {
    TColorManager manager;
    const Bytes entries(3 * 256, 5);
    EXPECT_EQ(PaletteOf(manager, {0, {entries}, false}, 100000).size(), 256u) << "at most 256 entries are read";
    const TPalette unknown = PaletteOf(manager, {8, {entries}, false}, 3);
    EXPECT_EQ(unknown, TPalette(3)) << "an unknown layout gives black entries";
    EXPECT_TRUE(manager.MakeColorPalette({}, 0, 0, false).empty());

    const std::uint8_t* one[] = {entries.data()};
    const std::uint8_t* withNull[] = {entries.data(), nullptr, entries.data()};
    const std::uint8_t* none[] = {nullptr};
    EXPECT_NE(FailureOf([&] { manager.MakeColorPalette(one, 2, 4, false); }), "");
    EXPECT_NE(FailureOf([&] { manager.MakeColorPalette(withNull, 6, 4, false); }), "");
    EXPECT_NE(FailureOf([&] { manager.MakeColorPalette(none, 0, 4, false); }), "");
    EXPECT_NE(FailureOf([&] { manager.MakeColorPalette({}, 1, 4, false); }), "");
}

}  // namespace
}  // namespace pellumo
