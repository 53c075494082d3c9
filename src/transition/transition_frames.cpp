#include "transition/transition_frames.h"

#include <utility>

#include "transition/render_frame.h"
#include "transition/style_rules.h"

namespace pellumo {

TTransitionFrames::TTransitionFrames(TBitmap picture, TBitmap old, TShowStyle style, int step)
    : picture_(std::move(picture)), old_(std::move(old)), style_(style), step_(step) {
    // Fade and pivot take 32-bit rows; the other styles the display's own form.
    const TPixelFormat format = IsPixelStyle(style) ? pf32bit : pfDevice;
    picture_.SetPixelFormat(format);
    old_.SetPixelFormat(format);
    screen_.SetPixelFormat(format);
    screen_.SetSize(picture_.Width(), picture_.Height());
}

const TBitmap& TTransitionFrames::Compose(int progress) {
    RenderFrame(TFrame{picture_, old_, screen_, style_, step_, progress, {}, {}, {}, {}, &screenTrace_});
    return screen_;
}

TBitmap ComposeFrame(const TBitmap& picture, const TBitmap& old, TShowStyle style, int step, int progress) {
    TBitmap newPicture, oldDisplay;
    newPicture.Assign(picture);
    oldDisplay.Assign(old);
    TTransitionFrames frames(std::move(newPicture), std::move(oldDisplay), style, step);
    TBitmap screen;
    screen.Assign(frames.Compose(progress));
    screen.SetPixelFormat(pf24bit);
    return screen;
}

}  // namespace pellumo
