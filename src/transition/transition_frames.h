#pragma once

#include <cstdint>

#include "raster/bitmap.h"
#include "transition/fade_pivot.h"
#include "transition/style_names.h"

namespace pellumo {

// The pace the transition control keeps unless told otherwise, and so the player's: the
// progress each frame adds, and the milliseconds from one frame's start to the next one's.
constexpr std::uint16_t kDefaultTransitionStep = 4;
constexpr std::uint16_t kDefaultTransitionDelay = 40;

// One transition's bitmaps as the control prepares them, for composing any number of its
// frames: the new picture and the old display (one size) in the form the style composes
// fastest on, and the screen each frame is composed into.
class TTransitionFrames {
public:
    // `old` is the display before the transition, the size of `picture`.
    TTransitionFrames(TBitmap picture, TBitmap old, TShowStyle style, int step);

    // The frame at the progress (0..100), 32-bit; valid until the next call.
    const TBitmap& Compose(int progress);

private:
    TBitmap picture_;
    TBitmap old_;
    TBitmap screen_;
    TScreenTrace screenTrace_;
    TShowStyle style_;
    int step_;
};

// One frame of the style as the control composes it, as a 24-bit bitmap.
TBitmap ComposeFrame(const TBitmap& picture, const TBitmap& old, TShowStyle style, int step, int progress);

}  // namespace pellumo
