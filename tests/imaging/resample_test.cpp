#include "imaging/resample/resample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "imaging/resample/resample_contributors.h"
#include "raster/pixels.h"

namespace pellumo {
namespace {

using probe::PixelAt;
using probe::Rgb;
using probe::SetPixel;
using Bytes = std::vector<std::uint8_t>;
using List = std::vector<TContributor>;

// Noise holds every value from 0 to 255, so the overshooting kernels reach both clamps.
TBitmap Noise(int width, int height, unsigned seed) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, height);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * 3; ++x) bitmap.ScanLine(y)[x] = static_cast<std::uint8_t>(random());
    return bitmap;
}

Bytes PixelBytes(const TBitmap& bitmap) {
    Bytes bytes;
    for (int y = 0; y < bitmap.Height(); ++y)
        bytes.insert(bytes.end(), bitmap.ScanLine(y), bitmap.ScanLine(y) + bitmap.Width() * 3);
    return bytes;
}

TBitmap Resampled(const TBitmap& source, int width, int height, TResampleFilter filter, float radius,
                  int threads = 1) {
    TBitmap copy, target;
    copy.Assign(source);
    ResampleBitmap(width, height, filter, radius, copy, target, threads);
    return target;
}

List ListOf(const TContributorLists& lists, int i) { return {lists[i].begin(), lists[i].end()}; }

// --- A slow transcription of the arithmetic, to hold the fast loops to -----------------------

// The weights of output i, computed afresh each time.
List RefList(int i, int length, int outputs, TFilterKernel kernel, float radius) {
    float s = length == 1 ? static_cast<float>(outputs) : static_cast<float>(outputs - 1) / static_cast<float>(length - 1);
    if (s == 0.0f) s = 0.1f;
    const float centre = static_cast<float>(i) / s, width = s >= 1.0f ? radius : radius / s;
    List list;
    for (int j = static_cast<int>(std::floor(double{centre} - width)); j <= std::ceil(double{centre} + width); ++j) {
        const float x = centre - static_cast<float>(j);
        const double value = s >= 1.0f ? kernel(x) * 256.0 : double{kernel(x * s)} * s * 256.0;
        const int weight = static_cast<int>(std::nearbyint(value));
        const int pixel = j < 0 ? -j : j >= length ? 2 * length - j - 1 : j;
        if (weight != 0) list.push_back({weight, std::clamp(pixel, 0, length - 1)});
    }
    return list;
}

using Line = std::vector<std::array<int, 3>>;

void RefSample(const List& list, const Line& line, std::uint8_t* out) {
    std::int64_t sums[3] = {}, weightSum = 0;
    for (const TContributor& c : list) {
        for (int ch = 0; ch < 3; ++ch) sums[ch] += std::int64_t{c.Weight} * line[static_cast<std::size_t>(c.Pixel)][ch];
        weightSum += c.Weight;
    }
    for (int ch = 0; ch < 3; ++ch) {  // a zero weight sum: the sum over 256, rounded down
        const std::int64_t v = weightSum != 0 ? sums[ch] / weightSum : static_cast<std::int64_t>(std::floor(sums[ch] / 256.0));
        out[ch] = static_cast<std::uint8_t>(std::clamp<std::int64_t>(v, 0, 255));
    }
}

// Rows into an intermediate, then its columns one by one into the target.
Bytes RefResample(const TBitmap& source, int tw, int th, TFilterKernel kernel, float radius) {
    const int sw = source.Width(), sh = source.Height();
    const auto at = [](Bytes& b, int w, int x, int y) { return &b[(static_cast<std::size_t>(y) * w + x) * 3]; };
    Bytes inter(static_cast<std::size_t>(tw) * sh * 3), target(static_cast<std::size_t>(tw) * th * 3);
    for (int y = 0; y < sh; ++y) {
        Line line(static_cast<std::size_t>(sw));
        for (int x = 0; x < sw; ++x)
            for (int ch = 0; ch < 3; ++ch) line[static_cast<std::size_t>(x)][ch] = source.ScanLine(y)[x * 3 + ch];
        for (int i = 0; i < tw; ++i) RefSample(RefList(i, sw, tw, kernel, radius), line, at(inter, tw, i, y));
    }
    for (int x = 0; x < tw; ++x) {
        Line column(static_cast<std::size_t>(sh));
        for (int y = 0; y < sh; ++y)
            for (int ch = 0; ch < 3; ++ch) column[static_cast<std::size_t>(y)][ch] = at(inter, tw, x, y)[ch];
        for (int i = 0; i < th; ++i) RefSample(RefList(i, sh, th, kernel, radius), column, at(target, tw, x, i));
    }
    return target;
}

// --- Kernels -------------------------------------------------------------------------------

TEST(ResampleKernels, TakeTheirValuesAtTellingPoints) {
    struct Case {
        TResampleFilter filter;
        float x, expected;
    };
    const Case cases[] = {
        {rfBox, 0, 1},           {rfBox, 0.5f, 1},           {rfBox, -0.5f, 0},          {rfBox, 0.51f, 0},
        {rfTriangle, -0.25f, 0.75f},                         {rfHermite, 0.25f, 0.84375f}, {rfHermite, 0.5f, 0.5f},
        {rfBell, 0, 0.75f},      {rfBell, 1, 0.125f},        {rfBell, -1.25f, 0.03125f},
        {rfSpline, 0, 2.0f / 3}, {rfSpline, 1, 1.0f / 6},    {rfSpline, -1.5f, 1.0f / 48},
        {rfLanczos3, 0, 1},      {rfLanczos3, 0.5f, 0.6079271f}, {rfLanczos3, -1.5f, -0.1350949f}, {rfLanczos3, 1, 0},
        {rfMitchell, 0, 8.0f / 9}, {rfMitchell, 1, 1.0f / 18}, {rfMitchell, -0.5f, 0.5347222f},
        {rfMitchell, 1.5f, -0.0347222f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(kFilterKernels[c.filter](c.x), c.expected, 2e-7) << "filter " << c.filter << " at " << c.x;
    const float radii[] = {0.5f, 1, 1, 1.5f, 2, 3, 2};
    for (int f = 0; f < kResampleFilterCount; ++f) {
        EXPECT_EQ(kFilterRadii[f], radii[f]) << f;
        // Zero from the radius on (the box only past +0.5), and even but for the box.
        for (float x : {-radii[f], radii[f] + 0.25f, -radii[f] - 0.25f}) EXPECT_EQ(kFilterKernels[f](x), 0) << f;
        if (f != rfBox) {
            EXPECT_EQ(kFilterKernels[f](1.3f), kFilterKernels[f](-1.3f)) << f;
        }
    }
}

// --- Contributor lists ---------------------------------------------------------------------

TEST(ContributorLists, WeightsFromTheWorkedCases) {
    // 3 samples to 2 at scale 0.5: index -1 reads sample 1, index 3 reads sample 2.
    ASSERT_EQ(ResampleScale(2, 3), 0.5f);
    const TContributorLists three = BuildContributorLists(2, 3, 0.5f, TriangleFilter, 1);
    EXPECT_EQ(ListOf(three, 0), (List{{64, 1}, {128, 0}, {64, 1}}));
    EXPECT_EQ(ListOf(three, 1), (List{{64, 1}, {128, 2}, {64, 2}}));

    // One output from a longer source: scale 0.1, width 10, (1 - |j| / 10) * 25.6 mirrored about 0.
    EXPECT_EQ(ResampleScale(1, 30), 0.0f);
    const int weights[] = {26, 23, 20, 18, 15, 13, 10, 8, 5, 3};
    List expected;
    for (int j = -9; j <= 9; ++j) expected.push_back({weights[std::abs(j)], std::abs(j)});
    EXPECT_EQ(ListOf(BuildContributorLists(1, 30, 0.0f, TriangleFilter, 1), 0), expected);

    // Scale 512: outputs 1 and 5 sit 1/512 and 5/512 past sample 0. Halves go to even:
    // 255.5 and 0.5, then 253.5 and 2.5.
    const TContributorLists ties = BuildContributorLists(6, 2, 512, TriangleFilter, 1);
    EXPECT_EQ(ListOf(ties, 1), (List{{256, 0}}));
    EXPECT_EQ(ListOf(ties, 5), (List{{254, 0}, {2, 1}}));

    // Spline, 5 samples to 4 (scale 0.75): output 1 takes index -1 at 1.75, K = 1/384 and a
    // little. Times 0.75 that is a weight of 0.5 and a little: 1. A product rounded to float
    // first would be a tie, and 0.
    EXPECT_EQ(BuildContributorLists(4, 5, ResampleScale(4, 5), SplineFilter, 2)[1][0], (TContributor{1, 1}));

    // A radius below the support: width 0.25 would make Trunc(2 * 0.25 + 1) = 1 slot, yet
    // half-way between samples both count.
    EXPECT_EQ(ListOf(BuildContributorLists(3, 2, 2, TriangleFilter, 0.25f), 1), (List{{128, 0}, {128, 1}}));
}

TEST(ContributorLists, EveryIndexStaysInsideSourcesShorterThanTheKernel) {
    for (int f = 0; f < kResampleFilterCount; ++f)
        for (int length = 1; length <= 4; ++length)
            for (int outputs : {1, 2, 3, 9}) {
                const TContributorLists lists = BuildContributorLists(
                    outputs, length, ResampleScale(outputs, length), kFilterKernels[f], kFilterRadii[f]);
                for (int i = 0; i < outputs; ++i)
                    for (const TContributor& c : lists[i])
                        EXPECT_TRUE(c.Pixel >= 0 && c.Pixel < length) << f << " " << length << " " << outputs;
            }
    // Two samples with Lanczos to one: indices from -30 to 30 all land on the two.
    EXPECT_GT(BuildContributorLists(1, 2, 0, Lanczos3Filter, 3).ContributorCount(0), 40);
    EXPECT_EQ(BuildContributorLists(3, 0, 2, TriangleFilter, 1).ContributorCount(2), 0);
}

TEST(ContributorLists, AKernelValueNoWeightHoldsIsRefused) {
    EXPECT_THROW(BuildContributorLists(2, 2, 1, [](float) { return 1e10f; }, 1), EInvalidGraphicOperation);
    EXPECT_THROW(BuildContributorLists(2, 2, 1, [](float) { return std::nanf(""); }, 1), EInvalidGraphicOperation);
}

// --- Channel division ----------------------------------------------------------------------

TEST(WeightedChannel, TruncatesClampsAndShiftsAZeroSum) {
    const std::int32_t cases[][3] = {
        {12800, 256, 50}, {511, 256, 1},  {-511, 256, 0}, {300 * 256, 256, 255}, {-2560, -256, 10},
        {2559, -256, 0},  {767, 0, 2},    {-1, 0, 0},     {1 << 20, 0, 255},
        {std::numeric_limits<std::int32_t>::min(), -1, 255},  // wrapped: no trap
    };
    for (const auto& c : cases) EXPECT_EQ(WeightedChannel(c[0], c[1]), c[2]) << c[0] << " / " << c[1];
}

// The fast passes divide by multiplying; truncating the product is monotonic in the sum, so
// both ends of every quotient's range cover all sums.
TEST(WeightedChannel, ReciprocalDivisionMatchesIntegerDivision) {
    for (std::int32_t weightSum = 1; weightSum <= kMaxReciprocalWeightSum; ++weightSum) {
        const float reciprocal = WeightSumReciprocal(weightSum);
        const auto quotient = [&](std::int32_t sum) { return static_cast<int>(static_cast<float>(sum) * reciprocal); };
        for (std::int32_t q = 0; q <= 255; ++q)
            if (quotient(q * weightSum) != q || quotient(q * weightSum + weightSum - 1) != q)
                FAIL() << "weight sum " << weightSum << ", quotient " << q;
    }
}

// --- Whole bitmaps ---------------------------------------------------------------------------

TEST(ResampleBitmap, TheWorkedCases) {
    // The same size with an interpolating kernel keeps the pixels.
    const TBitmap square = Noise(4, 4, 1);
    for (TResampleFilter filter : {rfBox, rfTriangle, rfHermite, rfLanczos3})
        EXPECT_EQ(PixelBytes(Resampled(square, 4, 4, filter, 0)), PixelBytes(square)) << filter;

    TBitmap row;
    row.SetPixelFormat(pf24bit);
    row.SetSize(3, 1);
    for (int x = 0; x < 3; ++x) SetPixel(row, x, 0, {100 * x, 200 - 100 * x, 7});
    const TBitmap two = Resampled(row, 2, 1, rfTriangle, 0);
    EXPECT_EQ(two.PixelFormat(), pf24bit);
    EXPECT_EQ(PixelAt(two, 0, 0), (Rgb{50, 150, 7}));
    EXPECT_EQ(PixelAt(two, 1, 0), (Rgb{175, 25, 7}));

    // Radius 0 is the filter's own; and the radius matters.
    const TBitmap source = Noise(23, 17, 2);
    for (int f = 0; f < kResampleFilterCount; ++f) {
        const auto filter = static_cast<TResampleFilter>(f);
        EXPECT_EQ(PixelBytes(Resampled(source, 9, 30, filter, 0)), PixelBytes(Resampled(source, 9, 30, filter, kFilterRadii[f])));
    }
    EXPECT_NE(PixelBytes(Resampled(source, 9, 30, rfLanczos3, 0)), PixelBytes(Resampled(source, 9, 30, rfLanczos3, 2)));
}

TEST(ResampleBitmap, ASingleColumnOrRowAveragesTheStartOfALongerSource) {
    // Red is 8 * index along 30 samples; the one-tenth weights above give 6800 / 256.
    for (bool down : {false, true}) {
        TBitmap source;
        source.SetPixelFormat(pf24bit);
        source.SetSize(down ? 2 : 30, down ? 30 : 2);
        for (int i = 0; i < 30; ++i)
            for (int k = 0; k < 2; ++k) SetPixel(source, down ? k : i, down ? i : k, {8 * i, 40, 255});
        const TBitmap target = Resampled(source, down ? 2 : 1, down ? 1 : 2, rfTriangle, 0);
        for (int k = 0; k < 2; ++k) EXPECT_EQ(PixelAt(target, down ? k : 0, down ? 0 : k), (Rgb{26, 40, 255})) << down;
    }
}

TEST(ResampleBitmap, APalettedSourceComesBack24BitWithItsColours) {
    const TPalette palette = {{200, 10, 30, 0}, {0, 128, 255, 0}, {77, 77, 77, 0}};
    TBitmap source, target;
    source.SetPixelFormat(pf8bit);
    source.SetPalette(palette);
    source.SetSize(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) source.ScanLine(y)[x] = static_cast<std::uint8_t>((x + y) % 3);
    ResampleBitmap(5, 3, rfTriangle, 0, source, target);
    EXPECT_EQ(target.PixelFormat(), pf24bit);
    EXPECT_EQ(source.PixelFormat(), pf24bit);  // converted in place
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const TPaletteEntry& e = palette[static_cast<std::size_t>((x + y) % 3)];
            EXPECT_EQ(PixelAt(target, x, y), (Rgb{e.peRed, e.peGreen, e.peBlue})) << x << "," << y;
            EXPECT_EQ(PixelAt(source, x, y), (Rgb{e.peRed, e.peGreen, e.peBlue})) << x << "," << y;
        }
}

TEST(ResampleBitmap, FlatPicturesStayFlatAtEverySize) {
    TBitmap dot, flat;
    for (auto [bitmap, w, h] : {std::tuple{&dot, 1, 1}, std::tuple{&flat, 40, 25}}) {
        bitmap->SetPixelFormat(pf24bit);
        bitmap->SetSize(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) SetPixel(*bitmap, x, y, {12, 180, 3});
    }
    for (int f = 0; f < kResampleFilterCount; ++f)
        for (const TBitmap* source : {&dot, &flat})
            for (auto [w, h] : {std::pair{6, 4}, std::pair{1, 1}, std::pair{1, 7}}) {
                const TBitmap target = Resampled(*source, w, h, static_cast<TResampleFilter>(f), 0);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) ASSERT_EQ(PixelAt(target, x, y), (Rgb{12, 180, 3})) << f;
            }
}

TEST(ResampleBitmap, EmptySourcesAndTargets) {
    for (auto [w, h] : {std::pair{0, 0}, std::pair{5, 0}, std::pair{0, 5}}) {
        TBitmap source;
        source.SetPixelFormat(pf24bit);
        source.SetSize(w, h);
        EXPECT_EQ(PixelBytes(Resampled(source, 3, 2, rfMitchell, 0)), Bytes(18, 0)) << w << "x" << h;  // black
    }
    const TBitmap none = Resampled(Noise(4, 4, 3), 0, 7, rfTriangle, 0);
    EXPECT_EQ(none.Width(), 0);
    EXPECT_EQ(none.Height(), 7);
}

TEST(ResampleBitmap, ABitmapCanBeResampledOntoItself) {
    const TBitmap original = Noise(19, 11, 4);
    TBitmap bitmap;
    bitmap.Assign(original);
    ResampleBitmap(7, 13, rfSpline, 0, bitmap, bitmap);
    EXPECT_EQ(PixelBytes(bitmap), RefResample(original, 7, 13, SplineFilter, 2));
}

TEST(ResampleBitmap, BadArgumentsAreRefusedBeforeEitherBitmapIsTouched) {
    TBitmap source = Noise(6, 5, 5), target = Noise(3, 3, 6);
    source.SetPixelFormat(pf8bit);
    const Bytes before = PixelBytes(target);
    for (float radius : {-1.0f, std::nanf(""), std::numeric_limits<float>::infinity(), 257.0f})
        EXPECT_THROW(ResampleBitmap(4, 4, rfTriangle, radius, source, target), EInvalidGraphicOperation) << radius;
    EXPECT_THROW(ResampleBitmap(4, 4, static_cast<TResampleFilter>(7), 0, source, target), EInvalidGraphicOperation);
    EXPECT_THROW(ResampleBitmap(-1, 4, rfTriangle, 0, source, target), EConvertError);
    EXPECT_THROW(ResampleBitmap(1 << 15, 1 << 15, rfTriangle, 0, source, target), EConvertError);
    EXPECT_EQ(source.PixelFormat(), pf8bit);
    EXPECT_EQ(PixelBytes(target), before);
    // A 1 x 16384 column to 32768 x 64 would keep about 2^29 pixels between the passes.
    TBitmap column;
    column.SetPixelFormat(pf24bit);
    column.SetSize(1, 1 << 14);
    EXPECT_THROW(ResampleBitmap(1 << 15, 64, rfTriangle, 0, column, target), EConvertError);
    EXPECT_EQ(PixelBytes(target), before);

    // The worker wants a kernel, a radius and two 24-bit bitmaps.
    EXPECT_THROW(ResampleWithKernel(nullptr, 1, target, target), EInvalidGraphicOperation);
    EXPECT_THROW(ResampleWithKernel(TriangleFilter, 0, target, target), EInvalidGraphicOperation);
    EXPECT_THROW(ResampleWithKernel(TriangleFilter, 1, source, target), EInvalidGraphicOperation);
    EXPECT_THROW(ResampleWithKernel(TriangleFilter, 1, target, source), EInvalidGraphicOperation);
}

// --- The fast loops against the transcription ----------------------------------------------

struct SizeCase {
    int sw, sh, tw, th;
};

TEST(ResampleBitmap, EveryKernelGivesTheBytesOfThePlainArithmetic) {
    const SizeCase sizes[] = {
        {17, 13, 40, 29}, {37, 23, 19, 11}, {100, 80, 33, 27},  // enlarging; reducing; by about 3
        {31, 7, 9, 20},   {5, 40, 23, 3},   {50, 50, 49, 51},   // mixed; nearly the same size
        {3, 3, 3, 3},     {1, 1, 7, 5},     {9, 6, 1, 1},       // same; from and to one pixel
        {2, 3, 6, 1},     {4, 2, 1, 13},                        // shorter than most kernels
        {64, 1, 21, 1},   {1, 64, 1, 9},                        // one row, one column
    };
    unsigned seed = 10;
    for (int f = 0; f < kResampleFilterCount; ++f)
        for (const SizeCase& c : sizes) {
            const TBitmap source = Noise(c.sw, c.sh, ++seed);
            // The kernel's own radius, one narrower than its support and one wider.
            for (float radius : {kFilterRadii[f], 0.3f, 2.5f}) {
                SCOPED_TRACE(testing::Message() << "filter " << f << ", radius " << radius << ", " << c.sw << "x"
                                                << c.sh << " -> " << c.tw << "x" << c.th);
                const TBitmap target = Resampled(source, c.tw, c.th, static_cast<TResampleFilter>(f), radius);
                ASSERT_EQ(PixelBytes(target), RefResample(source, c.tw, c.th, kFilterKernels[f], radius));
            }
        }
    // Larger pictures: whole 16-byte blocks and ragged ends of rows.
    const TBitmap source = Noise(301, 203, 99);
    // Shared out over threads by rows, in parts of every size, the bytes are the same.
    for (auto [tw, th] : {std::pair{97, 61}, std::pair{130, 250}, std::pair{302, 204}})
        for (int threads : {1, 2, 3, 4}) {
            SCOPED_TRACE(testing::Message() << tw << "x" << th << ", " << threads << " threads");
            EXPECT_EQ(PixelBytes(Resampled(source, tw, th, rfTriangle, 0, threads)),
                      RefResample(source, tw, th, TriangleFilter, 1));
            EXPECT_EQ(PixelBytes(Resampled(source, tw, th, rfLanczos3, 0, threads)),
                      RefResample(source, tw, th, Lanczos3Filter, 3));
        }
}

// Kernels no built-in filter has: weights beyond 16 bits and weight sums beyond the fast
// division, negative and zero weight sums (a zero sum gives the channel sum over 256).
TEST(ResampleWithKernel, UnusualWeightsGiveTheBytesOfThePlainArithmetic) {
    const TFilterKernel kernels[] = {
        [](float x) { return 200 * TriangleFilter(x); },
        [](float x) { return -TriangleFilter(x); },
        [](float x) { return x * TriangleFilter(x / 2); },
        [](float x) { return x < 0 ? 1.0f : -0.5f * TriangleFilter(x); },
    };
    for (const TFilterKernel kernel : kernels)
        for (const SizeCase& c : {SizeCase{17, 13, 40, 29}, SizeCase{37, 23, 19, 11}, SizeCase{5, 4, 1, 9}}) {
            const TBitmap source = Noise(c.sw, c.sh, 77);
            TBitmap target;
            target.SetPixelFormat(pf24bit);
            target.SetSize(c.tw, c.th);
            for (int threads : {1, 3}) {
                ResampleWithKernel(kernel, 2, source, target, threads);
                ASSERT_EQ(PixelBytes(target), RefResample(source, c.tw, c.th, kernel, 2)) << c.sw << "x" << c.sh;
            }
        }
    // The negated triangle negates both sums and changes nothing.
    const TBitmap source = Noise(37, 23, 78);
    TBitmap negated;
    negated.SetPixelFormat(pf24bit);
    negated.SetSize(19, 11);
    ResampleWithKernel(kernels[1], 1, source, negated);
    EXPECT_EQ(PixelBytes(negated), PixelBytes(Resampled(source, 19, 11, rfTriangle, 0)));
}

TEST(ResampleBitmap, ThreadsResamplingAtOnceGetWhatOneThreadGets) {
    std::vector<TBitmap> sources;
    std::vector<Bytes> expected, results(4);
    const auto run = [&](int t) { return PixelBytes(Resampled(sources[t], 47, 133, static_cast<TResampleFilter>(t + 1), 0)); };
    for (int t = 0; t < 4; ++t) {
        sources.push_back(Noise(120 + t, 90, static_cast<unsigned>(200 + t)));
        expected.push_back(run(t));
    }
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round) results[static_cast<std::size_t>(t)] = run(t);
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(results, expected);
}

}  // namespace
}  // namespace pellumo
