// Styles 1 to 57: wipes made of rectangles.
#include "transition/style_rules.h"

#include <algorithm>
#include <cstdint>

namespace pellumo {
namespace {

// --- Styles that only set the final copy ------------------------------------------------------

// Where a rectangle lies along one axis, for the extent x of a side X. "Near" is the left or top
// edge, "far" the right or bottom one.
enum class TSpan : std::uint8_t {
    All,        // (0, X)
    Near,       // (0, x): grows from the near edge
    Far,        // (X - x, X): grows from the far edge
    SlideNear,  // (x - X, x): the whole side moving in across the near edge
    SlideFar,   // (X - x, 2X - x): the whole side moving in across the far edge
    PastNear,   // (x - X, X): stretched out beyond the near edge
    PastFar,    // (0, 2X - x): stretched out beyond the far edge
    PastBoth,   // (x - X, 2X - x)
    Middle,     // ((X - x) div 2, (x + X) div 2): grows from the middle line
    Same,       // sources only: the destination's span, an unstretched copy in place
};

struct TInterval {
    int From = 0;
    int To = 0;
};

TInterval SpanOf(TSpan span, int x, int side) {
    switch (span) {
        case TSpan::All: return {0, side};
        case TSpan::Near: return {0, x};
        case TSpan::Far: return {side - x, side};
        case TSpan::SlideNear: return {x - side, x};
        case TSpan::SlideFar: return {side - x, 2 * side - x};
        case TSpan::PastNear: return {x - side, side};
        case TSpan::PastFar: return {0, 2 * side - x};
        case TSpan::PastBoth: return {x - side, 2 * side - x};
        case TSpan::Middle: return {(side - x) / 2, (x + side) / 2};
        case TSpan::Same: break;  // the caller takes the destination's span instead
    }
    return {0, side};
}

// D's spans across and down, then S's; a whole source is All, All.
struct TSingleRule {
    TShowStyle Style;
    TSpan DX, DY, SX, SY;
};

using enum TSpan;

constexpr TSingleRule kSingleRules[] = {
    {1, Far, All, All, All},                  // expand from right
    {2, Near, All, All, All},                 // expand from left
    {3, SlideFar, All, All, All},             // slide in from right
    {4, SlideNear, All, All, All},            // slide in from left
    {5, Near, All, Same, Same},               // reveal from left
    {6, Far, All, Same, Same},                // reveal from right
    {7, PastFar, All, Near, All},             // expand in from right
    {8, PastNear, All, Far, All},             // expand in from left
    {9, PastBoth, All, Middle, All},          // expand in to middle
    {10, Middle, All, All, All},              // expand out from middle
    {11, Middle, All, Same, Same},            // reveal out from middle
    {18, All, Far, All, All},                 // expand from bottom
    {19, All, Near, All, All},                // expand from top
    {20, All, SlideFar, All, All},            // slide in from bottom
    {21, All, SlideNear, All, All},           // slide in from top
    {22, All, Near, Same, Same},              // reveal from top
    {23, All, Far, Same, Same},               // reveal from bottom
    {24, All, PastFar, All, Near},            // expand in from bottom
    {25, All, PastNear, All, Far},            // expand in from top
    {26, All, PastBoth, All, Middle},         // expand in to middle (horiz)
    {27, All, Middle, All, All},              // expand out from middle (horiz)
    {28, All, Middle, Same, Same},            // reveal from middle (horiz)
    {35, Far, Far, All, All},                 // expand from bottom right
    {36, Far, Near, All, All},                // expand from top right
    {37, Near, Near, All, All},               // expand from top left
    {38, Near, Far, All, All},                // expand from bottom left
    {39, SlideFar, SlideFar, All, All},       // slide in from bottom right
    {40, SlideFar, SlideNear, All, All},      // slide in from top right
    {41, SlideNear, SlideNear, All, All},     // slide in from top left
    {42, SlideNear, SlideFar, All, All},      // slide in from bottom left
    {43, Near, Near, Same, Same},             // reveal from top left
    {44, Near, Far, Same, Same},              // reveal from bottom left
    {45, Far, Far, Same, Same},               // reveal from bottom right
    {46, Far, Near, Same, Same},              // reveal from top right
    {47, PastFar, PastFar, Near, Near},       // appear and contract to top left
    {48, PastFar, PastNear, Near, Far},       // ... to bottom left
    {49, PastNear, PastNear, Far, Far},       // ... to bottom right
    {50, PastNear, PastFar, Far, Near},       // ... to top right
    {51, PastBoth, PastBoth, Middle, Middle}, // ... to middle
    {52, Middle, Middle, All, All},           // expand out from centre
    {53, Middle, Middle, Same, Same},         // reveal out from centre
};

const TSingleRule* FindSingleRule(TShowStyle style) {
    for (const TSingleRule& rule : kSingleRules)
        if (rule.Style == style) return &rule;
    return nullptr;
}

TRect Place(TSpan across, TSpan down, const TFrameQuantities& q) {
    const TInterval x = SpanOf(across, q.n, q.W);
    const TInterval y = SpanOf(down, q.v, q.H);
    return {x.From, y.From, x.To, y.To};
}

void ApplySingleRule(const TSingleRule& rule, const TFrameQuantities& q, TRect& d, TRect& s) {
    d = Place(rule.DX, rule.DY, q);
    if (rule.SX == Same) {
        s = d;
    } else {
        s = Place(rule.SX, rule.SY, q);
    }
}

// --- Styles that move along one axis and span the other: pieces first ------------------------

enum class TBandKind : std::uint8_t {
    RevealFromSides,  // a reveal from each end of the axis
    ExpandFromSides,  // each half of the picture squeezed into a growing end strip
    BuildUpFromNear,  // revealed from the near edge, a stretched strip over the rest
    BuildUpFromFar,
    UnrollFromNear,   // revealed from the near edge, a mirrored roll ahead of it
    UnrollFromFar,
};

struct TBandRule {
    TShowStyle Style;
    TBandKind Kind;
    bool Vertical;
};

constexpr TBandRule kBandRules[] = {
    {12, TBandKind::RevealFromSides, false}, {29, TBandKind::RevealFromSides, true},
    {13, TBandKind::ExpandFromSides, false}, {30, TBandKind::ExpandFromSides, true},
    {16, TBandKind::BuildUpFromNear, false}, {33, TBandKind::BuildUpFromNear, true},
    {17, TBandKind::BuildUpFromFar, false},  {34, TBandKind::BuildUpFromFar, true},
    {14, TBandKind::UnrollFromNear, false},  {31, TBandKind::UnrollFromNear, true},
    {15, TBandKind::UnrollFromFar, false},   {32, TBandKind::UnrollFromFar, true},
};

const TBandRule* FindBandRule(TShowStyle style) {
    for (const TBandRule& rule : kBandRules)
        if (rule.Style == style) return &rule;
    return nullptr;
}

// The depth of the roll: it grows to a tenth of the side, then shrinks again as the revealed
// part reaches the far edge.
int RollDepth(int x, int side) {
    if (x < side / 5) return x / 2;
    if (side < side / 5 + x) return (side - x) / 2;
    return side / 10;
}

// The picture's axis of motion: positions along it become full-width or full-height bands.
class TAxis {
public:
    TAxis(const TFrameQuantities& q, bool vertical) : q_(q), vertical_(vertical) {}

    int Extent() const { return vertical_ ? q_.v : q_.n; }
    int Side() const { return vertical_ ? q_.H : q_.W; }
    TRect Band(int from, int to) const { return vertical_ ? TRect{0, from, q_.W, to} : TRect{from, 0, to, q_.H}; }
    // A band cut to the picture, for sources that would otherwise reach past it.
    TRect BandInside(int from, int to) const { return Band(std::max(from, 0), std::min(to, Side())); }

private:
    const TFrameQuantities& q_;
    bool vertical_;
};

void ApplyBandRule(const TBandRule& rule, const TFrameQuantities& q, TRect& d, TRect& s, TPieceDrawer& pieces) {
    const TAxis axis(q, rule.Vertical);
    const int x = axis.Extent();
    const int side = axis.Side();
    switch (rule.Kind) {
        case TBandKind::RevealFromSides:
        case TBandKind::ExpandFromSides: {
            const bool expand = rule.Kind == TBandKind::ExpandFromSides;
            const TRect nearD = axis.Band(0, x / 2 + 1);
            pieces.CopyPiece(nearD, expand ? axis.Band(0, side / 2 + 1) : nearD);
            d = axis.Band(side - x / 2 - 1, side);
            s = expand ? axis.Band(side / 2, side) : d;
            return;
        }
        case TBandKind::BuildUpFromNear: {
            const TRect revealed = axis.Band(0, x);
            pieces.CopyPiece(revealed, revealed);
            d = axis.Band(x, side);
            // Near the end less than the strip's depth is left; the strip is then what is left,
            // rather than a source reaching past the picture's edge.
            s = axis.BandInside(x, x + side / 20);
            return;
        }
        case TBandKind::BuildUpFromFar: {
            const TRect revealed = axis.Band(side - x, side);
            pieces.CopyPiece(revealed, revealed);
            d = axis.Band(0, side - x);
            s = axis.BandInside(side - x - side / 20, side - x);
            return;
        }
        case TBandKind::UnrollFromNear: {
            const int e = RollDepth(x, side);
            pieces.MirroredPiece(axis.Band(x, x + e), axis.Band(x + e, x + 2 * e), !rule.Vertical, rule.Vertical);
            d = s = axis.Band(0, x);
            return;
        }
        case TBandKind::UnrollFromFar: {
            const int e = RollDepth(x, side);
            const int edge = side - x;
            pieces.MirroredPiece(axis.Band(edge - e, edge), axis.Band(edge - 2 * e, edge - e), !rule.Vertical,
                                 rule.Vertical);
            d = s = axis.Band(edge, side);
            return;
        }
    }
}

// --- Styles made of four pieces, the last one the final copy ----------------------------------

struct TPiece {
    TRect D;
    TRect S;
};

bool IsQuarterStyle(TShowStyle style) { return style >= 54 && style <= 57; }

void ApplyQuarterRule(TShowStyle style, const TFrameQuantities& q, TRect& d, TRect& s, TPieceDrawer& pieces) {
    const int w = q.W, h = q.H, n = q.n, v = q.v;
    const int qw = n / 2 + 1, qh = v / 2 + 1, hw = w / 2 + 1, hh = h / 2 + 1;
    TPiece four[4];
    switch (style) {
        case 54:  // reveal in to centre: from all four edges
            four[0].D = {0, 0, w, v / 2};
            four[1].D = {0, h - v / 2, w, h};
            four[2].D = {0, 0, n / 2, h};
            four[3].D = {w - n / 2, 0, w, h};
            for (TPiece& piece : four) piece.S = piece.D;
            break;
        case 55:  // quarters reveal in to middle: from the four corners
            four[0].D = {0, 0, qw, qh};
            four[1].D = {0, h - qh, qw, h};
            four[2].D = {w - qw, h - qh, w, h};
            four[3].D = {w - qw, 0, w, qh};
            for (TPiece& piece : four) piece.S = piece.D;
            break;
        case 56:  // quarters expand to middle: each quarter squeezed into its corner
            four[0] = {{0, 0, qw, qh}, {0, 0, hw, hh}};
            four[1] = {{0, h - v / 2, qw, h}, {0, hh, hw, h}};
            four[2] = {{w - n / 2, h - v / 2, w, h}, {hw, hh, w, h}};
            four[3] = {{w - n / 2, 0, w, qh}, {hw, 0, w, hh}};
            break;
        default:  // 57, quarters slide in to middle: each from its own side, clockwise
            four[0] = {{(n - w) / 2, 0, qw, hh}, {0, 0, hw, hh}};
            four[1] = {{w / 2 - 1, (v - h) / 2, w, qh}, {w / 2 - 1, 0, w, hh}};
            four[2] = {{w - n / 2, h / 2 - 1, w + (w - n) / 2, h}, {hw, h / 2 - 1, w, h}};
            four[3] = {{0, h - v / 2, hw, h + (h - v) / 2}, {0, hh, hw, h}};
            break;
    }
    for (int i = 0; i < 3; ++i) pieces.CopyPiece(four[i].D, four[i].S);
    d = four[3].D;
    s = four[3].S;
}

}  // namespace

void ApplyRectangleRule(TShowStyle style, const TFrameQuantities& q, TRect& d, TRect& s, TPieceDrawer& pieces) {
    if (const TSingleRule* rule = FindSingleRule(style)) {
        ApplySingleRule(*rule, q, d, s);
    } else if (const TBandRule* band = FindBandRule(style)) {
        ApplyBandRule(*band, q, d, s, pieces);
    } else if (IsQuarterStyle(style)) {
        ApplyQuarterRule(style, q, d, s, pieces);
    }
}

}  // namespace pellumo
