// Bars and criss-cross reveals: styles 60 to 64, 71 to 75 and 86 to 99.
#include <algorithm>
#include <iterator>

#include "transition/region_rules.h"

namespace pellumo {
namespace {

// Unites bands given along the bars (x for row bars) and across them: column bars are row bars
// with the axes exchanged, so one routine builds both.
class BandSink {
public:
    BandSink(TRegion& region, bool columns) : region_(region), columns_(columns) {}

    void Add(int alongFrom, int acrossFrom, int alongTo, int acrossTo) {
        if (columns_) CombineRgn(region_, region_, CreateRectRgn(acrossFrom, alongFrom, acrossTo, alongTo), RGN_OR);
        else CombineRgn(region_, region_, CreateRectRgn(alongFrom, acrossFrom, alongTo, acrossTo), RGN_OR);
    }

private:
    TRegion& region_;
    bool columns_;
};

// One direction of bars: `length` of `extent` (the bars' full length), stacked across `breadth`.
void AddBars(BandSink& bands, int length, int extent, int breadth, int snap, int kind) {
    if (kind == 0) return;
    if (length <= extent) {
        // The snap rounds the whole first set up to full length, so it is decided once.
        if (length + snap > extent) length = extent;
        for (int at = 0; at < breadth + 5; at += 10) {
            switch (kind) {
                case 1:
                case 5: bands.Add(extent - length, at, extent, at + 5); break;
                case 2:
                case 4: bands.Add(0, at, length, at + 5); break;
                case 3:
                    bands.Add(0, at + 5, length, at + 10);
                    bands.Add(extent - length, at, extent, at + 5);
                    break;
                default: break;
            }
        }
        return;
    }
    // Second phase: the first set is whole and the second grows over the gaps.
    for (int at = 5; at < breadth + 5; at += 10) {
        bands.Add(0, at - 5, extent, at);
        switch (kind) {
            case 1:
            case 4: bands.Add(2 * extent - length, at, extent, at + 5); break;
            case 2:
            case 5: bands.Add(0, at, length - extent, at + 5); break;
            default: break;
        }
    }
}

// A and B as multiples of n and v (0, 1 or 2); whether the snap applies.
struct BarStyle {
    TShowStyle style;
    int rowScale;
    int columnScale;
    bool snaps;
    int rowKind;
    int columnKind;
};

constexpr BarStyle kBarStyles[] = {
    {60, 2, 0, true, 1, 0},  {61, 2, 0, true, 2, 0},  {62, 2, 0, true, 4, 0},  {63, 2, 0, true, 5, 0},
    {64, 1, 0, false, 3, 0}, {71, 0, 2, true, 0, 1},  {72, 0, 2, true, 0, 2},  {73, 0, 2, true, 0, 4},
    {74, 0, 2, true, 0, 5},  {75, 0, 1, false, 0, 3}, {86, 2, 2, true, 1, 1},  {87, 2, 2, true, 1, 2},
    {88, 2, 2, true, 2, 1},  {89, 2, 2, true, 2, 2},  {90, 2, 2, true, 4, 4},  {91, 2, 2, true, 4, 5},
    {92, 2, 2, true, 5, 4},  {93, 2, 2, true, 5, 5},  {94, 1, 1, true, 1, 3},  {95, 1, 1, true, 2, 3},
    {96, 1, 1, true, 3, 1},  {97, 1, 1, true, 3, 2},  {98, 1, 1, false, 3, 3},
};

}  // namespace

TRegion BarRegion(int rowLength, int columnLength, int width, int height, int snap, int rowKind, int columnKind) {
    TRegion region;
    BandSink rows(region, false);
    AddBars(rows, rowLength, width, height, snap, rowKind);
    BandSink columns(region, true);
    AddBars(columns, columnLength, height, width, snap, columnKind);
    return region;
}

TRegion BarStyleRegion(TShowStyle style, const TFrameQuantities& q) {
    if (style == 99) {
        // Criss-cross from bottom right and from top left, kept where both show.
        const TRegion fromBottomRight = BarRegion(2 * q.n, 2 * q.v, q.W, q.H, q.b, 1, 1);
        TRegion result = BarRegion(2 * q.n, 2 * q.v, q.W, q.H, q.b, 2, 2);
        CombineRgn(result, fromBottomRight, result, RGN_AND);
        return result;
    }
    const auto* entry = std::find_if(std::begin(kBarStyles), std::end(kBarStyles),
                                     [style](const BarStyle& s) { return s.style == style; });
    if (entry == std::end(kBarStyles)) return TRegion();
    return BarRegion(entry->rowScale * q.n, entry->columnScale * q.v, q.W, q.H, entry->snaps ? q.b : 0, entry->rowKind,
                     entry->columnKind);
}

}  // namespace pellumo
