#pragma once

#include "raster/bitmap.h"

namespace pellumo {

// The two pictures every cell of the contact sheet shows a transition between, drawn here so
// that the sheet needs no input files. They differ in colour and in pattern, so a wipe, a
// slide and a fade each look like themselves: the old display is a grid of blue squares, the
// new picture a warm gradient with white diagonal stripes and a dark red disc. Both are 24-bit.
TBitmap OldSheetPicture(int width, int height);
TBitmap NewSheetPicture(int width, int height);

}  // namespace pellumo
