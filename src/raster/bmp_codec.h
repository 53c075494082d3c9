#pragma once

namespace pellumo {

class TStream;
class TBitmap;

// Reads a Windows bitmap file from the stream's position: 1, 4, 8, 16, 24 and 32 bits per
// pixel, uncompressed, run-length (RLE4, RLE8) or bit fields, stored top-down or bottom-up,
// with the core (OS/2 1.x), OS/2 2.x and every Windows info header. Raises EInvalidGraphic for
// what is not a readable bitmap and EReadError when the file ends early; `bitmap` is replaced
// only on success.
void ReadBitmapFile(TStream& stream, TBitmap& bitmap);

// Writes the bitmap as a Windows bitmap file, rows bottom-up, in its own pixel format:
// indexed formats with their palette (the default one when the bitmap has none), pf15bit as
// 16-bit 5-5-5, pf16bit as 5-6-5 bit fields, pf24bit as 24 bits, pf32bit and pfDevice as
// 32 bits.
void WriteBitmapFile(TStream& stream, const TBitmap& bitmap);

}  // namespace pellumo
