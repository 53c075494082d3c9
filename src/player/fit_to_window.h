#pragma once

#include "raster/bitmap.h"

namespace pellumo {

// Reduces the picture in place to fit the available area, keeping its proportions; a picture
// that fits is never enlarged. A landscape picture is fitted by width, then by height; a
// portrait or square one by height only, so on a window taller than wide it may stay wider
// than the window. `fineResize` takes the triangle resampler (a 24-bit result) instead of
// the plain stretch-draw (format and palette kept).
void FitToWindow(TBitmap& bitmap, int availableWidth, int availableHeight, bool fineResize);

}  // namespace pellumo
