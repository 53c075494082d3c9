#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "raster/bitmap.h"
#include "transition/frame_quantities.h"
#include "transition/random.h"
#include "transition/region_rules.h"
#include "transition/render_frame.h"
#include "transition/style_rules.h"

namespace pellumo {
namespace {

// --- Helpers ------------------------------------------------------------------------------------

// Puts the process-wide seed back, so tests that draw numbers leave no trace.
class SeedGuard {
public:
    SeedGuard() : saved_(RandomSeed()) {}
    ~SeedGuard() { SetRandomSeed(saved_); }
    SeedGuard(const SeedGuard&) = delete;
    SeedGuard& operator=(const SeedGuard&) = delete;

private:
    std::uint32_t saved_;
};

using Model = std::function<bool(int x, int y)>;

// How many pixels of the picture disagree with the model (the first few are reported).
int Mismatches(const TRegion& region, int width, int height, const Model& shows, const std::string& what) {
    int count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (region.Contains(x, y) != shows(x, y) && ++count <= 5)
                ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") should "
                              << (shows(x, y) ? "show the new picture" : "keep the old display");
    return count;
}

int PixelsInside(const TRegion& region, int width, int height) {
    int count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) count += region.Contains(x, y);
    return count;
}

TRegion StyleRegion(int style, int width, int height, int progress) {
    const std::optional<TRegion> region =
        BuildStyleRegion(static_cast<TShowStyle>(style), ComputeFrameQuantities(width, height, progress, 4));
    EXPECT_TRUE(region.has_value()) << "style " << style;
    return region.value_or(TRegion());
}

// A 32-bit picture of one grey: 200 for the new picture, 50 for the old display.
TBitmap Filled(int width, int height, std::uint8_t value) {
    TBitmap bitmap;
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y) std::fill_n(bitmap.ScanLine(y), bitmap.RowBytes(), value);
    return bitmap;
}

bool FirstSet(int at) { return at % 10 < 5; }

// Bars as the kinds describe them, pixel by pixel: which part of a row at `across` (a row bar's
// row, or a column bar's column) shows at position `along` of a bar `extent` long.
bool BarShows(int kind, int length, int extent, int snap, int along, int across) {
    if (kind == 0) return false;
    if (length <= extent) {
        const int reach = length + snap > extent ? extent : length;
        const bool fromFar = kind == 1 || kind == 5 || kind == 3;
        if (FirstSet(across)) return fromFar ? along >= extent - reach : along < reach;
        return kind == 3 && along < reach;
    }
    if (FirstSet(across)) return true;
    if (kind == 1 || kind == 4) return along >= 2 * extent - length;
    if (kind == 2 || kind == 5) return along < length - extent;
    return false;
}

// --- Bars -----------------------------------------------------------------------------------

TEST(Bars, Style60FillsTheFirstSetFromTheRightThenTheGaps) {
    // 400 × 300 with Step 4: b = 18.
    const struct {
        int p;
        int firstFrom;  // bar rows show columns firstFrom..399
        int gapFrom;    // gap rows show columns gapFrom..399 (400: none)
    } cases[] = {
        {40, 80, 400},   // A = 320
        {48, 0, 400},    // A = 384, less than b short of 400: the first set snaps to full width
        {52, 0, 384},    // A = 416: the second phase, gaps from the right
        {60, 0, 320},    // A = 480
    };
    for (const auto& c : cases) {
        const TRegion region = StyleRegion(60, 400, 300, c.p);
        Mismatches(region, 400, 300, [&](int x, int y) { return x >= (FirstSet(y) ? c.firstFrom : c.gapFrom); },
                   "style 60 at p " + std::to_string(c.p));
    }
}

TEST(Bars, Style64GrowsBarsFromTheRightAndGapsFromTheLeft) {
    const TRegion region = StyleRegion(64, 400, 300, 50);  // A = n = 200, no snap
    Mismatches(region, 400, 300, [](int x, int y) { return FirstSet(y) ? x >= 200 : x < 200; }, "style 64 at p 50");
}

// Every kind, in both phases, near and past the snap, on a picture whose sides are not multiples
// of 10 (so the last bars are cut), for row bars and for column bars.
TEST(Bars, EveryKindMatchesItsDescriptionForRowsAndColumns) {
    constexpr int kWidth = 43, kHeight = 37, kSnap = 5;
    for (int kind = 1; kind <= 5; ++kind) {
        for (int rowLength : {0, 10, 37, 38, 43, 44, 60, 86}) {
            const TRegion rows = BarRegion(rowLength, 0, kWidth, kHeight, kSnap, kind, 0);
            Mismatches(rows, kWidth, kHeight,
                       [&](int x, int y) { return BarShows(kind, rowLength, kWidth, kSnap, x, y); },
                       "row kind " + std::to_string(kind) + " length " + std::to_string(rowLength));
        }
        for (int columnLength : {0, 10, 31, 32, 37, 38, 50, 74}) {
            const TRegion columns = BarRegion(0, columnLength, kWidth, kHeight, kSnap, 0, kind);
            Mismatches(columns, kWidth, kHeight,
                       [&](int x, int y) { return BarShows(kind, columnLength, kHeight, kSnap, y, x); },
                       "column kind " + std::to_string(kind) + " length " + std::to_string(columnLength));
        }
    }
}

TEST(Bars, CrissCrossUnitesRowsAndColumnsAndStyle99KeepsTheirCommonPart) {
    constexpr int kWidth = 43, kHeight = 37, kSnap = 5;
    auto crissCross = [&](int a, int b, int rowKind, int columnKind) {
        return [=](int x, int y) {
            return BarShows(rowKind, a, kWidth, kSnap, x, y) || BarShows(columnKind, b, kHeight, kSnap, y, x);
        };
    };
    for (int length : {12, 30, 50}) {
        const int a = length, b = length * kHeight / kWidth;
        Mismatches(BarRegion(a, b, kWidth, kHeight, kSnap, 4, 3), kWidth, kHeight, crissCross(a, b, 4, 3),
                   "criss-cross 4/3 at " + std::to_string(length));
    }
    for (int p : {10, 30, 50, 70, 90}) {
        // Both criss-crosses at this progress, with this picture's snap.
        const TFrameQuantities q = ComputeFrameQuantities(kWidth, kHeight, p, 4);
        auto shows = [&](int kind, int x, int y) {
            return BarShows(kind, 2 * q.n, kWidth, q.b, x, y) || BarShows(kind, 2 * q.v, kHeight, q.b, y, x);
        };
        const std::optional<TRegion> region = BuildStyleRegion(99, q);
        ASSERT_TRUE(region.has_value());
        Mismatches(*region, kWidth, kHeight, [&](int x, int y) { return shows(1, x, y) && shows(2, x, y); },
                   "style 99 at p " + std::to_string(p));
    }
}

// --- Shreds -------------------------------------------------------------------------------------

// A band as CreateRectRgn takes it: swapped ends are put in order.
struct Band {
    int Left, Top, Right, Bottom;
    bool Holds(int x, int y) const {
        return x >= std::min(Left, Right) && x < std::max(Left, Right) && y >= std::min(Top, Bottom) &&
               y < std::max(Top, Bottom);
    }
};

bool AnyHolds(const std::vector<Band>& bands, int x, int y) {
    return std::any_of(bands.begin(), bands.end(), [&](const Band& b) { return b.Holds(x, y); });
}

int Draw(std::uint32_t range) { return static_cast<int>(Random(range)); }

// The spans [from, to) one strip covers along its axis of `extent`, `reach` in: kind 1 from the
// far end, 2 from the near end, 3 out from the middle, 4 in from both ends. Each span draws two
// numbers, R1 then R2, and moves its leading edge by R1 − R2 (halved with the span).
std::vector<std::pair<int, int>> ShredSpans(int kind, int extent, int reach, std::uint32_t range) {
    const auto jitter = [range] {
        const int r1 = Draw(range);
        return r1 - Draw(range);
    };
    if (kind == 1) return {{extent - reach + jitter(), extent}};
    if (kind == 2) return {{0, reach + jitter()}};
    const int first = jitter();
    const int second = jitter();
    if (kind == 3) return {{(extent - reach + first) / 2, extent / 2}, {extent / 2, (extent + reach + second) / 2}};
    return {{extent - (reach + first) / 2, extent}, {0, (reach + second) / 2}};
}

// Strip heights follow the height's remainder of 5; every strip draws two numbers, in order.
TEST(Shreds, StripsFromTheLeftFollowTheGeneratorAndOverlapByTheRemainder) {
    SeedGuard guard;
    for (int height : {300, 302}) {
        constexpr int kWidth = 70;  // n = 35 at p = 50, jitter up to 70 div 7 = 10
        const std::uint32_t seed = 2024u + static_cast<std::uint32_t>(height);
        SetRandomSeed(seed);
        std::vector<Band> expected;
        const int thickness = height == 300 ? 5 : 7;
        for (int y = 0; y < height; y += 5)
            for (auto [from, to] : ShredSpans(2, kWidth, 35, 10)) expected.push_back({from, y, to, y + thickness});
        const std::uint32_t after = RandomSeed();

        SetRandomSeed(seed);
        const TRegion region = StyleRegion(66, kWidth, height, 50);
        EXPECT_EQ(RandomSeed(), after) << "two numbers per strip, no more, no fewer";
        EXPECT_EQ(Mismatches(region, kWidth, height, [&](int x, int y) { return AnyHolds(expected, x, y); },
                             "height " + std::to_string(height)),
                  0);
    }
}

// Rows first (four numbers a strip for the two-sided kinds), then columns; a two-sided band
// whose ends cross the middle shows between them, as any rectangle with swapped edges does.
TEST(Shreds, TwoSidedRowsThenColumnsFollowTheGenerator) {
    SeedGuard guard;
    constexpr int kWidth = 48, kHeight = 33;
    const struct {
        int style;
        int rowKind;
        int columnKind;
    } cases[] = {{108, 3, 3}, {109, 4, 4}, {104, 1, 3}, {107, 3, 2}};
    for (const auto& c : cases) {
        for (int p : {8, 40, 77}) {
            const TFrameQuantities q = ComputeFrameQuantities(kWidth, kHeight, p, 4);
            SetRandomSeed(77u + static_cast<std::uint32_t>(p));
            std::vector<Band> expected;
            const std::uint32_t rowRange = q.n < kWidth ? kWidth / 7 : 0;
            for (int y = 0; y < kHeight; y += 5)
                for (auto [from, to] : ShredSpans(c.rowKind, kWidth, q.n, rowRange))
                    expected.push_back({from, y, to, y + 5 + kHeight % 5});
            const std::uint32_t columnRange = q.v < kHeight ? kHeight / 7 : 0;
            for (int x = 0; x < kWidth; x += 5)
                for (auto [from, to] : ShredSpans(c.columnKind, kHeight, q.v, columnRange))
                    expected.push_back({x, from, x + 5 + kWidth % 5, to});
            const std::uint32_t after = RandomSeed();

            SetRandomSeed(77u + static_cast<std::uint32_t>(p));
            const std::optional<TRegion> region = BuildStyleRegion(static_cast<TShowStyle>(c.style), q);
            ASSERT_TRUE(region.has_value());
            EXPECT_EQ(RandomSeed(), after) << "style " << c.style << " p " << p;
            Mismatches(*region, kWidth, kHeight, [&](int x, int y) { return AnyHolds(expected, x, y); },
                       "style " + std::to_string(c.style) + " p " + std::to_string(p));
        }
    }
}

// The generator worked by hand: the seed steps first, then the top half of seed × range.
class HandGenerator {
public:
    explicit HandGenerator(std::uint32_t seed) : seed_(seed) {}
    int Next(std::uint32_t range) {
        seed_ = seed_ * 134775813u + 1u;
        return static_cast<int>((std::uint64_t{seed_} * range) >> 32);
    }

private:
    std::uint32_t seed_;
};

// From start-up (seed 0) the first frames of "Uneven shred from right" are fixed: strip by
// strip, frame after frame, each strip ends at W − n + R1 − R2.
TEST(Shreds, TheFirstFramesFromStartUpAreFixedByTheSequence) {
    SeedGuard guard;
    constexpr int kWidth = 64, kHeight = 23;  // jitter up to 64 div 7 = 9; strips 8 rows high
    TBitmap picture = Filled(kWidth, kHeight, 200), old = Filled(kWidth, kHeight, 50), screen = Filled(kWidth, kHeight, 0);
    HandGenerator hand(0);
    SetRandomSeed(0);
    for (int p : {4, 8, 12, 16}) {
        const int n = ComputeFrameQuantities(kWidth, kHeight, p, 4).n;
        std::vector<Band> expected;
        for (int y = 0; y < kHeight; y += 5) {
            const int r1 = hand.Next(9);
            const int r2 = hand.Next(9);
            expected.push_back({kWidth - n + r1 - r2, y, kWidth, y + 8});
        }
        RenderFrame(TFrame{picture, old, screen, 65, 4, p, {}, {}, {}, {}});
        int wrong = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if ((screen.ScanLine(y)[x * 4] == 200) != AnyHolds(expected, x, y) && ++wrong <= 5)
                    ADD_FAILURE() << "p " << p << ": pixel (" << x << ", " << y << ")";
    }
}

// The screen after each frame of a transition, as new (true) or old pixels.
std::vector<std::vector<bool>> PlayTransition(int style, TBitmap& picture, TBitmap& old, TBitmap& screen) {
    std::vector<std::vector<bool>> frames;
    for (int p = 4; p < 100; p += 4) {
        RenderFrame(TFrame{picture, old, screen, static_cast<TShowStyle>(style), 4, p, {}, {}, {}, {}});
        std::vector<bool> shown;
        for (int y = 0; y < screen.Height(); ++y)
            for (int x = 0; x < screen.Width(); ++x) shown.push_back(screen.ScanLine(y)[x * 4] == 200);
        frames.push_back(std::move(shown));
    }
    return frames;
}

TEST(Shreds, TheSameFramesFromTheSameSeedDrawTheSamePatterns) {
    SeedGuard guard;
    TBitmap picture = Filled(61, 47, 200), old = Filled(61, 47, 50), screen = Filled(61, 47, 0);
    for (int style : {65, 66, 67, 68, 76, 77, 78, 79, 100, 101, 102, 103, 104, 105, 106, 107, 108, 109}) {
        SetRandomSeed(31337);
        const auto first = PlayTransition(style, picture, old, screen);
        SetRandomSeed(31337);
        const auto second = PlayTransition(style, picture, old, screen);
        EXPECT_EQ(first, second) << "style " << style;
        // Each frame draws new numbers: the same progress twice in a row looks different.
        const TFrameQuantities q = ComputeFrameQuantities(61, 47, 40, 4);
        const std::optional<TRegion> once = BuildStyleRegion(static_cast<TShowStyle>(style), q);
        const std::optional<TRegion> again = BuildStyleRegion(static_cast<TShowStyle>(style), q);
        ASSERT_TRUE(once && again);
        EXPECT_FALSE(*once == *again) << "style " << style;
    }
}

// --- Curves and triangles ------------------------------------------------------------------------

TEST(Curves, CircularRevealsAtHalfwayShowTheRoundedRectangleAndItsCorners) {
    // n = 200, v = 150: both build RoundRect(0, 0, 400, 300, 360, 270).
    const TRegion fromCentre = StyleRegion(84, 400, 300, 50);
    const TRegion toCentre = StyleRegion(85, 400, 300, 50);
    for (const TPoint corner : {TPoint{0, 0}, TPoint{399, 0}, TPoint{0, 299}, TPoint{399, 299}})
        EXPECT_FALSE(fromCentre.Contains(corner.X, corner.Y)) << corner.X << ", " << corner.Y;
    for (const TPoint inside : {TPoint{200, 150}, TPoint{200, 0}, TPoint{0, 150}, TPoint{399, 150}, TPoint{200, 299}})
        EXPECT_TRUE(fromCentre.Contains(inside.X, inside.Y)) << inside.X << ", " << inside.Y;
    // Each shows exactly what the other leaves; the corners are 4 − π of a 180 × 135 rectangle.
    EXPECT_EQ(Mismatches(toCentre, 400, 300, [&](int x, int y) { return !fromCentre.Contains(x, y); }, "85 vs 84"), 0);
    const int corners = PixelsInside(toCentre, 400, 300);
    EXPECT_NEAR(corners, (4 - 3.14159265) * 180 * 135, 400);
}

TEST(Triangles, Style110AtHalfwayShowsExactlyTheTopLeftHalf) {
    const TRegion region = StyleRegion(110, 400, 300, 50);  // (0, 0), (400, 0), (0, 300)
    // A pixel is inside when its centre is: 3(x + ½) + 4(y + ½) < 1200; no centre is on the line.
    EXPECT_EQ(Mismatches(region, 400, 300, [](int x, int y) { return 3 * x + 4 * y <= 1196; }, "style 110"), 0);
    EXPECT_EQ(PixelsInside(region, 400, 300), 60000);
}

TEST(Triangles, Style117AtHalfwayPutsAHalfCellTriangleInEveryCell) {
    // e = 40, f = 30 and the cells are 40 × 30: each triangle is its cell's top-left half.
    const TRegion region = StyleRegion(117, 400, 300, 50);
    EXPECT_EQ(Mismatches(region, 400, 300, [](int x, int y) { return 3 * (x % 40) + 4 * (y % 30) <= 116; }, "style 117"),
              0);
    EXPECT_EQ(PixelsInside(region, 400, 300), 60000);
}

// --- Every style -----------------------------------------------------------------------------

// For each style, pixels of a 400 × 300 picture that must show the new picture and pixels that
// must still show the old display, read from the way the style moves. The shred probes lie
// beyond the reach of any jitter, so they hold whatever numbers are drawn.
struct Probe {
    int Style;
    int P;
    std::vector<TPoint> Shows;
    std::vector<TPoint> Hides;
};

const std::vector<Probe>& Probes() {
    // Rows 152 and 157 are a bar row and a gap row; columns 202 and 207 a bar and a gap column.
    // At p = 20 no column bar reaches rows 120..179 and no row bar columns 160..239.
    static const std::vector<Probe> probes = {
        {58, 30, {{10, 150}}, {{390, 150}}},
        {59, 30, {{390, 150}}, {{10, 150}}},
        {69, 30, {{200, 10}}, {{200, 290}}},
        {70, 30, {{200, 290}}, {{200, 10}}},
        {80, 30, {{5, 5}}, {{395, 295}}},
        {81, 30, {{395, 5}}, {{5, 295}}},
        {82, 30, {{5, 295}}, {{395, 5}}},
        {83, 30, {{395, 295}}, {{5, 5}}},
        // Halfway the corner ellipses of 80..82 are 2W × 2H, leaving out pixels that a circle of
        // radius H would take in; that of 83 is such a circle, reaching (150, 60) where a 2W-wide
        // ellipse would not.
        {80, 50, {{250, 200}}, {{250, 245}, {330, 250}}},
        {81, 50, {{149, 200}}, {{149, 245}, {69, 250}}},
        {82, 50, {{250, 99}}, {{250, 54}, {330, 49}}},
        {83, 50, {{150, 60}}, {{5, 5}}},
        {84, 30, {{200, 150}}, {{0, 0}, {399, 299}}},
        {85, 50, {{0, 0}, {399, 299}}, {{200, 150}}},
        {60, 20, {{395, 152}}, {{5, 152}, {395, 157}}},
        {60, 80, {{395, 157}}, {{5, 157}}},
        {61, 20, {{5, 152}}, {{395, 152}, {5, 157}}},
        {61, 80, {{5, 157}}, {{395, 157}}},
        {62, 20, {{5, 152}}, {{395, 152}}},
        {62, 80, {{395, 157}}, {{5, 157}}},
        {63, 20, {{395, 152}}, {{5, 152}}},
        {63, 80, {{5, 157}}, {{395, 157}}},
        {64, 20, {{395, 152}, {5, 157}}, {{5, 152}, {395, 157}}},
        {71, 20, {{202, 295}}, {{202, 5}, {207, 295}}},
        {71, 80, {{207, 295}}, {{207, 5}}},
        {72, 20, {{202, 5}}, {{202, 295}, {207, 5}}},
        {72, 80, {{207, 5}}, {{207, 295}}},
        {73, 20, {{202, 5}}, {{202, 295}}},
        {73, 80, {{207, 295}}, {{207, 5}}},
        {74, 20, {{202, 295}}, {{202, 5}}},
        {74, 80, {{207, 5}}, {{207, 295}}},
        {75, 20, {{202, 295}, {207, 5}}, {{202, 5}, {207, 295}}},
        {86, 20, {{395, 152}, {202, 295}}, {{5, 152}, {202, 5}}},
        {87, 20, {{395, 152}, {202, 5}}, {{5, 152}, {202, 295}}},
        {88, 20, {{5, 152}, {202, 295}}, {{395, 152}, {202, 5}}},
        {89, 20, {{5, 152}, {202, 5}}, {{395, 152}, {202, 295}}},
        {90, 20, {{5, 152}, {202, 5}}, {{395, 152}, {202, 295}}},
        {91, 20, {{5, 152}, {202, 295}}, {{395, 152}, {202, 5}}},
        {92, 20, {{395, 152}, {202, 5}}, {{5, 152}, {202, 295}}},
        {93, 20, {{395, 152}, {202, 295}}, {{5, 152}, {202, 5}}},
        // At p = 80 the first sets are whole; gap-row, gap-column pixels tell the second sets.
        {90, 80, {{395, 107}, {5, 295}}, {{5, 107}}},
        {91, 80, {{395, 295}, {5, 5}}, {{5, 295}}},
        {92, 80, {{5, 5}, {395, 295}}, {{395, 5}}},
        {93, 80, {{5, 295}, {395, 5}}, {{395, 295}}},
        {94, 20, {{395, 152}, {202, 295}, {207, 5}}, {{5, 152}, {202, 5}, {207, 295}}},
        {95, 20, {{5, 152}, {202, 295}, {207, 5}}, {{395, 152}, {202, 5}, {207, 295}}},
        {96, 20, {{395, 152}, {5, 157}, {202, 295}}, {{5, 152}, {395, 157}, {202, 5}}},
        {97, 20, {{395, 152}, {5, 157}, {202, 5}}, {{5, 152}, {395, 157}, {202, 295}}},
        {98, 20, {{395, 152}, {5, 157}, {202, 295}, {207, 5}}, {{5, 152}, {395, 157}, {202, 5}, {207, 295}}},
        {99, 20, {{392, 2}, {2, 292}}, {{395, 152}, {202, 295}}},
        {65, 30, {{395, 150}}, {{5, 150}}},
        {66, 30, {{5, 150}}, {{395, 150}}},
        {67, 30, {{200, 150}, {199, 150}}, {{5, 150}, {395, 150}}},
        {68, 30, {{395, 150}, {5, 150}}, {{200, 150}}},
        {76, 30, {{200, 295}}, {{200, 5}}},
        {77, 30, {{200, 5}}, {{200, 295}}},
        {78, 30, {{200, 150}, {200, 149}}, {{200, 5}, {200, 295}}},
        {79, 30, {{200, 295}, {200, 5}}, {{200, 150}}},
        {100, 30, {{395, 150}, {200, 295}}, {{5, 5}}},
        {101, 30, {{395, 150}, {200, 5}}, {{5, 295}}},
        {102, 30, {{5, 150}, {200, 295}}, {{395, 5}}},
        {103, 30, {{5, 150}, {200, 5}}, {{395, 295}}},
        {104, 30, {{395, 5}, {200, 150}}, {{5, 5}, {5, 295}}},
        {105, 30, {{5, 5}, {200, 150}}, {{395, 5}, {395, 295}}},
        {106, 30, {{200, 5}, {5, 295}}, {{5, 5}, {395, 5}}},
        {107, 30, {{200, 295}, {5, 5}}, {{5, 295}, {395, 295}}},
        {108, 30, {{200, 5}, {5, 150}}, {{5, 5}, {395, 295}}},
        {109, 30, {{395, 150}, {5, 150}, {200, 5}, {200, 295}}, {{200, 150}}},
        {110, 30, {{5, 5}}, {{395, 295}}},
        {111, 30, {{395, 5}}, {{5, 295}}},
        {112, 30, {{5, 295}}, {{395, 5}}},
        {113, 30, {{395, 295}}, {{5, 5}}},
        {114, 30, {{5, 295}, {395, 5}, {5, 100}}, {{5, 5}, {395, 295}, {200, 290}}},
        {115, 30, {{5, 295}, {395, 5}, {200, 290}}, {{5, 5}, {395, 295}, {5, 100}}},
        {116, 30, {{5, 290}, {30, 5}, {370, 295}, {395, 30}}, {{5, 5}, {395, 295}, {5, 150}, {395, 150}}},
        {117, 30, {{2, 2}, {362, 272}}, {{35, 25}, {395, 295}}},
    };
    return probes;
}

TEST(EveryStyle, MovesAsItsNameSays) {
    SeedGuard guard;
    std::vector<bool> probed(128, false);
    for (const Probe& probe : Probes()) {
        probed[static_cast<std::size_t>(probe.Style)] = true;
        for (std::uint32_t seed : {0u, 99u, 123456789u}) {
            SetRandomSeed(seed);
            const TRegion region = StyleRegion(probe.Style, 400, 300, probe.P);
            for (const TPoint& pt : probe.Shows)
                EXPECT_TRUE(region.Contains(pt.X, pt.Y))
                    << "style " << probe.Style << " p " << probe.P << " should show (" << pt.X << ", " << pt.Y << ")";
            for (const TPoint& pt : probe.Hides)
                EXPECT_FALSE(region.Contains(pt.X, pt.Y))
                    << "style " << probe.Style << " p " << probe.P << " should hide (" << pt.X << ", " << pt.Y << ")";
        }
    }
    for (int style = 58; style <= 117; ++style) EXPECT_TRUE(probed[static_cast<std::size_t>(style)]) << style;
}

TEST(EveryStyle, TheEndsBuildNoRegionAndDrawNoNumbers) {
    SeedGuard guard;
    TBitmap picture = Filled(37, 23, 200), old = Filled(37, 23, 50), screen = Filled(37, 23, 0);
    for (int style = 58; style <= 117; ++style) {
        for (int progress : {0, 100}) {
            SetRandomSeed(5);
            RenderFrame(TFrame{picture, old, screen, static_cast<TShowStyle>(style), 4, progress, {}, {}, {}, {}});
            int shown = 0;
            for (int y = 0; y < 23; ++y)
                for (int x = 0; x < 37; ++x) shown += screen.ScanLine(y)[x * 4] == 200;
            EXPECT_EQ(shown, progress == 100 ? 37 * 23 : 0) << "style " << style << " p " << progress;
            EXPECT_EQ(RandomSeed(), 5u) << "style " << style << " p " << progress;
        }
    }
}

TEST(EveryStyle, TheFrameShowsTheNewPictureExactlyThroughTheRegion) {
    SeedGuard guard;
    TBitmap picture = Filled(53, 41, 200), old = Filled(53, 41, 50), screen = Filled(53, 41, 0);
    for (int style = 58; style <= 117; ++style) {
        SetRandomSeed(8);
        RenderFrame(TFrame{picture, old, screen, static_cast<TShowStyle>(style), 4, 45, {}, {}, {}, {}});
        SetRandomSeed(8);
        const TRegion region = StyleRegion(style, 53, 41, 45);
        EXPECT_EQ(Mismatches(region, 53, 41, [&](int x, int y) { return screen.ScanLine(y)[x * 4] == 200; },
                             "style " + std::to_string(style)),
                  0);
    }
}

// Degenerate and extreme shapes build without fault, and the work stays proportional to the
// picture's sides however thin it is.
TEST(EveryStyle, EmptyThinAndTinyPicturesBuildBoundedRegions) {
    SeedGuard guard;
    const struct {
        int width, height;
    } sizes[] = {{0, 0}, {1, 1}, {2, 3}, {1, 90}, {90, 1}, {7, 5}, {0, 12}};
    for (const auto& size : sizes) {
        for (int p : {1, 33, 50, 99}) {
            for (int style = 58; style <= 117; ++style) {
                const TRegion region = StyleRegion(style, size.width, size.height, p);
                EXPECT_LE(region.RectCount(), static_cast<std::size_t>(100 * (size.width + size.height + 20)))
                    << "style " << style << " " << size.width << " × " << size.height;
            }
        }
    }
}

}  // namespace
}  // namespace pellumo
