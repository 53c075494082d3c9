// Styles 58 to 117 and 123 to 127: the new picture shown through a region, one family per file.
#include "transition/random_reveal_regions.h"
#include "transition/region_rules.h"
#include "transition/style_rules.h"

namespace pellumo {

std::optional<TRegion> BuildStyleRegion(TShowStyle style, const TFrameQuantities& q) {
    switch (style) {
        case 58: case 59: case 69: case 70:
        case 80: case 81: case 82: case 83: case 84: case 85:
            return CurvedStyleRegion(style, q);
        case 60: case 61: case 62: case 63: case 64:
        case 71: case 72: case 73: case 74: case 75:
        case 86: case 87: case 88: case 89: case 90: case 91: case 92:
        case 93: case 94: case 95: case 96: case 97: case 98: case 99:
            return BarStyleRegion(style, q);
        case 65: case 66: case 67: case 68:
        case 76: case 77: case 78: case 79:
        case 100: case 101: case 102: case 103: case 104:
        case 105: case 106: case 107: case 108: case 109:
            return ShredStyleRegion(style, q);
        case 110: case 111: case 112: case 113: case 114: case 115: case 116: case 117:
            return TriangleStyleRegion(style, q);
        case 123: case 124: case 125: case 126: case 127:
            return BuildRandomRevealRegion(style, q);
        default:
            return TRegion();  // not a region style: nothing of the new picture shows
    }
}

}  // namespace pellumo
