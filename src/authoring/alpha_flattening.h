#pragma once

#include "base/color.h"
#include "raster/bitmap.h"

namespace pellumo {

// A JPEG has no transparency: a 32-bit picture's see-through parts are laid over the colour
// the slide shows around the picture, instead of revealing whatever colour the file kept
// under them. A fourth byte that is zero everywhere is no alpha (32-bit files that leave it
// unused), so such a picture is left alone.
void FlattenAlpha(TBitmap& bitmap, TColor background);

}  // namespace pellumo
