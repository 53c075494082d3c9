#include "frame_composition.h"

#include "transition/render_frame.h"

namespace pellumo {

namespace {

TBitmap CopyIn(const TBitmap& source, TPixelFormat format) {
    TBitmap copy;
    copy.Assign(source);
    copy.SetPixelFormat(format);
    return copy;
}

}  // namespace

TBitmap ComposeFrame(const TBitmap& newPicture, const TBitmap& oldPicture, TShowStyle style, int step, int progress) {
    // Fade and pivot take 32-bit rows; the other styles the display's own form.
    const TPixelFormat format = style >= 118 && style <= 122 ? pf32bit : pfDevice;
    TBitmap picture = CopyIn(newPicture, format);
    TBitmap old = CopyIn(oldPicture, format);
    TBitmap screen;
    screen.SetPixelFormat(format);
    screen.SetSize(picture.Width(), picture.Height());
    RenderFrame(TFrame{picture, old, screen, style, step, progress, {}, {}, {}, {}});
    screen.SetPixelFormat(pf24bit);
    return screen;
}

}  // namespace pellumo
