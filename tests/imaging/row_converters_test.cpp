// The row converters through ConvertRow: the arithmetic of each path, pixel selection, the
// layouts with and without alpha, and the row buffers they may touch.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "imaging/color/color_manager.h"
#include "imaging/color/row_converters.h"

namespace pellumo {
namespace {

using Bytes = std::vector<std::uint8_t>;

TColorManager Manager(TColorScheme source, TColorScheme target, int sourceBits = 8, int targetBits = 8) {
    TColorManager manager;
    manager.SetSourceColorScheme(source);
    manager.SetTargetColorScheme(target);
    manager.SetSourceBitsPerSample(static_cast<std::uint8_t>(sourceBits));
    manager.SetTargetBitsPerSample(static_cast<std::uint8_t>(targetBits));
    return manager;
}

// Converts an interleaved row onto `target` and returns what the target holds afterwards.
Bytes Convert(TColorManager& manager, const Bytes& source, std::uint32_t count, Bytes target,
              std::uint8_t mask = 0xFF) {
    manager.ConvertRow(source.data(), target.data(), count, mask);
    return target;
}

Bytes ConvertPlanes(TColorManager& manager, const std::vector<Bytes>& planes, std::uint32_t count, Bytes target,
                    std::uint8_t mask = 0xFF) {
    std::vector<const std::uint8_t*> pointers;
    for (const Bytes& plane : planes) pointers.push_back(plane.data());
    manager.ConvertRow(pointers, target.data(), count, mask);
    return target;
}

// 16-bit samples in machine order, and as they are stored most significant byte first.
Bytes Words(std::initializer_list<std::uint16_t> words) {
    Bytes bytes(words.size() * 2);
    std::size_t i = 0;
    for (std::uint16_t word : words) {
        std::memcpy(&bytes[i], &word, 2);
        i += 2;
    }
    return bytes;
}

Bytes BigEndian(std::initializer_list<std::uint16_t> words) {
    Bytes bytes;
    for (std::uint16_t word : words) bytes.insert(bytes.end(), {static_cast<std::uint8_t>(word >> 8),
                                                               static_cast<std::uint8_t>(word)});
    return bytes;
}

template <class Action>
std::string FailureOf(Action&& action) {
    try {
        action();
    } catch (const EColorConversionError& error) {
        return error.Message();
    }
    return "";
}

// The converters round without the library; ties must still go to the even neighbour.
TEST(RowConverterTest, RoundingSendsTiesToTheEvenNeighbour) {
    using color_rows::RoundHalfEven;
    const std::pair<float, long long> floats[] = {
        {0.5f, 0},       {1.5f, 2},           {2.5f, 2},         {-0.5f, 0},     {-1.5f, -2}, {1.49999f, 1},
        {346.392f, 346}, {-64133.19f, -64133}, {65535.5f, 65536}, {254.5f, 254}, {0.0f, 0}};
    for (auto [value, rounded] : floats) EXPECT_EQ(RoundHalfEven(value), rounded) << value;
    const std::pair<long double, long long> extended[] = {
        {254.5L, 254},          {253.5L, 254}, {254.745L, 255}, {0.5L, 0}, {254.4999999999L, 254},
        {1e15L + 0.5L, 1000000000000000}};
    for (auto [value, rounded] : extended) EXPECT_EQ(RoundHalfEven(value), rounded) << static_cast<double>(value);
}

// --- Pixel selection -------------------------------------------------------------------------

TEST(RowConverterTest, MaskConvertsItsPixelsFromConsecutiveSourcePixels) {
    TColorManager rgb = Manager(scRGB, scBGR);
    const Bytes source = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    Bytes expected(24, 0xEE);
    for (int k = 0; k < 4; ++k)
        for (int c = 0; c < 3; ++c) expected[6 * k + c] = static_cast<std::uint8_t>(3 * k + 3 - c);
    EXPECT_EQ(Convert(rgb, source, 8, Bytes(24, 0xEE), 0xAA), expected);

    // The mask repeats every 8 pixels; 0x01 takes pixels 7 and 15.
    TColorManager gray = Manager(scGray, scGray);
    Bytes grayExpected(16, 0xEE);
    grayExpected[7] = 1;
    grayExpected[15] = 2;
    EXPECT_EQ(Convert(gray, {1, 2}, 16, Bytes(16, 0xEE), 0x01), grayExpected);
    EXPECT_EQ(Convert(gray, {}, 16, Bytes(16, 0xEE), 0x00), Bytes(16, 0xEE));
}

// --- Indexed ---------------------------------------------------------------------------------

TEST(IndexedRowTest, EqualDepthsCopyWholeBytesUnlessMasked) {
    TColorManager manager = Manager(scIndexed, scIndexed, 4, 4);
    // Count 5 copies 3 bytes, the sixth nibble with them; the fourth byte is left alone.
    EXPECT_EQ(Convert(manager, {0x12, 0x34, 0x56, 0x78}, 5, {0, 0, 0, 0xEE}), (Bytes{0x12, 0x34, 0x56, 0xEE}));
    // With a mask every slot is written alone and the others keep their bits.
    EXPECT_EQ(Convert(manager, {0x9A}, 4, {0x11, 0x11}, 0xA0), (Bytes{0x91, 0xA1}));

    TColorManager bits = Manager(scIndexed, scIndexed, 1, 1);
    EXPECT_EQ(Convert(bits, {0x00}, 8, {0xFF}, 0x81), (Bytes{0x7E}));
}

TEST(IndexedRowTest, IndicesAreRescaledBetweenDepths) {
    TColorManager oneToEight = Manager(scIndexed, scIndexed, 1, 8);
    EXPECT_EQ(Convert(oneToEight, {0b10100000}, 3, Bytes(3, 0xEE)), (Bytes{255, 0, 255}));

    TColorManager twoToFour = Manager(scIndexed, scIndexed, 2, 4);
    EXPECT_EQ(Convert(twoToFour, {0b00011011}, 4, {0, 0}), (Bytes{0x05, 0xAF}));

    // v x 3 div 255: only full steps reach the next level.
    TColorManager eightToTwo = Manager(scIndexed, scIndexed, 8, 2);
    EXPECT_EQ(Convert(eightToTwo, {0, 84, 85, 170, 254, 255}, 6, {0, 0}), (Bytes{0b00000110, 0b10110000}));

    TColorManager eightToOne = Manager(scIndexed, scIndexed, 8, 1);
    EXPECT_EQ(Convert(eightToOne, {255, 254, 255, 0}, 4, {0x0F}), (Bytes{0b10101111}));
}

TEST(IndexedRowTest, SixteenBitIndicesSwapAndRescale) {
    TColorManager toEight = Manager(scIndexed, scIndexed, 16, 8);
    EXPECT_EQ(Convert(toEight, Words({65535, 0x8000, 257}), 3, Bytes(3, 0)), (Bytes{255, 127, 1}));
    toEight.SourceOptions().Include(soByteSwap);
    EXPECT_EQ(Convert(toEight, BigEndian({65535, 0x8000, 257}), 3, Bytes(3, 0)), (Bytes{255, 127, 1}));

    TColorManager toFour = Manager(scIndexed, scIndexed, 16, 4);
    EXPECT_EQ(Convert(toFour, Words({65535, 0x8000}), 2, {0}), (Bytes{0xF7}));

    TColorManager fromTwo = Manager(scIndexed, scIndexed, 2, 16);
    EXPECT_EQ(Convert(fromTwo, {0b01110000}, 2, Bytes(4, 0)), Words({21845, 65535}));
    fromTwo.SourceOptions().Include(soByteSwap);
    EXPECT_EQ(Convert(fromTwo, {0b01110000}, 2, Bytes(4, 0)), BigEndian({21845, 65535}));

    TColorManager wide = Manager(scIndexed, scIndexed, 16, 16);
    EXPECT_EQ(Convert(wide, {0x12, 0x34, 0x56, 0x78}, 2, Bytes(4, 0)), (Bytes{0x12, 0x34, 0x56, 0x78}));
    wide.SourceOptions().Include(soByteSwap);
    EXPECT_EQ(Convert(wide, {0x12, 0x34, 0x56, 0x78}, 3, Bytes(6, 0xEE), 0xA0),
              (Bytes{0x34, 0x12, 0xEE, 0xEE, 0x78, 0x56}));
}

// --- Gray ------------------------------------------------------------------------------------

TEST(GrayRowTest, SixteenBitGrayNarrowsByTruncation) {
    TColorManager manager = Manager(scGray, scGray, 16, 8);
    EXPECT_EQ(Convert(manager, Words({65534, 65535, 257, 0}), 4, Bytes(4, 0xEE)), (Bytes{254, 255, 1, 0}));
    manager.SourceOptions().Include(soByteSwap);
    EXPECT_EQ(Convert(manager, {0xFF, 0xFF, 0x80, 0x00}, 2, Bytes(2, 0xEE)), (Bytes{255, 127}));
}

TEST(GrayRowTest, GammaAppliesToEightBitValuesOnly) {
    TColorManager manager = Manager(scGray, scGray, 8, 8);
    manager.TargetOptions().Include(soApplyGamma);
    EXPECT_EQ(Convert(manager, {0, 64, 128, 255}, 4, Bytes(4, 0)), (Bytes{0, 136, 186, 255}));

    manager.SetTargetBitsPerSample(16);  // gamma, then widened
    EXPECT_EQ(Convert(manager, {128, 255}, 2, Bytes(4, 0)), Words({186 * 257, 65535}));

    manager.SetSourceBitsPerSample(16);  // narrowed first: 0x8000 is 127, table[127] = 186
    manager.SetTargetBitsPerSample(8);
    EXPECT_EQ(Convert(manager, Words({0x8000}), 1, {0}), (Bytes{186}));

    manager.SetTargetBitsPerSample(16);  // 16 to 16 never uses the table
    EXPECT_EQ(Convert(manager, Words({0x8000, 0x1234}), 2, Bytes(4, 0)), Words({0x8000, 0x1234}));
    manager.SourceOptions().Include(soByteSwap);
    EXPECT_EQ(Convert(manager, Words({0x8000, 0x1234}), 2, Bytes(4, 0)), Words({0x0080, 0x3412}));
}

TEST(GrayRowTest, AlphaIsDroppedAndTheTargetTakesOneSampleAPixel) {
    // Source alpha only: gray with alpha goes to an indexed target.
    TColorManager sourceAlpha = Manager(scGrayAlpha, scIndexed);
    EXPECT_EQ(Convert(sourceAlpha, {10, 99, 20, 99, 30, 99}, 3, Bytes(4, 0xEE)), (Bytes{10, 20, 30, 0xEE}));
    TColorManager wideAlpha = Manager(scGrayAlpha, scIndexed, 16, 16);
    EXPECT_EQ(Convert(wideAlpha, Words({1000, 9, 2000, 9}), 2, Bytes(4, 0)), Words({1000, 2000}));

    // Target alpha only, and neither: one sample a pixel whatever the target scheme says.
    for (TColorScheme target : {scGrayAlpha, scGray, scBGR, scRGBA}) {
        TColorManager manager = Manager(scGray, target);
        EXPECT_EQ(Convert(manager, {10, 20}, 2, Bytes(4, 0xEE)), (Bytes{10, 20, 0xEE, 0xEE})) << int{target};
    }
}

// --- RGB and BGR -----------------------------------------------------------------------------

TEST(RgbRowTest, AlphaIsCopiedSteppedOverOrDroppedBySide) {
    // Two pixels (10, 20, 30, alpha 40) and (50, 60, 70, alpha 80), stored in source order.
    struct Case {
        TColorScheme source, target;
        Bytes expected;
    };
    const Bytes rgb = {10, 20, 30, 50, 60, 70}, rgba = {10, 20, 30, 40, 50, 60, 70, 80};
    const Bytes bgr = {30, 20, 10, 70, 60, 50}, bgra = {30, 20, 10, 40, 70, 60, 50, 80};
    const Case cases[] = {
        // neither side
        {scRGB, scBGR, {30, 20, 10, 70, 60, 50, 0xEE, 0xEE}},
        {scRGB, scRGB, {10, 20, 30, 50, 60, 70, 0xEE, 0xEE}},
        {scBGR, scRGB, {10, 20, 30, 50, 60, 70, 0xEE, 0xEE}},
        {scBGR, scBGR, {30, 20, 10, 70, 60, 50, 0xEE, 0xEE}},
        // source only: alpha dropped
        {scRGBA, scBGR, {30, 20, 10, 70, 60, 50, 0xEE, 0xEE}},
        {scBGRA, scRGB, {10, 20, 30, 50, 60, 70, 0xEE, 0xEE}},
        // target only: the fourth byte keeps what it held
        {scRGB, scBGRA, {30, 20, 10, 0xEE, 70, 60, 50, 0xEE}},
        {scBGR, scRGBA, {10, 20, 30, 0xEE, 50, 60, 70, 0xEE}},
        // both: copied
        {scRGBA, scBGRA, {30, 20, 10, 40, 70, 60, 50, 80}},
        {scBGRA, scBGRA, {30, 20, 10, 40, 70, 60, 50, 80}},
        {scRGBA, scRGBA, {10, 20, 30, 40, 50, 60, 70, 80}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int{c.source} << " to " << int{c.target});
        const bool sourceAlpha = c.source == scRGBA || c.source == scBGRA;
        const bool sourceRgb = c.source == scRGB || c.source == scRGBA;
        const Bytes& source = sourceRgb ? (sourceAlpha ? rgba : rgb) : (sourceAlpha ? bgra : bgr);
        TColorManager manager = Manager(c.source, c.target);
        EXPECT_EQ(Convert(manager, source, 2, Bytes(8, 0xEE)), c.expected);
    }
}

TEST(RgbRowTest, GammaCorrectsColoursButNeverAlpha) {
    TColorManager manager = Manager(scRGBA, scBGRA);
    manager.TargetOptions().Include(soApplyGamma);
    EXPECT_EQ(Convert(manager, {64, 128, 255, 128}, 1, Bytes(4, 0)), (Bytes{255, 186, 136, 128}));
}

TEST(RgbRowTest, SixteenBitSamplesAreSwappedNarrowedAndWidened) {
    // Big-endian samples FF FF and 80 00 give 255 and 127.
    TColorManager narrow = Manager(scRGB, scBGR, 16, 8);
    narrow.SourceOptions().Include(soByteSwap);
    EXPECT_EQ(Convert(narrow, {0xFF, 0xFF, 0x80, 0x00, 0x01, 0x01}, 1, Bytes(3, 0)), (Bytes{1, 127, 255}));

    TColorManager narrowAlpha = Manager(scRGBA, scRGBA, 16, 8);
    narrowAlpha.TargetOptions().Include(soApplyGamma);
    EXPECT_EQ(Convert(narrowAlpha, Words({0x8000, 0, 65535, 0x8000}), 1, Bytes(4, 0)), (Bytes{186, 0, 255, 127}));

    // Gamma before widening; alpha widened as it is.
    TColorManager widen = Manager(scBGRA, scRGBA, 8, 16);
    EXPECT_EQ(Convert(widen, {1, 2, 3, 4}, 1, Bytes(8, 0)), Words({3 * 257, 2 * 257, 257, 4 * 257}));
    widen.TargetOptions().Include(soApplyGamma);
    EXPECT_EQ(Convert(widen, {0, 64, 128, 128}, 1, Bytes(8, 0)), Words({186 * 257, 136 * 257, 0, 128 * 257}));

    TColorManager wide = Manager(scRGBA, scBGRA, 16, 16);
    wide.TargetOptions().Include(soApplyGamma);  // no table at 16 bits
    EXPECT_EQ(Convert(wide, Words({1, 2, 3, 4}), 1, Bytes(8, 0)), Words({3, 2, 1, 4}));
    wide.SourceOptions().Include(soByteSwap);
    EXPECT_EQ(Convert(wide, Words({1, 2, 3, 4}), 1, Bytes(8, 0)), Words({0x0300, 0x0200, 0x0100, 0x0400}));
}

TEST(RgbRowTest, PlanesGiveTheSameRowsAsInterleavedData) {
    TColorManager manager = Manager(scRGBA, scBGRA);
    const Bytes interleaved = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const std::vector<Bytes> planes = {{1, 5, 9}, {2, 6, 10}, {3, 7, 11}, {4, 8, 12}};
    const Bytes expected = Convert(manager, interleaved, 3, Bytes(12, 0xEE));
    EXPECT_EQ(ConvertPlanes(manager, planes, 3, Bytes(12, 0xEE)), expected);
    EXPECT_EQ(ConvertPlanes(manager, planes, 5, Bytes(20, 0xEE), 0x54).size(), 20u);

    // Without target alpha the alpha plane is never read, so three planes are enough.
    TColorManager noTargetAlpha = Manager(scRGBA, scBGR);
    const std::uint8_t* three[] = {planes[0].data(), planes[1].data(), planes[2].data()};
    Bytes target(9, 0);
    noTargetAlpha.ConvertRow(three, target.data(), 3);
    EXPECT_EQ(target, (Bytes{3, 2, 1, 7, 6, 5, 11, 10, 9}));
}

// The common row takes four pixels a step: every length, so that each tail is met, and in place.
TEST(RgbRowTest, RedAndBlueExchangeOverAnyRowLengthAlsoInPlace) {
    TColorManager manager = Manager(scRGB, scBGR);
    for (std::uint32_t count = 0; count <= 40; ++count) {
        Bytes row(3 * count);
        for (std::size_t i = 0; i < row.size(); ++i) row[i] = static_cast<std::uint8_t>(i * 37 + count);
        Bytes expected = row;
        for (std::size_t k = 0; k < count; ++k) std::swap(expected[3 * k], expected[3 * k + 2]);
        expected.push_back(0xEE);  // one byte past the row stays
        Bytes target(row.size() + 1, 0xEE);
        EXPECT_EQ(Convert(manager, row, count, target), expected) << count << " pixels";
        row.push_back(0xEE);
        manager.ConvertRow(row.data(), row.data(), count);
        EXPECT_EQ(row, expected) << count << " pixels in place";
    }
}

// Three planes go sixteen pixels a step: every length, in either order, with planes exactly as
// long as the row (the sanitizer build catches a read past them).
TEST(RgbRowTest, ThreePlanesInterleaveOverAnyRowLength) {
    for (const TColorScheme target : {scRGB, scBGR}) {
        TColorManager manager = Manager(scRGB, target);
        for (std::uint32_t count = 0; count <= 50; ++count) {
            std::vector<Bytes> planes(3, Bytes(count));
            Bytes expected;
            for (std::uint32_t k = 0; k < count; ++k) {
                for (std::size_t p = 0; p < 3; ++p) planes[p][k] = static_cast<std::uint8_t>(k * 3 + p + 7 * count);
                for (std::size_t p = 0; p < 3; ++p) expected.push_back(planes[target == scBGR ? 2 - p : p][k]);
            }
            expected.push_back(0xEE);
            EXPECT_EQ(ConvertPlanes(manager, planes, count, Bytes(3 * count + 1, 0xEE)), expected)
                << count << " pixels to " << (target == scBGR ? "BGR" : "RGB");
        }
    }
}

TEST(RgbRowTest, DepthsOtherThanEightOrSixteenConvertNothing) {
    TColorManager fourBit = Manager(scRGB, scBGR, 4, 8);
    EXPECT_EQ(Convert(fourBit, {0x12, 0x34}, 1, Bytes(3, 0xEE)), Bytes(3, 0xEE));
    TColorManager toTwo = Manager(scRGB, scBGR, 8, 2);
    EXPECT_EQ(Convert(toTwo, {1, 2, 3}, 1, Bytes(3, 0xEE)), Bytes(3, 0xEE));
    TColorManager cmyk = Manager(scCMYK, scBGR, 1, 8);
    EXPECT_EQ(Convert(cmyk, {0xFF}, 1, Bytes(3, 0xEE)), Bytes(3, 0xEE));
}

// --- CMYK ------------------------------------------------------------------------------------

TEST(CmykRowTest, InksSubtractFromWhite) {
    TColorManager manager = Manager(scCMYK, scRGB);
    const Bytes pixels = {0, 0, 0, 0,  17, 99, 200, 255,  255, 0, 0, 0,  100, 0, 0, 50};
    // white; black whatever the inks; cyan; 255 - (100 + 50 - 5000 div 255) = 124
    EXPECT_EQ(Convert(manager, pixels, 4, Bytes(12, 0)),
              (Bytes{255, 255, 255, 0, 0, 0, 0, 255, 255, 124, 205, 205}));
    TColorManager bgra = Manager(scCMYK, scBGRA);
    EXPECT_EQ(Convert(bgra, {255, 0, 0, 0}, 1, Bytes(4, 0xEE)), (Bytes{255, 255, 0, 0xEE}));
}

TEST(CmykRowTest, SixteenBitInks) {
    TColorManager narrow = Manager(scCMYK, scRGB, 16, 8);
    // t = 0x8000 gives 255 - 127; machine order, the swap option is ignored
    narrow.SourceOptions().Include(soByteSwap);
    EXPECT_EQ(Convert(narrow, Words({0x8000, 0, 65535, 0}), 1, Bytes(3, 0)), (Bytes{128, 255, 0}));
    EXPECT_EQ(Convert(narrow, Words({1, 2, 3, 65535}), 1, Bytes(3, 9)), (Bytes{0, 0, 0}));

    TColorManager wide = Manager(scCMYK, scBGR, 16, 16);
    EXPECT_EQ(Convert(wide, Words({0, 1000, 65535, 0}), 1, Bytes(6, 0)), Words({0, 64535, 65535}));
    // t = 0x8000 + 0x8000 - 0x4000 (0x8000 x 0x8000 div 65535 = 16384)
    EXPECT_EQ(Convert(wide, Words({0x8000, 0x8000, 0x8000, 0x8000}), 1, Bytes(6, 0)), Words({0x3FFF, 0x3FFF, 0x3FFF}));

    TColorManager widen = Manager(scCMYK, scRGB, 8, 16);
    EXPECT_EQ(Convert(widen, {255, 0, 100, 50}, 1, Bytes(6, 0)), Words({0, 205 * 257, 124 * 257}));
}

TEST(CmykRowTest, ExactlyFourPointersArePlanes) {
    TColorManager manager = Manager(scCMYK, scRGB);
    const Bytes c = {255, 0}, m = {0, 255}, y = {0, 0}, k = {0, 0};
    EXPECT_EQ(ConvertPlanes(manager, {c, m, y, k}, 2, Bytes(6, 0)), (Bytes{0, 255, 255, 255, 0, 255}));
    // Three or five pointers: Source[0] holds interleaved samples.
    const Bytes interleaved = {255, 0, 0, 0, 0, 255, 0, 0};
    EXPECT_EQ(ConvertPlanes(manager, {interleaved, m, y}, 2, Bytes(6, 0)), (Bytes{0, 255, 255, 255, 0, 255}));
    EXPECT_EQ(ConvertPlanes(manager, {interleaved, m, y, k, k}, 2, Bytes(6, 0)), (Bytes{0, 255, 255, 255, 0, 255}));
}

// --- CIE L*a*b* ------------------------------------------------------------------------------

TEST(LabRowTest, LightnessAndChromaGiveTheWorkedColours) {
    TColorManager manager = Manager(scCIELab, scRGB);
    struct Case {
        Bytes lab;
        Bytes rgb;
    };
    const Case cases[] = {
        {{100, 0, 0}, {255, 255, 255}},  // X = Y = Z = 1; red 254.745 rounds to 255
        {{0, 0, 0}, {0, 0, 0}},          // linear branch
        {{50, 0, 0}, {47, 47, 47}},
        {{60, 40, 0xE2}, {127, 47, 142}},  // b* = -30 as a signed byte
        {{5, 100, 50}, {25, 0, 0}},        // linear branch, green and blue clamped
        {{100, 0x80, 0x80}, {0, 255, 255}},  // -128, -128: red clamps at 0, the others at 255
    };
    for (const Case& c : cases) EXPECT_EQ(Convert(manager, c.lab, 1, Bytes(3, 0xEE)), c.rgb) << int{c.lab[0]};
}

TEST(LabRowTest, StoredScalesAndTargetOrder) {
    TColorManager manager = Manager(scCIELab, scBGR);
    manager.SourceOptions().Include(soLabOffsetAB);
    EXPECT_EQ(Convert(manager, {100, 128, 128}, 1, Bytes(3, 0)), (Bytes{255, 255, 255}));
    manager.SourceOptions().Include(soLabScaledL);
    // 255 / 2.55 = 100; 100 / 2.55 with a* = 20, b* = -20 gives red 39, green 22, blue 52
    EXPECT_EQ(Convert(manager, {255, 128, 128, 100, 148, 108}, 2, Bytes(6, 0)), (Bytes{255, 255, 255, 52, 22, 39}));

    TColorManager rgba = Manager(scCIELab, scRGBA);
    EXPECT_EQ(Convert(rgba, {60, 40, 0xE2}, 1, Bytes(4, 0xEE)), (Bytes{127, 47, 142, 0xEE}));
}

TEST(LabRowTest, SixteenBitSamplesAndTargets) {
    // 16-bit samples on the 8-bit scale; without the offset a* and b* are their first byte.
    TColorManager narrow = Manager(scCIELab, scRGB, 16, 8);
    Bytes chroma = Words({60, 40, 0});
    chroma[4] = 0xE2;
    chroma[5] = 0x55;  // ignored: only the first byte of the sample counts
    EXPECT_EQ(Convert(narrow, chroma, 1, Bytes(3, 0)), (Bytes{127, 47, 142}));
    narrow.SourceOptions().Include(soLabOffsetAB);
    EXPECT_EQ(Convert(narrow, Words({100, 128, 128}), 1, Bytes(3, 0)), (Bytes{255, 255, 255}));

    TColorManager widen = Manager(scCIELab, scRGB, 8, 16);
    EXPECT_EQ(Convert(widen, {60, 40, 0xE2}, 1, Bytes(6, 0)), Words({127 * 257, 47 * 257, 142 * 257}));
    TColorManager wide = Manager(scCIELab, scBGR, 16, 16);
    EXPECT_EQ(Convert(wide, chroma, 1, Bytes(6, 0)), Words({142, 47, 127})) << "stored unwidened";
}

TEST(LabRowTest, PlanesGiveTheSameRowsAsInterleavedData) {
    TColorManager manager = Manager(scCIELab, scBGR);
    const Bytes expected = Convert(manager, {60, 40, 0xE2, 5, 100, 50}, 2, Bytes(6, 0));
    EXPECT_EQ(ConvertPlanes(manager, {{60, 5}, {40, 100}, {0xE2, 50}}, 2, Bytes(6, 0)), expected);
}

// --- Luma/chroma -----------------------------------------------------------------------------

TEST(YccRowTest, PhotoYccValuesAreScaledRoundedAndClamped) {
    TColorManager rgb = Manager(scYCbCr, scRGB);
    // black; 1.3584 x 255 = 346.392 clamped; (214.16, 111.46, 56.00)
    EXPECT_EQ(Convert(rgb, {0, 156, 137, 255, 156, 137, 100, 120, 180}, 3, Bytes(9, 0xEE)),
              (Bytes{0, 0, 0, 255, 255, 255, 214, 111, 56}));
    TColorManager bgr = Manager(scYCbCr, scBGR);
    EXPECT_EQ(Convert(bgr, {100, 120, 180}, 1, Bytes(3, 0)), (Bytes{56, 111, 214}));
    TColorManager bgra = Manager(scYCbCr, scBGRA);
    EXPECT_EQ(Convert(bgra, {100, 120, 180}, 1, Bytes(4, 0xEE)), (Bytes{56, 111, 214, 0xEE}));
    TColorManager widen = Manager(scYCbCr, scRGB, 8, 16);
    EXPECT_EQ(Convert(widen, {255, 156, 137, 100, 120, 180}, 2, Bytes(12, 0)),
              Words({65535, 65535, 65535, 214 * 257, 111 * 257, 56 * 257}));
    EXPECT_EQ(ConvertPlanes(rgb, {{100}, {120}, {180}}, 1, Bytes(3, 0)), (Bytes{214, 111, 56}));
}

TEST(YccRowTest, SixteenBitValuesWrapInsteadOfClamping) {
    TColorManager wide = Manager(scYCbCr, scRGB, 16, 16);
    EXPECT_EQ(Convert(wide, Words({0, 40092, 35209}), 1, Bytes(6, 0)), Words({0, 0, 0}));
    // red -64133.19 wraps to 1403; green 32643.8
    EXPECT_EQ(Convert(wide, Words({0, 40092, 0}), 1, Bytes(6, 0)), Words({1403, 32644, 0}));
    // (37109.0, 42176.01, 42969.9), narrowed: 144, 164, 167
    TColorManager narrow = Manager(scYCbCr, scBGR, 16, 8);
    EXPECT_EQ(Convert(narrow, Words({30000, 41092, 33209}), 1, Bytes(3, 0)), (Bytes{167, 164, 144}));
}

// --- Every converter and alpha ----------------------------------------------------------------

// The converters of schemes without alpha ignore a source alpha bit that a reader sets by
// hand; those that write colour step over a target alpha sample without touching it. (Gray
// and RGB-type data have their own cases above.)
TEST(RowConverterTest, ConvertersWithoutAlphaIgnoreItOnEitherSide) {
    struct Case {
        TColorScheme source, target;
        Bytes pixels;  // two pixels
        std::size_t targetBytes;
    };
    const Case cases[] = {
        {scIndexed, scIndexed, {7, 9}, 2},
        {scCMYK, scRGB, {255, 0, 0, 0, 0, 0, 255, 0}, 6},
        {scCIELab, scBGR, {60, 40, 0xE2, 5, 100, 50}, 6},
        {scYCbCr, scRGB, {100, 120, 180, 255, 156, 137}, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int{c.source});
        TColorManager manager = Manager(c.source, c.target);
        const Bytes plain = Convert(manager, c.pixels, 2, Bytes(c.targetBytes, 0xEE));
        manager.SourceOptions().Include(soAlpha);
        EXPECT_EQ(Convert(manager, c.pixels, 2, Bytes(c.targetBytes, 0xEE)), plain) << "source alpha";
        if (c.targetBytes == 6) {
            manager.TargetOptions().Include(soAlpha);
            const Bytes both = Convert(manager, c.pixels, 2, Bytes(8, 0xEE));
            const Bytes expected = {plain[0], plain[1], plain[2], 0xEE, plain[3], plain[4], plain[5], 0xEE};
            EXPECT_EQ(both, expected) << "both";
            manager.SourceOptions().Exclude(soAlpha);
            EXPECT_EQ(Convert(manager, c.pixels, 2, Bytes(8, 0xEE)), expected) << "target alpha";
        }
    }
}

// --- Row buffers ------------------------------------------------------------------------------

TEST(RowBufferTest, ConvertRowRefusesMissingOrTooFewBuffers) {
    const std::string missingPlanes = "Color conversion failed. The source lacks sample planes the color scheme needs.";
    const std::string missingBuffer = "Color conversion failed. A row buffer is missing.";
    const Bytes plane(64, 1);
    const std::uint8_t* two[] = {plane.data(), plane.data()};
    const std::uint8_t* three[] = {plane.data(), plane.data(), plane.data()};
    const std::uint8_t* nullThird[] = {plane.data(), plane.data(), nullptr};
    Bytes target(64, 0);

    TColorManager rgb = Manager(scRGBA, scBGRA);
    EXPECT_EQ(FailureOf([&] { rgb.ConvertRow(two, target.data(), 1); }), missingPlanes);
    EXPECT_EQ(FailureOf([&] { rgb.ConvertRow(three, target.data(), 1); }), missingPlanes) << "alpha plane needed";
    EXPECT_EQ(FailureOf([&] { rgb.ConvertRow(plane.data(), nullptr, 1); }), missingBuffer);
    EXPECT_EQ(FailureOf([&] { rgb.ConvertRow(nullptr, target.data(), 1); }), missingBuffer);
    EXPECT_EQ(FailureOf([&] { rgb.ConvertRow(std::span<const std::uint8_t* const>{}, target.data(), 1); }),
              missingBuffer);
    // Nothing to convert needs no buffers.
    EXPECT_EQ(FailureOf([&] { rgb.ConvertRow(nullptr, nullptr, 0); }), "");
    EXPECT_EQ(FailureOf([&] { rgb.ConvertRow(nullptr, nullptr, 100, 0x00); }), "");
    // The pair is still checked first.
    TColorManager refused = Manager(scGray, scIndexed);
    EXPECT_EQ(FailureOf([&] { refused.ConvertRow(nullptr, nullptr, 0); }),
              "Conversion between indexed and non-indexed pixel formats is not supported.");

    for (TColorScheme scheme : {scCIELab, scYCbCr}) {
        TColorManager manager = Manager(scheme, scRGB);
        EXPECT_EQ(FailureOf([&] { manager.ConvertRow(two, target.data(), 1); }), missingPlanes);
        EXPECT_EQ(FailureOf([&] { manager.ConvertRow(nullThird, target.data(), 1); }), missingBuffer);
    }
    TColorManager cmyk = Manager(scCMYK, scRGB);
    EXPECT_EQ(FailureOf([&] { cmyk.ConvertRow(nullThird, target.data(), 1); }), "") << "reads Source[0] only";
}

TEST(RowBufferTest, ByteCountsAreSixtyFourBitAndFollowTheSchemesBeforeTheFirstRow) {
    TColorManager manager = Manager(scRGBA, scBGRA, 16, 16);
    // Before any row: alpha comes from the schemes, not from the options as they stand.
    EXPECT_EQ(manager.SourcePlaneBytes(8, 0xAA, 1), 4u * 4 * 2);
    EXPECT_EQ(manager.SourcePlaneBytes(8, 0xAA, 4), 4u * 2);
    EXPECT_EQ(manager.TargetRowBytes(0xFFFFFFFFu), 0xFFFFFFFFull * 8);
    EXPECT_EQ(TColorManager::SelectedPixels(0xFFFFFFFFu, 0xFF), 0xFFFFFFFFull);
    EXPECT_EQ(TColorManager::SelectedPixels(13, 0xAA), 7u);  // 4 + pixels 8, 10, 12
    EXPECT_EQ(TColorManager::SelectedPixels(13, 0x01), 1u);

    TColorManager packed = Manager(scIndexed, scIndexed, 4, 1);
    EXPECT_EQ(packed.SourcePlaneBytes(5, 0xFF, 1), 3u);
    EXPECT_EQ(packed.TargetRowBytes(9), 2u);
    EXPECT_EQ(packed.SourcePlaneBytes(0xFFFFFFFFu, 0xFF, 1), (0xFFFFFFFFull * 4 + 7) / 8);
}

// Every converter, layout, depth pair and alpha combination, on buffers exactly as large as the
// byte counts say: the address sanitizer catches any read or write beyond them, and guard
// bytes after the target catch writes in any build.
TEST(RowBufferTest, ConvertersStayInsideTheBytesTheyAnnounce) {
    struct Setup {
        TColorScheme source, target;
        int sourceBits, targetBits;
        std::size_t planes;
    };
    std::vector<Setup> setups;
    for (int s : {1, 2, 4, 8, 16})
        for (int t : {1, 2, 4, 8, 16}) setups.push_back({scIndexed, scIndexed, s, t, 1});
    for (int s : {8, 16})
        for (int t : {8, 16}) {
            setups.push_back({scGray, scGray, s, t, 1});
            setups.push_back({scGrayAlpha, scIndexed, s, t, 1});
            for (TColorScheme from : {scRGB, scRGBA, scBGR, scBGRA})
                for (TColorScheme to : {scRGB, scRGBA, scBGR, scBGRA})
                    for (std::size_t planes : {1, 3, 4}) setups.push_back({from, to, s, t, planes});
            for (TColorScheme to : {scRGB, scRGBA, scBGR, scBGRA}) {
                for (std::size_t planes : {1, 4}) setups.push_back({scCMYK, to, s, t, planes});
                for (std::size_t planes : {1, 3}) {
                    setups.push_back({scCIELab, to, s, t, planes});
                    setups.push_back({scYCbCr, to, s, t, planes});
                }
            }
        }

    std::mt19937 random(7);
    constexpr std::size_t kGuard = 16;
    for (const Setup& setup : setups) {
        for (std::uint32_t count : {1u, 5u, 8u, 13u}) {
            for (std::uint8_t mask : {0xFF, 0xAA, 0x01, 0x80}) {
                SCOPED_TRACE(testing::Message() << int{setup.source} << " to " << int{setup.target} << ", "
                                                << setup.sourceBits << " to " << setup.targetBits << " bits, "
                                                << setup.planes << " planes, count " << count << ", mask "
                                                << int{mask});
                TColorManager manager = Manager(setup.source, setup.target, setup.sourceBits, setup.targetBits);
                manager.SetTargetOptions({soApplyGamma});
                const std::uint64_t planeBytes = manager.SourcePlaneBytes(count, mask, setup.planes);
                const std::uint64_t targetBytes = manager.TargetRowBytes(count);
                // Separate allocations, so that a read past one plane is caught on its own.
                std::vector<std::vector<std::uint8_t>> planes(setup.planes);
                std::vector<const std::uint8_t*> pointers;
                for (auto& plane : planes) {
                    plane.resize(planeBytes);
                    for (auto& byte : plane) byte = static_cast<std::uint8_t>(random());
                    pointers.push_back(plane.data());
                }
                Bytes target(targetBytes + kGuard, 0xA5);
                const bool rgbFamily = setup.source >= scRGB && setup.source <= scBGRA;
                const bool alphaPlaneMissing = rgbFamily && setup.planes == 3 &&
                                               (setup.source == scRGBA || setup.source == scBGRA) &&
                                               (setup.target == scRGBA || setup.target == scBGRA);
                if (alphaPlaneMissing && TColorManager::SelectedPixels(count, mask) > 0) {
                    EXPECT_THROW(manager.ConvertRow(pointers, target.data(), count, mask), EColorConversionError);
                    continue;
                }
                manager.ConvertRow(pointers, target.data(), count, mask);
                for (std::size_t i = targetBytes; i < target.size(); ++i) ASSERT_EQ(target[i], 0xA5) << i;
            }
        }
    }
}

}  // namespace
}  // namespace pellumo
