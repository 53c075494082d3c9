#pragma once

#include <optional>

#include "raster/rect.h"
#include "raster/region.h"
#include "transition/frame_quantities.h"
#include "transition/style_names.h"

namespace pellumo {

class TBitmap;
struct TScreenTrace;

// The three families of style rules. Each is pure: given the style and the frame's numbers
// (and for the random styles the process-wide Random), it yields rectangles, a region or
// pixels. Frame composition calls them for 0 < p < 100 only.

constexpr bool IsRectangleStyle(TShowStyle style) { return style >= 1 && style <= 57; }
constexpr bool IsPixelStyle(TShowStyle style) { return style >= 118 && style <= 122; }
constexpr bool IsRegionStyle(TShowStyle style) {
    return (style >= 58 && style <= 117) || (style >= 123 && style <= 127);
}

// What a rectangle rule may draw before its final copy: each piece is drawn and invalidated.
class TPieceDrawer {
public:
    virtual ~TPieceDrawer() = default;
    // Copies rectangle s of the new picture onto rectangle d of the screen, stretching.
    virtual void CopyPiece(const TRect& d, const TRect& s) = 0;
    // The same, mirrored left-right and/or top-bottom.
    virtual void MirroredPiece(const TRect& d, const TRect& s, bool leftRight, bool topBottom) = 0;
};

// Styles 1..57: sets the final copy's destination d and source s (both start as the whole
// picture) and draws the style's other pieces through `pieces`.
void ApplyRectangleRule(TShowStyle style, const TFrameQuantities& q, TRect& d, TRect& s, TPieceDrawer& pieces);

// Styles 58..117 and 123..127: the region the whole new picture shows through; none (nullopt)
// means no clipping, an empty region shows nothing of it.
std::optional<TRegion> BuildStyleRegion(TShowStyle style, const TFrameQuantities& q);

// Styles 118..122: writes the frame's pixels into `screen`, which holds the old display, from
// the new picture; both are 32-bit. With `oldDisplay`, the screen does not hold the old display
// yet and every pixel comes from there or the new picture instead: then all three must be
// 32-bit, of one size and different bitmaps. Returns the part of the screen the frame changed:
// with `oldDisplay`, a pivot's trace of the frame before can make that less than the whole
// picture (see RotateBitmap); the fade forgets the trace.
TRect ComputeStylePixels(TShowStyle style, const TFrameQuantities& q, const TBitmap& newPicture, TBitmap& screen,
                         const TBitmap* oldDisplay = nullptr, TScreenTrace* trace = nullptr);

}  // namespace pellumo
