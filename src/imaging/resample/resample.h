#pragma once

#include "imaging/resample/resample_kernels.h"
#include "raster/bitmap.h"

namespace pellumo {

// Filter radii beyond this are a caller's mistake: the widest built-in kernel reaches 3, and
// the work grows with the radius.
constexpr float kMaxFilterRadius = 256.0f;

// Resizes `source` to newWidth x newHeight into `target` with a separable filter, rows first,
// then columns. Radius 0 takes the filter's own radius. The target's previous image is
// discarded; it comes back a 24-bit bitmap. The source is converted to 24 bits in place (its
// colours kept); it may be the target itself. Raises EInvalidGraphicOperation for an unknown
// filter or a radius that is negative, not finite or beyond kMaxFilterRadius, and
// EConvertError for a negative or oversized new size, before either bitmap is touched; on any
// failure the target keeps its image. Large pictures are shared out by rows over the cores
// (`threads`: how many; 0 picks by the picture's size and the cores); the result is the same.
void ResampleBitmap(int newWidth, int newHeight, TResampleFilter filter, float radius, TBitmap& source,
                    TBitmap& target, int threads = 0);

// The worker: fills `target`, already sized and 24-bit, from the 24-bit `source` with any
// kernel and a radius in (0, kMaxFilterRadius]. Raises EInvalidGraphicOperation when those
// do not hold, or when the kernel gives a value no 32-bit weight holds, and EConvertError when
// the rows between the passes (target width x the source rows read) exceed the image limit.
void ResampleWithKernel(TFilterKernel kernel, float radius, const TBitmap& source, TBitmap& target,
                        int threads = 0);

}  // namespace pellumo
