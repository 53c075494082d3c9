#pragma once

#include "base/color.h"
#include "raster/rect.h"

namespace pellumo {

class TBitmap;
class TRegion;

// The pixel work under the canvas: every source format onto every target format, palettes
// respected, clipped to the target and to `clip` (nullptr: no clipping).

// Copies the source rectangle at (sourceX, sourceY) with extent (sourceWidth, sourceHeight)
// onto the target at (x, y) with extent (width, height), each target pixel taking one source
// pixel (no averaging). A negative extent mirrors that axis: the target then covers x, x - 1,
// ..., x + width + 1, with the first source column at x. Target pixels that map outside the
// source are left alone.
void StretchBlit(TBitmap& target, const TRegion* clip, int x, int y, int width, int height, const TBitmap& source,
                 int sourceX, int sourceY, int sourceWidth, int sourceHeight);

// The part of the target StretchBlit writes with these arguments, before any clip region: the
// positions that map inside the source (empty when it writes nothing).
TRect StretchBlitArea(const TBitmap& target, int x, int y, int width, int height, const TBitmap& source, int sourceX,
                      int sourceY, int sourceWidth, int sourceHeight);

// Sets every pixel of the rectangle to the colour (the nearest palette entry when indexed).
void FillPixels(TBitmap& target, const TRegion* clip, const TRect& rect, TColor color);

}  // namespace pellumo
