#pragma once

// The region reveals behind BuildStyleRegion, one family per file, for the dispatch and the
// tests. Every builder unites band by band (cheap: the region merges once, when first read) and
// makes a number of bands bounded by the picture's width and height.

#include "raster/region.h"
#include "transition/frame_quantities.h"
#include "transition/style_names.h"

namespace pellumo {

// Bars 5 pixels thick every 10, in two interleaved sets. Row bars are `rowLength` long across a
// picture `width` wide (0..width fills the first set, width..2·width the second); column bars
// likewise with `columnLength` and `height`. A first-phase length less than `snap` short of
// full counts as full. Kinds: 0 none; 1 both sets from the right (bottom); 2 both from the left
// (top); 3 the first set from the right (bottom) and the second from the left (top) in one
// phase; 4 the first set from the left (top) then the second from the right (bottom); 5 the
// reverse of 4.
TRegion BarRegion(int rowLength, int columnLength, int width, int height, int snap, int rowKind, int columnKind);

// Strips every 5 pixels whose ends are jittered by the process-wide Random: row strips reach
// `rowLength` into the picture, column strips `columnLength`. Kinds: 0 none; 1 from the right
// (bottom); 2 from the left (top); 3 out from the middle; 4 in to the middle. Row strips draw
// their numbers first, strip by strip, then column strips.
TRegion ShredRegion(int rowLength, int columnLength, int width, int height, int rowKind, int columnKind);

// Styles 60..64, 71..75 and 86..99.
TRegion BarStyleRegion(TShowStyle style, const TFrameQuantities& q);
// Styles 65..68, 76..79 and 100..109.
TRegion ShredStyleRegion(TShowStyle style, const TFrameQuantities& q);
// Styles 58, 59, 69, 70 and 80..85: rounded rectangles and ellipses.
TRegion CurvedStyleRegion(TShowStyle style, const TFrameQuantities& q);
// Styles 110..117: triangles.
TRegion TriangleStyleRegion(TShowStyle style, const TFrameQuantities& q);

}  // namespace pellumo
