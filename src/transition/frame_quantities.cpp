#include "transition/frame_quantities.h"

#include "base/integer_math.h"

namespace pellumo {

TFrameQuantities ComputeFrameQuantities(int width, int height, int progress, int step) {
    TFrameQuantities q{width, height, progress, 0, 0, 0, step};
    if (height > width) {
        q.v = MulDiv(height, progress, 100);
        q.n = MulDiv(q.v, width, height);
        q.b = MulDiv(height, step, 90);
    } else {
        q.n = MulDiv(width, progress, 100);
        q.v = width == 0 ? 0 : MulDiv(q.n, height, width);
        q.b = MulDiv(width, step, 90);
    }
    return q;
}

}  // namespace pellumo
