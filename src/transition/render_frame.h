#pragma once

#include <functional>

#include "raster/rect.h"
#include "transition/style_names.h"

namespace pellumo {

class TBitmap;
struct TScreenTrace;

// Handlers of the frame events: (new picture, screen bitmap).
using TFrameEvent = std::function<void(TBitmap& picture, TBitmap& screen)>;

// One frame to compose: the old display and the new picture (same size), the bitmap that
// receives the frame, the style and where the transition stands.
struct TFrame {
    TBitmap& NewPicture;
    TBitmap& OldPicture;
    TBitmap& ScreenBitmap;
    TShowStyle Style = 0;
    int Step = 4;
    int Progress = 0;
    TFrameEvent OnBeforeNewFrame;
    TFrameEvent OnCustomDraw;  // style 0 only
    TFrameEvent OnAfterNewFrame;
    // Told each rectangle of the screen bitmap that the frame changed.
    std::function<void(const TRect&)> InvalidateScreenRect;
    // Kept from frame to frame by whoever owns the screen bitmap and draws nothing else on it
    // during the transition: a frame of style 0 or a pivot then writes only what changes.
    TScreenTrace* ScreenTrace = nullptr;
};

// Composes the frame into ScreenBitmap: the old display, then the new picture's share as the
// style says for the progress, invalidating what changed. Holds the canvas locks of the new
// picture and the screen bitmap throughout, and the old picture's while copying it. A frame
// depends only on the progress (and the numbers the random styles draw), never on the frame
// before; only how much of it is written again may (ScreenTrace). Styles without a rule show
// the old display until p = 100.
void RenderFrame(const TFrame& frame);

// Copies rectangle s of `source` onto rectangle d of `target` mirrored left-right and/or
// top-bottom: s is first cut to the source, d is not, so a narrower source stretches.
void DrawMirrored(TBitmap& target, const TRect& d, TBitmap& source, const TRect& s, bool leftRight, bool topBottom);

}  // namespace pellumo
