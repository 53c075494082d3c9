#pragma once

namespace pellumo {

class TStream;
class TBitmap;

// Writes the bitmap as a PNG file, top row first, not interlaced, its image data deflated by
// zlib. 1-, 4- and 8-bit bitmaps become palette images of their own depth; a 32-bit bitmap
// whose fourth bytes hold an alpha (some pixels see-through, some not, as the readers leave
// it) becomes 8-bit RGBA; every other bitmap 8-bit RGB. An empty bitmap writes nothing: a PNG
// has at least one pixel.
void WritePngFile(TStream& stream, const TBitmap& bitmap);

}  // namespace pellumo
