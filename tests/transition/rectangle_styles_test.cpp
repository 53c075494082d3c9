#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "raster/bitmap.h"
#include "transition/frame_quantities.h"
#include "transition/render_frame.h"
#include "transition/style_rules.h"

namespace pellumo {
namespace {

// --- Pictures whose pixels say where they came from -------------------------------------------

constexpr int kOldTag = 0x40;
constexpr int kNewTag = 0x80;

// Blue and green hold x and y modulo 256, red the tag of the picture and their high bits.
TBitmap CoordinatePicture(int width, int height, int tag) {
    TBitmap bitmap;
    bitmap.SetSize(width, height);  // device format, 32 bits
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = row + x * 4;
            p[0] = static_cast<std::uint8_t>(x & 0xFF);
            p[1] = static_cast<std::uint8_t>(y & 0xFF);
            p[2] = static_cast<std::uint8_t>(tag | (x >> 8) << 3 | (y >> 8));
            p[3] = 0;
        }
    }
    return bitmap;
}

// Which picture, and which of its pixels, a screen pixel shows.
struct TShown {
    int Tag = 0;
    int X = 0;
    int Y = 0;
    friend bool operator==(const TShown&, const TShown&) = default;
};

std::ostream& operator<<(std::ostream& out, const TShown& shown) {
    const char* name = shown.Tag == kNewTag ? "new" : shown.Tag == kOldTag ? "old" : "?";
    return out << name << '(' << shown.X << ',' << shown.Y << ')';
}

std::ostream& operator<<(std::ostream& out, const TRect& r) {
    return out << '(' << r.Left << ',' << r.Top << ',' << r.Right << ',' << r.Bottom << ')';
}

TShown ShownAt(const TBitmap& screen, int x, int y) {
    const std::uint8_t* p = screen.ScanLine(y) + x * 4;
    return {p[2] & 0xC0, p[0] | ((p[2] >> 3) & 7) << 8, p[1] | (p[2] & 7) << 8};
}

// The old display, the new picture and the screen of one size, composed a frame at a time.
class TStage {
public:
    TStage(int width, int height)
        : picture_(CoordinatePicture(width, height, kNewTag)),
          old_(CoordinatePicture(width, height, kOldTag)),
          screen_(CoordinatePicture(width, height, 0)) {}

    // Composes the frame and gives the rectangles it invalidated, in order.
    std::vector<TRect> Render(int style, int progress) {
        std::vector<TRect> invalidated;
        TFrame frame{picture_, old_, screen_, static_cast<TShowStyle>(style), 4, progress, {}, {}, {}, {}};
        frame.InvalidateScreenRect = [&invalidated](const TRect& r) { invalidated.push_back(r); };
        RenderFrame(frame);
        return invalidated;
    }

    TBitmap& Screen() { return screen_; }
    TShown At(int x, int y) const { return ShownAt(screen_, x, y); }
    int Width() const { return screen_.Width(); }
    int Height() const { return screen_.Height(); }

private:
    TBitmap picture_, old_, screen_;
};

// --- What a frame should look like --------------------------------------------------------

// One copy of the new picture: S onto D, stretched when their sizes differ, mirrored on request.
struct TExpectedPiece {
    TRect D;
    TRect S;
    bool MirrorX = false;
    bool MirrorY = false;
};

// The pieces in drawing order, the final copy last.
using TLayout = std::vector<TExpectedPiece>;

bool Contains(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }

// Checks one axis of a screen pixel's source: exact for an unstretched axis; for a stretched one
// within a pixel of the proportional position and inside the source interval, which catches a
// wrong or swapped source edge but not the stretch's own rounding.
bool SourceFits(int actual, int target, int dFrom, int dTo, int sFrom, int sTo, bool mirror) {
    const double offset = mirror ? dTo - target - 0.5 : target - dFrom + 0.5;
    const double position = sFrom + offset * (sTo - sFrom) / (dTo - dFrom);
    if (dTo - dFrom == sTo - sFrom) return actual == static_cast<int>(std::floor(position));
    return actual >= sFrom && actual < sTo && std::abs(actual + 0.5 - position) <= 1.5;
}

// Empty when every screen pixel shows what the layout says (the old display where no piece
// lies), otherwise the first pixels that differ.
std::string FrameMismatches(const TStage& stage, const TLayout& layout) {
    std::ostringstream out;
    int count = 0;
    for (int y = 0; y < stage.Height(); ++y) {
        for (int x = 0; x < stage.Width(); ++x) {
            const TShown shown = stage.At(x, y);
            const TExpectedPiece* last = nullptr;
            for (const TExpectedPiece& piece : layout)
                if (Contains(piece.D, x, y) && !IsRectEmpty(piece.S)) last = &piece;
            bool fits;
            if (last == nullptr) {
                fits = shown == TShown{kOldTag, x, y};
            } else {
                const TRect& d = last->D;
                const TRect& s = last->S;
                fits = shown.Tag == kNewTag && SourceFits(shown.X, x, d.Left, d.Right, s.Left, s.Right, last->MirrorX) &&
                       SourceFits(shown.Y, y, d.Top, d.Bottom, s.Top, s.Bottom, last->MirrorY);
            }
            if (!fits && count++ < 5) {
                out << " at (" << x << ',' << y << ") shows " << shown;
                if (last) out << ", piece D " << last->D << " S " << last->S;
            }
        }
    }
    if (count > 5) out << " and " << count - 5 << " more";
    return out.str();
}

std::vector<TRect> Destinations(const TLayout& layout) {
    std::vector<TRect> rects;
    for (const TExpectedPiece& piece : layout) rects.push_back(piece.D);
    return rects;
}

// --- Every style's layout, written out from its rule --------------------------------------

using Q = const TFrameQuantities&;

TLayout Whole(Q q, TRect d) { return {{d, Rect(0, 0, q.W, q.H)}}; }
TLayout Same(TRect d) { return {{d, d}}; }
TLayout Stretch(TRect d, TRect s) { return {{d, s}}; }

int Roll(int x, int side) {
    if (x < side / 5) return x / 2;
    if (side < side / 5 + x) return (side - x) / 2;
    return side / 10;
}

TLayout Unroll(TRect roll, TRect beyond, bool vertical, TRect revealed) {
    return {{roll, beyond, !vertical, vertical}, {revealed, revealed}};
}

struct TStyleLayout {
    int Style;
    TLayout (*Of)(Q);
};

const TStyleLayout kLayouts[] = {
    {1, [](Q q) { return Whole(q, Rect(q.W - q.n, 0, q.W, q.H)); }},
    {2, [](Q q) { return Whole(q, Rect(0, 0, q.n, q.H)); }},
    {3, [](Q q) { return Whole(q, Rect(q.W - q.n, 0, 2 * q.W - q.n, q.H)); }},
    {4, [](Q q) { return Whole(q, Rect(q.n - q.W, 0, q.n, q.H)); }},
    {5, [](Q q) { return Same(Rect(0, 0, q.n, q.H)); }},
    {6, [](Q q) { return Same(Rect(q.W - q.n, 0, q.W, q.H)); }},
    {7, [](Q q) { return Stretch(Rect(0, 0, 2 * q.W - q.n, q.H), Rect(0, 0, q.n, q.H)); }},
    {8, [](Q q) { return Stretch(Rect(q.n - q.W, 0, q.W, q.H), Rect(q.W - q.n, 0, q.W, q.H)); }},
    {9, [](Q q) {
         return Stretch(Rect(q.n - q.W, 0, 2 * q.W - q.n, q.H), Rect((q.W - q.n) / 2, 0, (q.n + q.W) / 2, q.H));
     }},
    {10, [](Q q) { return Whole(q, Rect((q.W - q.n) / 2, 0, (q.n + q.W) / 2, q.H)); }},
    {11, [](Q q) { return Same(Rect((q.W - q.n) / 2, 0, (q.n + q.W) / 2, q.H)); }},
    {12, [](Q q) {
         const TRect left = Rect(0, 0, q.n / 2 + 1, q.H), right = Rect(q.W - q.n / 2 - 1, 0, q.W, q.H);
         return TLayout{{left, left}, {right, right}};
     }},
    {13, [](Q q) {
         return TLayout{{Rect(0, 0, q.n / 2 + 1, q.H), Rect(0, 0, q.W / 2 + 1, q.H)},
                        {Rect(q.W - q.n / 2 - 1, 0, q.W, q.H), Rect(q.W / 2, 0, q.W, q.H)}};
     }},
    {14, [](Q q) {
         const int n = q.n, e = Roll(q.n, q.W);
         return Unroll(Rect(n, 0, n + e, q.H), Rect(n + e, 0, n + 2 * e, q.H), false, Rect(0, 0, n, q.H));
     }},
    {15, [](Q q) {
         const int k = q.W - q.n, e = Roll(q.n, q.W);
         return Unroll(Rect(k - e, 0, k, q.H), Rect(k - 2 * e, 0, k - e, q.H), false, Rect(k, 0, q.W, q.H));
     }},
    {16, [](Q q) {
         const TRect revealed = Rect(0, 0, q.n, q.H);
         return TLayout{{revealed, revealed},
                        {Rect(q.n, 0, q.W, q.H), Rect(q.n, 0, std::min(q.W, q.n + q.W / 20), q.H)}};
     }},
    {17, [](Q q) {
         const TRect revealed = Rect(q.W - q.n, 0, q.W, q.H);
         return TLayout{{revealed, revealed},
                        {Rect(0, 0, q.W - q.n, q.H), Rect(std::max(0, q.W - q.n - q.W / 20), 0, q.W - q.n, q.H)}};
     }},
    {18, [](Q q) { return Whole(q, Rect(0, q.H - q.v, q.W, q.H)); }},
    {19, [](Q q) { return Whole(q, Rect(0, 0, q.W, q.v)); }},
    {20, [](Q q) { return Whole(q, Rect(0, q.H - q.v, q.W, 2 * q.H - q.v)); }},
    {21, [](Q q) { return Whole(q, Rect(0, q.v - q.H, q.W, q.v)); }},
    {22, [](Q q) { return Same(Rect(0, 0, q.W, q.v)); }},
    {23, [](Q q) { return Same(Rect(0, q.H - q.v, q.W, q.H)); }},
    {24, [](Q q) { return Stretch(Rect(0, 0, q.W, 2 * q.H - q.v), Rect(0, 0, q.W, q.v)); }},
    {25, [](Q q) { return Stretch(Rect(0, q.v - q.H, q.W, q.H), Rect(0, q.H - q.v, q.W, q.H)); }},
    {26, [](Q q) {
         return Stretch(Rect(0, q.v - q.H, q.W, 2 * q.H - q.v), Rect(0, (q.H - q.v) / 2, q.W, (q.H + q.v) / 2));
     }},
    {27, [](Q q) { return Whole(q, Rect(0, (q.H - q.v) / 2, q.W, (q.H + q.v) / 2)); }},
    {28, [](Q q) { return Same(Rect(0, (q.H - q.v) / 2, q.W, (q.H + q.v) / 2)); }},
    {29, [](Q q) {
         const TRect top = Rect(0, 0, q.W, q.v / 2 + 1), bottom = Rect(0, q.H - q.v / 2 - 1, q.W, q.H);
         return TLayout{{top, top}, {bottom, bottom}};
     }},
    {30, [](Q q) {
         return TLayout{{Rect(0, 0, q.W, q.v / 2 + 1), Rect(0, 0, q.W, q.H / 2 + 1)},
                        {Rect(0, q.H - q.v / 2 - 1, q.W, q.H), Rect(0, q.H / 2, q.W, q.H)}};
     }},
    {31, [](Q q) {
         const int v = q.v, e = Roll(q.v, q.H);
         return Unroll(Rect(0, v, q.W, v + e), Rect(0, v + e, q.W, v + 2 * e), true, Rect(0, 0, q.W, v));
     }},
    {32, [](Q q) {
         const int l = q.H - q.v, e = Roll(q.v, q.H);
         return Unroll(Rect(0, l - e, q.W, l), Rect(0, l - 2 * e, q.W, l - e), true, Rect(0, l, q.W, q.H));
     }},
    {33, [](Q q) {
         const TRect revealed = Rect(0, 0, q.W, q.v);
         return TLayout{{revealed, revealed},
                        {Rect(0, q.v, q.W, q.H), Rect(0, q.v, q.W, std::min(q.H, q.v + q.H / 20))}};
     }},
    {34, [](Q q) {
         const TRect revealed = Rect(0, q.H - q.v, q.W, q.H);
         return TLayout{{revealed, revealed},
                        {Rect(0, 0, q.W, q.H - q.v), Rect(0, std::max(0, q.H - q.v - q.H / 20), q.W, q.H - q.v)}};
     }},
    {35, [](Q q) { return Whole(q, Rect(q.W - q.n, q.H - q.v, q.W, q.H)); }},
    {36, [](Q q) { return Whole(q, Rect(q.W - q.n, 0, q.W, q.v)); }},
    {37, [](Q q) { return Whole(q, Rect(0, 0, q.n, q.v)); }},
    {38, [](Q q) { return Whole(q, Rect(0, q.H - q.v, q.n, q.H)); }},
    {39, [](Q q) { return Whole(q, Rect(q.W - q.n, q.H - q.v, 2 * q.W - q.n, 2 * q.H - q.v)); }},
    {40, [](Q q) { return Whole(q, Rect(q.W - q.n, q.v - q.H, 2 * q.W - q.n, q.v)); }},
    {41, [](Q q) { return Whole(q, Rect(q.n - q.W, q.v - q.H, q.n, q.v)); }},
    {42, [](Q q) { return Whole(q, Rect(q.n - q.W, q.H - q.v, q.n, 2 * q.H - q.v)); }},
    {43, [](Q q) { return Same(Rect(0, 0, q.n, q.v)); }},
    {44, [](Q q) { return Same(Rect(0, q.H - q.v, q.n, q.H)); }},
    {45, [](Q q) { return Same(Rect(q.W - q.n, q.H - q.v, q.W, q.H)); }},
    {46, [](Q q) { return Same(Rect(q.W - q.n, 0, q.W, q.v)); }},
    {47, [](Q q) { return Stretch(Rect(0, 0, 2 * q.W - q.n, 2 * q.H - q.v), Rect(0, 0, q.n, q.v)); }},
    {48, [](Q q) { return Stretch(Rect(0, q.v - q.H, 2 * q.W - q.n, q.H), Rect(0, q.H - q.v, q.n, q.H)); }},
    {49, [](Q q) { return Stretch(Rect(q.n - q.W, q.v - q.H, q.W, q.H), Rect(q.W - q.n, q.H - q.v, q.W, q.H)); }},
    {50, [](Q q) { return Stretch(Rect(q.n - q.W, 0, q.W, 2 * q.H - q.v), Rect(q.W - q.n, 0, q.W, q.v)); }},
    {51, [](Q q) {
         return Stretch(Rect(q.n - q.W, q.v - q.H, 2 * q.W - q.n, 2 * q.H - q.v),
                        Rect((q.W - q.n) / 2, (q.H - q.v) / 2, (q.n + q.W) / 2, (q.H + q.v) / 2));
     }},
    {52, [](Q q) { return Whole(q, Rect((q.W - q.n) / 2, (q.H - q.v) / 2, (q.n + q.W) / 2, (q.H + q.v) / 2)); }},
    {53, [](Q q) { return Same(Rect((q.W - q.n) / 2, (q.H - q.v) / 2, (q.n + q.W) / 2, (q.H + q.v) / 2)); }},
    {54, [](Q q) {
         TLayout layout;
         for (TRect r : {Rect(0, 0, q.W, q.v / 2), Rect(0, q.H - q.v / 2, q.W, q.H), Rect(0, 0, q.n / 2, q.H),
                         Rect(q.W - q.n / 2, 0, q.W, q.H)})
             layout.push_back({r, r});
         return layout;
     }},
    {55, [](Q q) {
         const int qw = q.n / 2 + 1, qh = q.v / 2 + 1;
         TLayout layout;
         for (TRect r : {Rect(0, 0, qw, qh), Rect(0, q.H - qh, qw, q.H), Rect(q.W - qw, q.H - qh, q.W, q.H),
                         Rect(q.W - qw, 0, q.W, qh)})
             layout.push_back({r, r});
         return layout;
     }},
    {56, [](Q q) {
         const int qw = q.n / 2 + 1, qh = q.v / 2 + 1, hw = q.W / 2 + 1, hh = q.H / 2 + 1;
         return TLayout{{Rect(0, 0, qw, qh), Rect(0, 0, hw, hh)},
                        {Rect(0, q.H - q.v / 2, qw, q.H), Rect(0, hh, hw, q.H)},
                        {Rect(q.W - q.n / 2, q.H - q.v / 2, q.W, q.H), Rect(hw, hh, q.W, q.H)},
                        {Rect(q.W - q.n / 2, 0, q.W, qh), Rect(hw, 0, q.W, hh)}};
     }},
    {57, [](Q q) {
         const int qw = q.n / 2 + 1, qh = q.v / 2 + 1, hw = q.W / 2 + 1, hh = q.H / 2 + 1;
         return TLayout{{Rect((q.n - q.W) / 2, 0, qw, hh), Rect(0, 0, hw, hh)},
                        {Rect(q.W / 2 - 1, (q.v - q.H) / 2, q.W, qh), Rect(q.W / 2 - 1, 0, q.W, hh)},
                        {Rect(q.W - q.n / 2, q.H / 2 - 1, q.W + (q.W - q.n) / 2, q.H), Rect(hw, q.H / 2 - 1, q.W, q.H)},
                        {Rect(0, q.H - q.v / 2, hw, q.H + (q.H - q.v) / 2), Rect(0, hh, hw, q.H)}};
     }},
};

// --- Every style against its layout -------------------------------------------------------

TEST(RectangleStyles, EveryStyleHasALayoutToCheck) {
    ASSERT_EQ(std::size(kLayouts), 57u);
    for (int i = 0; i < 57; ++i) EXPECT_EQ(kLayouts[i].Style, i + 1);
}

TEST(RectangleStyles, EveryFrameShowsTheStylesPiecesAndInvalidatesThem) {
    // Odd sizes exercise the halvings; the portrait picture takes its pace from the height.
    for (const auto& [width, height] : {std::pair{61, 47}, std::pair{37, 53}, std::pair{40, 30}}) {
        TStage stage(width, height);
        for (const TStyleLayout& row : kLayouts) {
            for (int progress : {1, 9, 26, 50, 73, 95, 99}) {
                const TFrameQuantities q = ComputeFrameQuantities(width, height, progress, 4);
                const TLayout layout = row.Of(q);
                const std::vector<TRect> invalidated = stage.Render(row.Style, progress);
                SCOPED_TRACE("style " + std::to_string(row.Style) + ", " + std::to_string(width) + "x" +
                             std::to_string(height) + ", p " + std::to_string(progress) + ", n " +
                             std::to_string(q.n) + ", v " + std::to_string(q.v));
                EXPECT_EQ(invalidated, Destinations(layout));
                EXPECT_EQ(FrameMismatches(stage, layout), "");
            }
        }
    }
}

TEST(RectangleStyles, TheEndsShowOnlyTheOldOrOnlyTheNewPicture) {
    TStage stage(23, 17);
    for (int style = 1; style <= 57; ++style) {
        for (int progress : {0, 100}) {
            SCOPED_TRACE("style " + std::to_string(style) + ", p " + std::to_string(progress));
            EXPECT_EQ(stage.Render(style, progress), std::vector<TRect>{Rect(0, 0, 23, 17)});
            const TRect whole = Rect(0, 0, 23, 17);
            EXPECT_EQ(FrameMismatches(stage, progress == 100 ? Same(whole) : TLayout{}), "");
        }
    }
}

// --- The worked examples: a 400 x 300 picture --------------------------------------------

TEST(RectangleStyles, QuarterWayThroughA400By300Picture) {
    TStage stage(400, 300);
    const auto check = [&](int style, std::vector<TRect> invalidated, auto expected) {
        SCOPED_TRACE("style " + std::to_string(style));
        EXPECT_EQ(stage.Render(style, 25), invalidated);
        int wrong = 0;
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x) wrong += !expected(x, y, stage.At(x, y));
        EXPECT_EQ(wrong, 0);
    };
    const auto old = [](int x, int y) { return TShown{kOldTag, x, y}; };
    const auto fresh = [](int x, int y) { return TShown{kNewTag, x, y}; };

    // The whole picture at (300, 0, 700, 300), its left quarter visible.
    check(3, {Rect(300, 0, 700, 300)},
          [&](int x, int y, TShown s) { return s == (x < 300 ? old(x, y) : fresh(x - 300, y)); });
    // The left 100 columns stretched over 700: seven screen columns to each.
    check(7, {Rect(0, 0, 700, 300)}, [&](int x, int y, TShown s) {
        return s.Tag == kNewTag && s.Y == y && s.X >= 0 && s.X < 100 && std::abs(s.X + 0.5 - (x + 0.5) / 7) <= 1;
    });
    // Columns 0..50 and 349..399 in place.
    check(12, {Rect(0, 0, 51, 300), Rect(349, 0, 400, 300)},
          [&](int x, int y, TShown s) { return s == (x <= 50 || x >= 349 ? fresh(x, y) : old(x, y)); });
    // Columns 0..99 in place; the roll 100..139 shows columns 179..140, column 140 nearest.
    check(14, {Rect(100, 0, 140, 300), Rect(0, 0, 100, 300)}, [&](int x, int y, TShown s) {
        if (x < 100) return s == fresh(x, y);
        if (x < 140) return s == fresh(279 - x, y);
        return s == old(x, y);
    });
}

TEST(RectangleStyles, TheRollIsShallowAtBothEndsOfTheUnroll) {
    struct Case {
        int progress, n, depth;
    };
    TStage stage(400, 300);
    for (const Case c : {Case{10, 40, 20}, Case{25, 100, 40}, Case{90, 360, 20}}) {
        SCOPED_TRACE("p " + std::to_string(c.progress));
        ASSERT_EQ(ComputeFrameQuantities(400, 300, c.progress, 4).n, c.n);
        const std::vector<TRect> invalidated = stage.Render(14, c.progress);
        ASSERT_EQ(invalidated.size(), 2u);
        EXPECT_EQ(invalidated[0], Rect(c.n, 0, c.n + c.depth, 300));
        // The roll folds the picture back about its leading edge.
        EXPECT_EQ(stage.At(c.n, 7), (TShown{kNewTag, c.n + 2 * c.depth - 1, 7}));
        EXPECT_EQ(stage.At(c.n + c.depth - 1, 7), (TShown{kNewTag, c.n + c.depth, 7}));
        EXPECT_EQ(stage.At(c.n + c.depth, 7), (TShown{kOldTag, c.n + c.depth, 7}));
    }
}

TEST(RectangleStyles, StylesThirtyThreeAndThirtyFourBuildUpDownwardsAndUpwards) {
    // Whatever their names, these are 16 and 17 turned on their side: v = 75 rows revealed and
    // a strip of H div 20 = 15 rows beyond them stretched over the rest.
    TStage stage(400, 300);
    EXPECT_EQ(stage.Render(33, 25), (std::vector<TRect>{Rect(0, 0, 400, 75), Rect(0, 75, 400, 300)}));
    EXPECT_EQ(stage.At(9, 74), (TShown{kNewTag, 9, 74}));
    for (int y = 75; y < 300; ++y) {
        const TShown s = stage.At(9, y);
        EXPECT_TRUE(s.Tag == kNewTag && s.X == 9 && s.Y >= 75 && s.Y < 90) << y << ": " << s;
    }
    EXPECT_EQ(stage.Render(34, 25), (std::vector<TRect>{Rect(0, 225, 400, 300), Rect(0, 0, 400, 225)}));
    EXPECT_EQ(stage.At(9, 225), (TShown{kNewTag, 9, 225}));
    for (int y = 0; y < 225; ++y) {
        const TShown s = stage.At(9, y);
        EXPECT_TRUE(s.Tag == kNewTag && s.X == 9 && s.Y >= 210 && s.Y < 225) << y << ": " << s;
    }
}

TEST(RectangleStyles, TheBuildUpStripNeverReachesPastThePicture) {
    // At p = 98 only 8 columns (6 rows) are left, less than the strip's 20 (15): the strip is
    // then what is left, so the whole frame shows the new picture in place.
    TStage stage(400, 300);
    for (int style : {16, 17, 33, 34}) {
        SCOPED_TRACE("style " + std::to_string(style));
        stage.Render(style, 98);
        EXPECT_EQ(FrameMismatches(stage, Same(Rect(0, 0, 400, 300))), "");
    }
}

// --- The rule on its own -----------------------------------------------------------------

class TRecordingPieces : public TPieceDrawer {
public:
    void CopyPiece(const TRect& d, const TRect&) override { drawn.push_back(d); }
    void MirroredPiece(const TRect& d, const TRect&, bool, bool) override { drawn.push_back(d); }
    std::vector<TRect> drawn;
};

TEST(RectangleStyles, OtherStylesLeaveTheRectanglesAlone) {
    const TFrameQuantities q = ComputeFrameQuantities(400, 300, 50, 4);
    for (int style : {0, 58, 117, 118, 127, 200, 255}) {
        TRect d = Rect(1, 2, 3, 4), s = Rect(5, 6, 7, 8);
        TRecordingPieces pieces;
        ApplyRectangleRule(static_cast<TShowStyle>(style), q, d, s, pieces);
        EXPECT_EQ(d, Rect(1, 2, 3, 4)) << style;
        EXPECT_EQ(s, Rect(5, 6, 7, 8)) << style;
        EXPECT_TRUE(pieces.drawn.empty()) << style;
    }
}

// --- DrawMirrored ------------------------------------------------------------------------

TEST(DrawMirrored, FillsExactlyTheTargetWithTheSourceTurnedAround) {
    struct Case {
        const char* what;
        TRect d, s;
        bool leftRight, topBottom;
        TLayout expected;
    };
    const Case cases[] = {
        {"left-right", Rect(2, 1, 5, 4), Rect(5, 1, 8, 4), true, false, {{Rect(2, 1, 5, 4), Rect(5, 1, 8, 4), true}}},
        {"top-bottom", Rect(0, 1, 10, 3), Rect(0, 3, 10, 5), false, true,
         {{Rect(0, 1, 10, 3), Rect(0, 3, 10, 5), false, true}}},
        {"both", Rect(3, 2, 6, 5), Rect(0, 0, 3, 3), true, true, {{Rect(3, 2, 6, 5), Rect(0, 0, 3, 3), true, true}}},
        {"neither", Rect(3, 2, 6, 5), Rect(0, 0, 3, 3), false, false, {{Rect(3, 2, 6, 5), Rect(0, 0, 3, 3)}}},
        // The source is cut to the picture, the target is not: two columns stretch over four.
        {"cut source", Rect(2, 0, 6, 6), Rect(8, 0, 12, 6), true, false, {{Rect(2, 0, 6, 6), Rect(8, 0, 10, 6), true}}},
        {"source outside", Rect(2, 0, 6, 6), Rect(10, 0, 14, 6), true, false, {}},
        {"empty target", Rect(4, 0, 4, 6), Rect(0, 0, 3, 6), true, false, {}},
        {"target partly outside", Rect(-2, 4, 3, 8), Rect(0, 0, 5, 4), true, true,
         {{Rect(-2, 4, 3, 8), Rect(0, 0, 5, 4), true, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TBitmap source = CoordinatePicture(10, 6, kNewTag);
        TStage stage(10, 6);
        stage.Render(1, 0);  // the old display
        DrawMirrored(stage.Screen(), c.d, source, c.s, c.leftRight, c.topBottom);
        EXPECT_EQ(FrameMismatches(stage, c.expected), "");
    }
}

}  // namespace
}  // namespace pellumo
