// Uneven shreds: styles 65 to 68, 76 to 79 and 100 to 109.
#include <algorithm>
#include <cstdint>
#include <iterator>

#include "transition/random.h"
#include "transition/region_rules.h"

namespace pellumo {
namespace {

// R1 − R2 for two successive draws, the first drawn first: the order is part of the pattern.
int Jitter(std::uint32_t range) {
    const int first = static_cast<int>(Random(range));
    const int second = static_cast<int>(Random(range));
    return first - second;
}

// Row strips across a picture `extent` wide and `breadth` high; column strips are the same with
// the axes exchanged, so bands are given along the strips and across them.
void AddStrips(TRegion& region, bool columns, int length, int extent, int breadth, int kind) {
    if (kind == 0) return;
    auto add = [&](int alongFrom, int acrossFrom, int alongTo, int acrossTo) {
        if (columns) CombineRgn(region, region, CreateRectRgn(acrossFrom, alongFrom, acrossTo, alongTo), RGN_OR);
        else CombineRgn(region, region, CreateRectRgn(alongFrom, acrossFrom, alongTo, acrossTo), RGN_OR);
    };
    const auto range = static_cast<std::uint32_t>(length < extent ? extent / 7 : 0);
    // Strips start every 5 pixels but are thicker by the breadth's remainder of 5, so
    // neighbours overlap by that remainder and show the farther-reaching end there.
    const int thickness = 5 + breadth % 5;
    const int middle = extent / 2;
    for (int at = 0; at < breadth; at += 5) {
        const int to = at + thickness;
        switch (kind) {
            case 1: add(extent - length + Jitter(range), at, extent, to); break;
            case 2: add(0, at, length + Jitter(range), to); break;
            case 3: {
                add((extent - length + Jitter(range)) / 2, at, middle, to);
                add(middle, at, (extent + length + Jitter(range)) / 2, to);
                break;
            }
            case 4: {
                add(extent - (length + Jitter(range)) / 2, at, extent, to);
                add(0, at, (length + Jitter(range)) / 2, to);
                break;
            }
            default: break;
        }
    }
}

// A and B as multiples of n and v (0 or 1).
struct ShredStyle {
    TShowStyle style;
    int rowScale;
    int columnScale;
    int rowKind;
    int columnKind;
};

constexpr ShredStyle kShredStyles[] = {
    {65, 1, 0, 1, 0},  {66, 1, 0, 2, 0},  {67, 1, 0, 3, 0},  {68, 1, 0, 4, 0},  {76, 0, 1, 0, 1},
    {77, 0, 1, 0, 2},  {78, 0, 1, 0, 3},  {79, 0, 1, 0, 4},  {100, 1, 1, 1, 1}, {101, 1, 1, 1, 2},
    {102, 1, 1, 2, 1}, {103, 1, 1, 2, 2}, {104, 1, 1, 1, 3}, {105, 1, 1, 2, 3}, {106, 1, 1, 3, 1},
    {107, 1, 1, 3, 2}, {108, 1, 1, 3, 3}, {109, 1, 1, 4, 4},
};

}  // namespace

TRegion ShredRegion(int rowLength, int columnLength, int width, int height, int rowKind, int columnKind) {
    TRegion region;
    AddStrips(region, false, rowLength, width, height, rowKind);
    AddStrips(region, true, columnLength, height, width, columnKind);
    return region;
}

TRegion ShredStyleRegion(TShowStyle style, const TFrameQuantities& q) {
    const auto* entry = std::find_if(std::begin(kShredStyles), std::end(kShredStyles),
                                     [style](const ShredStyle& s) { return s.style == style; });
    if (entry == std::end(kShredStyles)) return TRegion();
    return ShredRegion(entry->rowScale * q.n, entry->columnScale * q.v, q.W, q.H, entry->rowKind, entry->columnKind);
}

}  // namespace pellumo
