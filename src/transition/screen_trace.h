#pragma once

#include <vector>

namespace pellumo {

class TBitmap;

// What the frame before left on a screen bitmap that nothing else draws on during a
// transition, so that the next frame writes and invalidates only what changes. Whatever else
// draws on the screen must Forget it first.
struct TScreenTrace {
    struct TColumns {
        int First = 0, Last = 0;
    };
    const TBitmap* Screen = nullptr;
    // Style 0: the screen is this picture, whole.
    const TBitmap* Picture = nullptr;
    // A pivot: on each row the columns [First, Last) that took the turned picture, this old
    // display everywhere else. The first frames of a turn show little of the picture, and the
    // rest of the screen is neither read nor written again.
    const TBitmap* Old = nullptr;
    int Width = 0;
    std::vector<TColumns> Rows;

    void Forget() { *this = {}; }
};

}  // namespace pellumo
