#pragma once

namespace pellumo {

class TBitmap;

// Turns a picture stored with the Exif orientation (1..8) upright: 2 mirrors it left-right,
// 3 turns it half round, 4 mirrors it top-bottom, 5 transposes it, 6 turns it a quarter
// clockwise, 7 transverses it, 8 turns it a quarter counter-clockwise; 5 to 8 swap width and
// height. Keeps the pixel format and the colours of the palette (a 1- or 4-bit picture without
// a palette of its own gets its default one). 1, and any value outside 1..8, leave the picture
// as it is.
void OrientUpright(TBitmap& picture, int orientation);

}  // namespace pellumo
