// Styles 118 to 122: fade and pivot, computed pixel by pixel.
#include "transition/style_rules.h"

namespace pellumo {

// FIXME: fade and pivot are not written yet; until they are, these styles keep the old
// display until the last frame.
void ComputeStylePixels(TShowStyle, const TFrameQuantities&, const TBitmap&, TBitmap&) {}

}  // namespace pellumo
