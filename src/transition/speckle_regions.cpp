// Styles 123 to 127: speckle edges and random squares. Both draw from the process-wide Random
// in a fixed order, so a given seed always yields the same pattern.
#include <algorithm>
#include <cstdint>
#include <utility>

#include "transition/random.h"
#include "transition/random_reveal_regions.h"

namespace pellumo {
namespace {

// Whether the speck k cells ahead of the edge shows: always draws, so the sequence of numbers
// does not depend on which specks show.
bool SpeckShows(int k, const TSpeckleCells& cells) {
    const std::uint32_t threshold = k <= cells.Near ? 1 : 0;
    return threshold >= Random(static_cast<std::uint32_t>(k));
}

// One band of a speckle edge along an axis `extent` long, revealed `reach` from its far end
// (right or bottom) or its near end: the revealed part and the specks ahead of it, cell k being
// k cells beyond the edge. `piece(from, to)` makes the band's rectangle over [from, to) along
// the axis. Specks shown next to each other, and those touching the revealed part, go in as one
// rectangle, which leaves the region the same and gives it fewer pieces to merge.
template <typename MakePiece>
void AddSpeckledBand(TRegion& result, const TSpeckleCells& cells, int extent, int reach, bool fromFar,
                     MakePiece piece) {
    const int s = cells.Size;
    const int edge = fromFar ? extent - reach : reach;
    // Cells nearK..farK (nearK ≤ farK) as an interval along the axis.
    const auto cellsAt = [&](int nearK, int farK) {
        return fromFar ? std::pair{edge - farK * s, edge - (nearK - 1) * s}
                       : std::pair{edge + (nearK - 1) * s, edge + farK * s};
    };
    int runFar = 0;  // the open run of shown cells, runNear..runFar; none when 0
    int runNear = 0;
    for (int k = cells.Count; k >= 1; --k) {
        if (SpeckShows(k, cells)) {
            if (runFar == 0) runFar = k;
            runNear = k;
        } else if (runFar != 0) {
            const auto [from, to] = cellsAt(runNear, runFar);
            result.UniteWith(piece(from, to));
            runFar = 0;
        }
    }
    auto [from, to] = fromFar ? std::pair{edge, extent} : std::pair{0, edge};
    if (runFar != 0) {  // the run reaches cell 1, next to the revealed part
        const auto [runFrom, runTo] = cellsAt(1, runFar);
        from = std::min(from, runFrom);
        to = std::max(to, runTo);
    }
    result.UniteWith(piece(from, to));
}

}  // namespace

TSpeckleCells SpeckleCells(int extent, int reach) {
    TSpeckleCells cells;
    cells.Zone = reach < extent ? extent / 10 : 0;
    cells.Size = std::max(cells.Zone / 20, 2);
    cells.Count = cells.Zone / cells.Size;
    cells.Near = (3 * cells.Zone / cells.Size) / 4;
    return cells;
}

TRegion SpeckleRegion(int across, int down, int width, int height, int rowKind, int columnKind) {
    TRegion result;
    if (rowKind != 0) {
        const TSpeckleCells cells = SpeckleCells(width, across);
        for (int y = 0; y < height; y += cells.Size / 2)
            AddSpeckledBand(result, cells, width, across, rowKind == 1, [y, s = cells.Size](int from, int to) {
                return CreateRectRgn(from, y, to, y + s);
            });
    }
    if (columnKind != 0) {
        const TSpeckleCells cells = SpeckleCells(height, down);
        for (int x = 0; x < width; x += cells.Size / 2)
            AddSpeckledBand(result, cells, height, down, columnKind == 1, [x, s = cells.Size](int from, int to) {
                return CreateRectRgn(x, from, x + s, to);
            });
    }
    return result;
}

int RandomSquareHalfSide(int width, int height, int p) { return std::max(std::min(width, height) / 50 + p / 10, 1); }

std::optional<TRegion> RandomSquaresRegion(int width, int height, int p) {
    const int d = RandomSquareHalfSide(width, height, p);
    std::optional<TRegion> result;
    for (int x = 0; x < width; x += d) {
        for (int y = 0; y < height; y += d) {
            if (static_cast<std::int64_t>(Random(100)) >= p) continue;
            if (result) result->UniteWith(CreateRectRgn(x - d, y - d, x + d, y + d));
            else result = CreateRectRgn(x - d, y - d, x + d, y + d);
        }
    }
    return result;
}

std::optional<TRegion> BuildRandomRevealRegion(TShowStyle style, const TFrameQuantities& q) {
    switch (style) {
        case 123: return SpeckleRegion(q.n, q.v, q.W, q.H, 1, 0);
        case 124: return SpeckleRegion(q.n, q.v, q.W, q.H, 2, 0);
        case 125: return SpeckleRegion(q.n, q.v, q.W, q.H, 0, 1);
        case 126: return SpeckleRegion(q.n, q.v, q.W, q.H, 0, 2);
        case 127: return RandomSquaresRegion(q.W, q.H, q.p);
        default: return TRegion();
    }
}

}  // namespace pellumo
