#pragma once

// Styles 123 to 127: regions built from the process-wide Random, for the region dispatch and
// the tests.
#include <optional>

#include "raster/region.h"
#include "transition/frame_quantities.h"
#include "transition/style_names.h"

namespace pellumo {

// Styles 123..127: the speckle regions, or random squares' (none when no square was chosen,
// so the whole picture is drawn). Any other style gets an empty region.
std::optional<TRegion> BuildRandomRevealRegion(TShowStyle style, const TFrameQuantities& q);

// The cells scattered ahead of a speckle edge along an extent (the picture's width for the row
// part, its height for the column part) whose revealed part is `reach` long.
struct TSpeckleCells {
    int Zone = 0;  // how deep the specks reach ahead of the edge
    int Size = 2;  // a speck's side; bands advance by half of it
    int Count = 0;  // cells per zone
    int Near = 0;  // cells 1..Near show twice as often
};
TSpeckleCells SpeckleCells(int extent, int reach);

// Row kind 1 reveals from the right, 2 from the left; column kind 1 from the bottom, 2 from
// the top; 0 builds no part. `across` is the revealed width, `down` the revealed height.
TRegion SpeckleRegion(int across, int down, int width, int height, int rowKind, int columnKind);

// Half the side of each random square: min(W, H) div 50 + p div 10, at least 1.
int RandomSquareHalfSide(int width, int height, int p);
// About p percent of the grid points, d apart, each with a square 2d wide; none when no point
// was chosen.
std::optional<TRegion> RandomSquaresRegion(int width, int height, int p);

}  // namespace pellumo
