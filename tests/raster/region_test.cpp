#include "raster/region.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

namespace pellumo {
namespace {

// Every check compares a region with a per-pixel model over this window.
constexpr int kMin = -6, kMax = 46;

using Model = std::function<bool(int, int)>;

void ExpectMatches(const TRegion& region, const Model& model, const char* what) {
    int mismatches = 0;
    for (int y = kMin; y < kMax; ++y)
        for (int x = kMin; x < kMax; ++x)
            if (region.Contains(x, y) != model(x, y) && ++mismatches <= 5)
                ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") should be "
                              << (model(x, y) ? "in" : "out");
    // The form stays normal: bands in order, none empty, spans sorted and apart.
    const auto bands = region.Bands();
    for (std::size_t i = 0; i < bands.size(); ++i) {
        ASSERT_LT(bands[i].Top, bands[i].Bottom) << what;
        if (i > 0) {
            ASSERT_LE(bands[i - 1].Bottom, bands[i].Top) << what;
        }
        const auto spans = region.SpansOf(bands[i]);
        ASSERT_FALSE(spans.empty()) << what;
        for (std::size_t k = 0; k < spans.size(); ++k) {
            ASSERT_LT(spans[k].Left, spans[k].Right) << what;
            if (k > 0) {
                ASSERT_LT(spans[k - 1].Right, spans[k].Left) << what;
            }
        }
    }
}

// Winding number (or crossing parity) at a pixel centre, counting edges at or left of it.
bool InsidePolygon(const std::vector<TPoint>& points, TPolyFillMode mode, int x, int y) {
    const double cx = x + 0.5, cy = y + 0.5;
    int winding = 0, crossings = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const TPoint& p0 = points[i];
        const TPoint& p1 = points[(i + 1) % points.size()];
        if (p0.Y == p1.Y) continue;
        const double lo = std::min(p0.Y, p1.Y), hi = std::max(p0.Y, p1.Y);
        if (cy < lo || cy >= hi) continue;
        const double xi = p0.X + (cy - p0.Y) * (p1.X - p0.X) / static_cast<double>(p1.Y - p0.Y);
        if (xi <= cx) {
            winding += p1.Y > p0.Y ? 1 : -1;
            ++crossings;
        }
    }
    return mode == WINDING ? winding != 0 : crossings % 2 != 0;
}

bool InsideRoundRect(int l, int t, int r, int b, int ew, int eh, int x, int y) {
    if (x < l || x >= r || y < t || y >= b) return false;
    const double a = std::min(ew, r - l) / 2.0, bb = std::min(eh, b - t) / 2.0;
    if (a <= 0 || bb <= 0) return true;
    const double cx = x + 0.5, cy = y + 0.5;
    const double ex = cx < l + a ? l + a : cx > r - a ? r - a : cx;
    const double ey = cy < t + bb ? t + bb : cy > b - bb ? b - bb : cy;
    const double u = (cx - ex) / a, v = (cy - ey) / bb;
    return u * u + v * v <= 1.0 + 1e-12;
}

struct Shape {
    TRegion region;
    Model model;
};

Shape RandomShape(std::mt19937& random) {
    std::uniform_int_distribution<int> coord(-4, 44);
    std::uniform_int_distribution<int> kind(0, 3);
    const int l = coord(random), t = coord(random), r = coord(random), b = coord(random);
    switch (kind(random)) {
        case 0:
            return {CreateRectRgn(l, t, r, b), [=](int x, int y) {
                        return x >= std::min(l, r) && x < std::max(l, r) && y >= std::min(t, b) && y < std::max(t, b);
                    }};
        case 1: {
            const int ew = std::uniform_int_distribution<int>(0, 60)(random);
            const int eh = std::uniform_int_distribution<int>(0, 60)(random);
            const int L = std::min(l, r), R = std::max(l, r), T = std::min(t, b), B = std::max(t, b);
            return {CreateRoundRectRgn(l, t, r, b, ew, eh),
                    [=](int x, int y) { return InsideRoundRect(L, T, R, B, ew, eh, x, y); }};
        }
        default: {
            std::vector<TPoint> points;
            const int count = std::uniform_int_distribution<int>(3, 7)(random);
            for (int i = 0; i < count; ++i) points.push_back({coord(random), coord(random)});
            const TPolyFillMode mode = kind(random) % 2 ? WINDING : ALTERNATE;
            return {CreatePolygonRgn(points, mode), [=](int x, int y) { return InsidePolygon(points, mode, x, y); }};
        }
    }
}

TEST(Region, ShapesFollowThePixelCentreRule) {
    std::mt19937 random(7);
    for (int i = 0; i < 300; ++i) {
        const Shape shape = RandomShape(random);
        ExpectMatches(shape.region, shape.model, "shape");
    }
}

TEST(Region, CombinationsMatchThePerPixelModel) {
    std::mt19937 random(11);
    const std::pair<TCombineMode, std::function<bool(bool, bool)>> modes[] = {
        {RGN_AND, [](bool a, bool b) { return a && b; }},
        {RGN_OR, [](bool a, bool b) { return a || b; }},
        {RGN_XOR, [](bool a, bool b) { return a != b; }},
        {RGN_DIFF, [](bool a, bool b) { return a && !b; }},
        {RGN_COPY, [](bool a, bool) { return a; }},
    };
    for (int i = 0; i < 200; ++i) {
        const Shape a = RandomShape(random), b = RandomShape(random);
        for (const auto& [mode, op] : modes) {
            const Model expected = [&, op = op](int x, int y) { return op(a.model(x, y), b.model(x, y)); };
            TRegion target;
            CombineRgn(target, a.region, b.region, mode);
            ExpectMatches(target, expected, "separate target");
            TRegion first = a.region;  // the target is the first source
            CombineRgn(first, first, b.region, mode);
            ExpectMatches(first, expected, "target = first source");
            TRegion second = b.region;  // the target is the second source
            CombineRgn(second, a.region, second, mode);
            ExpectMatches(second, expected, "target = second source");
            EXPECT_TRUE(target == first && first == second);
        }
        TRegion self = a.region;
        CombineRgn(self, self, self, RGN_XOR);
        EXPECT_TRUE(self.Empty());
    }
}

TEST(Region, ManyUnionsBecomeOneNormalRegion) {
    std::mt19937 random(3);
    std::uniform_int_distribution<int> coord(-4, 44);
    std::vector<TRect> rects;
    TRegion region;
    for (int i = 0; i < 400; ++i) {
        const TRect r{coord(random), coord(random), coord(random), coord(random)};
        rects.push_back(r);
        CombineRgn(region, region, CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom), RGN_OR);
        if (i % 97 == 0) region.Bands();  // reading midway merges what was recorded so far
    }
    ExpectMatches(region, [&](int x, int y) {
        for (const TRect& r : rects)
            if (x >= std::min(r.Left, r.Right) && x < std::max(r.Left, r.Right) && y >= std::min(r.Top, r.Bottom) &&
                y < std::max(r.Top, r.Bottom))
                return true;
        return false;
    }, "400 unions");
    // Neighbouring rectangles merge into one.
    TRegion joined = CreateRectRgn(0, 0, 10, 5);
    CombineRgn(joined, joined, CreateRectRgn(10, 0, 20, 5), RGN_OR);
    CombineRgn(joined, joined, CreateRectRgn(0, 5, 20, 9), RGN_OR);
    EXPECT_EQ(joined.RectCount(), 1u);
    EXPECT_EQ(joined.Bounds(), Rect(0, 0, 20, 9));
}

// United regions usually arrive as runs already ordered by their tops (one per shape, or one
// series of bands added top to bottom); runs of every count and length merge into the same set.
TEST(Region, UnionsOfOrderedRunsMatchThePerPixelModel) {
    std::mt19937 random(5);
    std::uniform_int_distribution<int> coord(-4, 44);
    for (int runs : {1, 2, 3, 7, 40}) {
        std::vector<TRect> rects;
        TRegion region;
        for (int run = 0; run < runs; ++run) {
            // A run of bands from top to bottom, ragged at both ends, sometimes overlapping.
            for (int top = coord(random); top < 44; top += 1 + static_cast<int>(random() % 6)) {
                const TRect r{coord(random), top, coord(random), top + 1 + static_cast<int>(random() % 4)};
                rects.push_back(r);
                CombineRgn(region, region, CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom), RGN_OR);
            }
            if (run == 1) region.Bands();  // a merged part ahead of the runs still pending
        }
        ExpectMatches(region, [&](int x, int y) {
            return std::any_of(rects.begin(), rects.end(), [&](const TRect& r) {
                return x >= std::min(r.Left, r.Right) && x < std::max(r.Left, r.Right) && y >= r.Top && y < r.Bottom;
            });
        }, "ordered runs");
    }
}

TEST(Region, WindingAndEvenOddDifferOnASelfCrossingStar) {
    // A five-pointed star drawn in one stroke: its centre pentagon is wound twice.
    const std::vector<TPoint> star = {{20, 0}, {32, 38}, {0, 14}, {40, 14}, {8, 38}};
    const TRegion winding = CreatePolygonRgn(star, WINDING);
    const TRegion alternate = CreatePolygonRgn(star, ALTERNATE);
    EXPECT_TRUE(winding.Contains(20, 22));
    EXPECT_FALSE(alternate.Contains(20, 22));
    EXPECT_TRUE(winding.Contains(20, 5) && alternate.Contains(20, 5));  // a point of the star
    TRegion difference;
    CombineRgn(difference, winding, alternate, RGN_DIFF);
    EXPECT_EQ(difference.Bounds().Left > 10 && difference.Bounds().Right < 30, true);
    // A triangle closed back to its first point, as transitions pass it.
    const std::vector<TPoint> triangle = {{0, 0}, {10, 0}, {0, 10}, {0, 0}};
    const TRegion t = CreatePolygonRgn(triangle, WINDING);
    EXPECT_TRUE(t.Contains(0, 0));
    EXPECT_TRUE(t.Contains(4, 4));   // centre (4.5, 4.5) lies on the slanted edge's left side
    EXPECT_FALSE(t.Contains(5, 4));
    EXPECT_FALSE(t.Contains(9, 9));
}

TEST(Region, RoundRectWithAnEllipseLargerThanItselfIsAnEllipse) {
    const TRegion limited = CreateRoundRectRgn(0, 0, 20, 10, 500, 300);
    const TRegion ellipse = CreateRoundRectRgn(0, 0, 20, 10, 20, 10);
    EXPECT_TRUE(limited == ellipse);
    EXPECT_FALSE(ellipse.Contains(0, 0));
    EXPECT_TRUE(ellipse.Contains(10, 5));
    EXPECT_TRUE(ellipse.Contains(0, 5));
    EXPECT_EQ(ellipse.Bounds(), Rect(0, 0, 20, 10));
    EXPECT_TRUE(CreateRoundRectRgn(0, 0, 20, 10, 0, 0) == CreateRectRgn(0, 0, 20, 10));
}

TEST(Region, DegenerateShapesAreEmpty) {
    EXPECT_TRUE(CreateRectRgn(5, 5, 5, 20).Empty());
    EXPECT_TRUE(CreateRectRgn(5, 5, 20, 5).Empty());
    EXPECT_TRUE(CreateRoundRectRgn(3, 3, 3, 9, 4, 4).Empty());
    const std::vector<TPoint> line = {{0, 0}, {10, 10}, {20, 20}};
    EXPECT_TRUE(CreatePolygonRgn(line, WINDING).Empty());
    const std::vector<TPoint> two = {{0, 0}, {10, 10}};
    EXPECT_TRUE(CreatePolygonRgn(two, WINDING).Empty());
    EXPECT_TRUE(CreatePolygonRgn({}, ALTERNATE).Empty());
    EXPECT_EQ(TRegion().Bounds(), TRect{});
    // Swapped edges are put in order.
    EXPECT_TRUE(CreateRectRgn(10, 8, 2, 1) == CreateRectRgn(2, 1, 10, 8));
    TRegion empty;
    CombineRgn(empty, empty, TRegion(), RGN_OR);
    EXPECT_TRUE(empty.Empty());
}

TEST(Rect, HelpersKeepRightAndBottomExclusive) {
    TRect r;
    SetRect(r, 1, 2, 5, 6);
    OffsetRect(r, -1, 3);
    EXPECT_EQ(r, Rect(0, 5, 4, 9));
    TRect common;
    EXPECT_TRUE(IntersectRect(common, r, Rect(3, 0, 10, 6)));
    EXPECT_EQ(common, Rect(3, 5, 4, 6));
    EXPECT_FALSE(IntersectRect(common, r, Rect(4, 0, 10, 20)));  // touching is not overlapping
    EXPECT_EQ(common, TRect{});
}

}  // namespace
}  // namespace pellumo
