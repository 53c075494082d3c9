#pragma once

// The pixel arithmetic of fade and pivot, on 32-bit bitmaps (4 bytes a pixel: blue, green, red,
// unused). Exposed for the tests, which hold it to a per-pixel evaluation of the formulas.
#include "raster/rect.h"
#include "transition/screen_trace.h"

namespace pellumo {

class TBitmap;

// Each colour byte of `screen` becomes (screen × (100 − p) + picture × p) div 100 in unsigned
// integers; the unused byte keeps its value. Works on the part both bitmaps share and does
// nothing unless both are 32-bit. With `old` (32-bit, the screen's size), the screen's bytes
// are taken from there instead: the same frame without first copying the old display.
void BlendBitmaps(TBitmap& screen, const TBitmap& picture, int p, const TBitmap* old = nullptr);

// Every screen pixel (x, y) takes, all four bytes, the picture pixel its position maps to when
// turned by `angle` about (cx, cy) in 16.16 fixed point (sine and cosine × 65536, truncated):
//   sx = cx + ((dx·cos − dy·sin) >> 16), sy = cy + ((dx·sin + dy·cos) >> 16), dx = x − cx, dy = y − cy,
// with arithmetic shifts. Pixels that map outside the picture keep the old display. The screen
// is covered as far as it overlaps the picture; nothing happens unless both are 32-bit and the
// angle is finite. With `old` (32-bit, the screen's size and the picture's), those pixels take
// the old display from there: the same frame without first copying it.
// Returns the part of the screen the frame changed. With `old` and a trace of the frame before
// on this screen and old display, that is only where the picture was or is now; the trace then
// describes this frame. Without `old`, the trace is forgotten.
TRect RotateBitmap(TBitmap& screen, const TBitmap& picture, int cx, int cy, double angle,
                   const TBitmap* old = nullptr, TScreenTrace* trace = nullptr);

// The loop that copies a pivot's runs: the quicker on this processor, or one named, for the
// tests that hold each to the formula. Where the processor has no gather (AVX2), Gather is
// FourAtATime. All give the same pixels.
enum class TPivotRunLoop { Quicker, FourAtATime, Gather };
void SetPivotRunLoop(TPivotRunLoop loop);

// The pivot's angle at progress p: a quarter turn at 0, none at 100, (100 − p)·π/200 radians.
double PivotAngle(int p);

}  // namespace pellumo
