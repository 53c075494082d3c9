// Styles 118 to 122: fade and pivot, computed pixel by pixel.
#include <optional>

#include "raster/bitmap.h"
#include "transition/fade_pivot.h"
#include "transition/style_rules.h"

namespace pellumo {
namespace {

bool Is32Bit(const TBitmap& bitmap) { return BitsPerPixel(bitmap.PixelFormat()) == 32; }

TBitmap Copy32Bit(const TBitmap& bitmap) {
    TBitmap copy;
    copy.Assign(bitmap);
    copy.SetPixelFormat(pf32bit);
    return copy;
}

}  // namespace

TRect ComputeStylePixels(TShowStyle style, const TFrameQuantities& q, const TBitmap& newPicture, TBitmap& screen,
                         const TBitmap* oldDisplay, TScreenTrace* trace) {
    if (!IsPixelStyle(style)) return {};
    // The control keeps both bitmaps 32-bit for these styles, so the copies below are only a
    // guard: another layout would make the row arithmetic read past the rows' ends, and a
    // picture that is the screen itself would be read after it was written.
    std::optional<TBitmap> sourceCopy;
    if (!Is32Bit(newPicture) || &newPicture == &screen) sourceCopy.emplace(Copy32Bit(newPicture));
    std::optional<TBitmap> targetCopy;
    if (!Is32Bit(screen)) targetCopy.emplace(Copy32Bit(screen));
    const TBitmap& source = sourceCopy ? *sourceCopy : newPicture;
    TBitmap& target = targetCopy ? *targetCopy : screen;
    // Only a pivot's frames, one after the other on the screen itself, keep a trace.
    if (trace != nullptr && (style == 118 || targetCopy)) {
        trace->Forget();
        trace = nullptr;
    }

    const int width = source.Width();
    const int height = source.Height();
    TRect changed{0, 0, width, height};
    switch (style) {
        case 118: BlendBitmaps(target, source, q.p, oldDisplay); break;
        case 119: changed = RotateBitmap(target, source, -1, -1, PivotAngle(q.p), oldDisplay, trace); break;
        case 120: changed = RotateBitmap(target, source, -1, height, PivotAngle(q.p), oldDisplay, trace); break;
        case 121: changed = RotateBitmap(target, source, width, -1, PivotAngle(q.p), oldDisplay, trace); break;
        case 122: changed = RotateBitmap(target, source, width, height, PivotAngle(q.p), oldDisplay, trace); break;
        default: break;
    }
    if (targetCopy) screen.Canvas().Draw(0, 0, *targetCopy);
    return changed;
}

}  // namespace pellumo
