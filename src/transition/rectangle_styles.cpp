// Styles 1 to 57: wipes made of rectangles.
#include "transition/style_rules.h"

namespace pellumo {

// FIXME: the rectangle wipes are not written yet; until they are, these styles keep the old
// display until the last frame.
void ApplyRectangleRule(TShowStyle, const TFrameQuantities& q, TRect& d, TRect& s, TPieceDrawer&) {
    d = s = TRect{0, 0, q.W, 0};
}

}  // namespace pellumo
