#pragma once

namespace pellumo {

// The per-frame numbers every style rule works from, in pixels of the new picture: its size,
// the progress p (0..100), the extents n (0..W) and v (0..H) that grow with p and keep the
// picture's aspect ratio, the snap width b of the bar styles, and the step they derive from.
struct TFrameQuantities {
    int W = 0;
    int H = 0;
    int p = 0;
    int n = 0;
    int v = 0;
    int b = 0;
    int Step = 1;
};

// The longer side sets the pace: its extent is MulDiv(side, p, 100), the other follows.
TFrameQuantities ComputeFrameQuantities(int width, int height, int progress, int step);

}  // namespace pellumo
