#pragma once

#include "raster/bitmap.h"
#include "transition/style_names.h"

namespace pellumo {

// One frame of the style as the transition control composes it: `old` is the display before
// the transition, the same size as `picture`, the new picture. Returns the frame as a 24-bit
// bitmap.
TBitmap ComposeFrame(const TBitmap& picture, const TBitmap& old, TShowStyle style, int step, int progress);

}  // namespace pellumo
