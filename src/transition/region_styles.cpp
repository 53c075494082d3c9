// Styles 58 to 117 and 123 to 127: the new picture shown through a region.
#include "transition/style_rules.h"

namespace pellumo {

// FIXME: the region reveals are not written yet; until they are, these styles keep the old
// display until the last frame.
std::optional<TRegion> BuildStyleRegion(TShowStyle, const TFrameQuantities&) { return TRegion(); }

}  // namespace pellumo
