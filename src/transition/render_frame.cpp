#include "transition/render_frame.h"

#include <optional>

#include "raster/bitmap.h"
#include "raster/canvas.h"
#include "transition/frame_quantities.h"
#include "transition/style_rules.h"

namespace pellumo {
namespace {

bool Is32Bit(const TBitmap& bitmap) { return BitsPerPixel(bitmap.PixelFormat()) == 32; }

bool SameSize(const TBitmap& a, const TBitmap& b) { return a.Width() == b.Width() && a.Height() == b.Height(); }

class CanvasLock {
public:
    explicit CanvasLock(TCanvas& canvas) : canvas_(&canvas) { canvas_->Lock(); }
    ~CanvasLock() { Release(); }
    CanvasLock(const CanvasLock&) = delete;
    CanvasLock& operator=(const CanvasLock&) = delete;

    // Unlocks before the end of the scope.
    void Release() {
        if (canvas_ != nullptr) canvas_->Unlock();
        canvas_ = nullptr;
    }

private:
    TCanvas* canvas_;
};

// Unselects the clip region however the drawing through it ends.
class ClipSelection {
public:
    ClipSelection(TCanvas& canvas, const TRegion* region) : canvas_(canvas) { SelectClipRgn(canvas_, region); }
    ~ClipSelection() { SelectClipRgn(canvas_, nullptr); }
    ClipSelection(const ClipSelection&) = delete;
    ClipSelection& operator=(const ClipSelection&) = delete;

private:
    TCanvas& canvas_;
};

class FramePieces : public TPieceDrawer {
public:
    explicit FramePieces(const TFrame& frame) : frame_(frame) {}

    void CopyPiece(const TRect& d, const TRect& s) override {
        frame_.ScreenBitmap.Canvas().CopyRect(d, frame_.NewPicture.Canvas(), s);
        Invalidate(d);
    }

    void MirroredPiece(const TRect& d, const TRect& s, bool leftRight, bool topBottom) override {
        DrawMirrored(frame_.ScreenBitmap, d, frame_.NewPicture, s, leftRight, topBottom);
        Invalidate(d);
    }

    void Invalidate(const TRect& r) const {
        if (frame_.InvalidateScreenRect) frame_.InvalidateScreenRect(r);
    }

private:
    const TFrame& frame_;
};

}  // namespace

void DrawMirrored(TBitmap& target, const TRect& d, TBitmap& source, const TRect& s, bool leftRight, bool topBottom) {
    if (IsRectEmpty(d)) return;
    TRect from;
    IntersectRect(from, s, TRect{0, 0, source.Width(), source.Height()});
    // A negative extent runs backwards from its origin over |extent| pixels, so a mirrored axis
    // starts on d's last pixel and the copy covers d exactly; origins one past d's edges would
    // widen it by two pixels, stretching the roll and drawing outside the invalidated d.
    const int x = leftRight ? d.Right - 1 : d.Left;
    const int y = topBottom ? d.Bottom - 1 : d.Top;
    const int width = leftRight ? -d.Width() : d.Width();
    const int height = topBottom ? -d.Height() : d.Height();
    StretchBlt(target.Canvas(), x, y, width, height, source.Canvas(), from.Left, from.Top, from.Width(), from.Height());
}

void RenderFrame(const TFrame& frame) {
    TBitmap& picture = frame.NewPicture;
    TBitmap& screen = frame.ScreenBitmap;
    CanvasLock pictureLock(picture.Canvas());
    CanvasLock screenLock(screen.Canvas());
    CanvasLock oldLock(frame.OldPicture.Canvas());
    // Fade and pivot compute every pixel from the old display and the new picture: when no
    // handler looks at the screen before, they read the old display where it is rather than
    // after a copy of a whole frame. The copy would be a plain one: 32-bit rows, one size.
    const bool readsOldDisplay =
        IsPixelStyle(frame.Style) && frame.Progress > 0 && frame.Progress < 100 && !frame.OnBeforeNewFrame &&
        !screen.OnChange && screen.Canvas().ClipRegion() == nullptr && &frame.OldPicture != &screen &&
        &picture != &screen && Is32Bit(frame.OldPicture) && Is32Bit(picture) && Is32Bit(screen) &&
        SameSize(frame.OldPicture, screen) && SameSize(picture, screen);
    if (!readsOldDisplay) {
        screen.Canvas().Draw(0, 0, frame.OldPicture);
        oldLock.Release();
    }
    if (frame.OnBeforeNewFrame) frame.OnBeforeNewFrame(picture, screen);

    const int width = picture.Width();
    const int height = picture.Height();
    TRect d{0, 0, width, height};
    TRect s = d;
    FramePieces pieces(frame);
    const TShowStyle style = frame.Style;
    if (frame.Progress >= 100) {
        screen.Canvas().Draw(0, 0, picture);
    } else if (frame.Progress > 0) {
        const TFrameQuantities q = ComputeFrameQuantities(width, height, frame.Progress, frame.Step);
        if (style == 0) {
            if (frame.OnCustomDraw) frame.OnCustomDraw(picture, screen);
            screen.Canvas().Draw(0, 0, picture);
        } else if (IsRectangleStyle(style)) {
            ApplyRectangleRule(style, q, d, s, pieces);
            screen.Canvas().CopyRect(d, picture.Canvas(), s);
        } else if (IsRegionStyle(style)) {
            const std::optional<TRegion> region = BuildStyleRegion(style, q);
            ClipSelection clip(screen.Canvas(), region ? &*region : nullptr);
            screen.Canvas().Draw(0, 0, picture);
        } else if (IsPixelStyle(style)) {
            ComputeStylePixels(style, q, picture, screen, readsOldDisplay ? &frame.OldPicture : nullptr);
            oldLock.Release();
        }
    }
    pieces.Invalidate(d);
    if (frame.OnAfterNewFrame) frame.OnAfterNewFrame(picture, screen);
}

}  // namespace pellumo
