// Painting of the transition control: placement of the picture, the off-screen buffer,
// the background, and the mapping of changed picture areas to the screen.
#include <cmath>

#include "base/integer_math.h"
#include "raster/canvas.h"
#include "transition/transition_view.h"

namespace pellumo {
namespace {

// Draws the graphic again and again from the rectangle's top-left corner until it is covered.
void TileDraw(TCanvas& canvas, const TRect& rect, const TGraphic& graphic) {
    if (graphic.Empty()) return;
    const int gw = graphic.Width(), gh = graphic.Height();
    const int rows = rect.Height() / gh + 1;
    const int columns = rect.Width() / gw + 1;
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < columns; ++j) canvas.Draw(rect.Left + gw * j, rect.Top + gh * i, graphic);
}

}  // namespace

TRect TCustomTransitionView::FitRect(const TRect& shape, const TRect& bounds) {
    const int sw = shape.Width(), sh = shape.Height();
    const int bw = bounds.Width(), bh = bounds.Height();
    if (sw <= 0 || sh <= 0) return {bounds.Left, bounds.Top, bounds.Left, bounds.Top};
    int width, height;
    if (static_cast<double>(bh) / sh > static_cast<double>(bw) / sw) {
        width = bw;
        height = MulDiv(sh, bw, sw);
    } else {
        width = MulDiv(sw, bh, sh);
        height = bh;
    }
    const int left = bounds.Left + (bw - width) / 2;
    const int top = bounds.Top + (bh - height) / 2;
    return {left, top, left + width, top + height};
}

TRect TCustomTransitionView::ClientRect() const {
    std::lock_guard guard(geometryLock_);
    return {0, 0, clientWidth_, clientHeight_};
}

TRect TCustomTransitionView::PictureRect() const {
    std::lock_guard guard(geometryLock_);
    return pictureRect_;
}

void TCustomTransitionView::UpdatePictureRect() {
    if (screenBitmap_->Empty()) return;
    const int width = screenBitmap_->Width(), height = screenBitmap_->Height();
    std::lock_guard guard(geometryLock_);
    pictureRect_ = {0, 0, width, height};
    // A picture larger than the client area gets a negative offset; an odd pixel goes right.
    if (center_) OffsetRect(pictureRect_, (clientWidth_ - width) / 2, (clientHeight_ - height) / 2);
}

void TCustomTransitionView::InvalidateScreenRect(const TRect& rect) {
    const TRect placed = PictureRect();
    TRect target = rect;
    if (stretch_) {
        const TRect client = ClientRect();
        const TRect t = stretchFine_ ? FitRect(placed, client) : client;
        const int pw = placed.Width(), ph = placed.Height();
        if (pw <= 0 || ph <= 0) return;
        target = {t.Left + MulDiv(rect.Left, t.Width(), pw), t.Top + MulDiv(rect.Top, t.Height(), ph),
                  t.Left + MulDiv(rect.Right, t.Width(), pw), t.Top + MulDiv(rect.Bottom, t.Height(), ph)};
    } else {
        if (center_) OffsetRect(target, placed.Left, placed.Top);
        target.Left = std::max(target.Left, placed.Left);
        target.Top = std::max(target.Top, placed.Top);
        target.Right = std::min(target.Right, placed.Right);
        target.Bottom = std::min(target.Bottom, placed.Bottom);
    }
    InvalidateRect(target);
}

void TCustomTransitionView::AdjustSizeToPicture() {
    if (!PictureHasGraphic() || Align() == alClient) return;
    // The picture counts physical pixels; the bounds are logical.
    const auto logical = [this](int pixels) { return static_cast<int>(std::ceil(pixels / PixelRatio())); };
    int width = Width(), height = Height();
    if (Align() != alTop && Align() != alBottom) width = logical(picture_.Width());
    if (Align() != alLeft && Align() != alRight) height = logical(picture_.Height());
    SetBounds(Left(), Top(), width, height);
}

void TCustomTransitionView::Resized() {
    TCustomControl::Resized();
    {
        std::lock_guard guard(geometryLock_);
        clientWidth_ = ClientWidth();
        clientHeight_ = ClientHeight();
    }
    if (PictureHasGraphic()) UpdatePictureRect();
    if (!screenBitmap_->Empty() && !painting_) Invalidate();
}

void TCustomTransitionView::PaintMessage() {
    if (painting_.exchange(true)) return;  // a paint inside a paint is dropped
    try {
        Paint();
    } catch (...) {
        frameEvent_.SetEvent();
        painting_ = false;
        throw;
    }
    frameEvent_.SetEvent();
    painting_ = false;
}

void TCustomTransitionView::Paint() {
    const TRect client = ClientRect();
    paintBuffer_.SetSize(client.Width(), client.Height());
    TCanvas& buffer = paintBuffer_.Canvas();
    buffer.Lock();
    try {
        // Only the area being painted changes; the rest of the buffer is still what it showed.
        const TRegion area = CreateRectRgn(PaintRect().Left, PaintRect().Top, PaintRect().Right, PaintRect().Bottom);
        SelectClipRgn(buffer, &area);
        buffer.Brush.Color = EffectiveColor();
        buffer.FillRect(client);
        if (const TGraphic* background = bgPicture_.Graphic()) {
            switch (bgMode_) {
                case bmTiled: TileDraw(buffer, client, *background); break;
                case bmStretched: buffer.StretchDraw(client, *background); break;
                case bmCentered:
                    buffer.Draw((client.Width() - background->Width()) / 2, (client.Height() - background->Height()) / 2,
                                *background);
                    break;
                case bmNone: break;
            }
        }
        TCanvas& screen = screenBitmap_->Canvas();
        screen.Lock();
        try {
            if (!screenBitmap_->Empty()) {
                const TRect placed = PictureRect();
                if (!stretch_) buffer.Draw(placed.Left, placed.Top, *screenBitmap_);
                else buffer.StretchDraw(stretchFine_ ? FitRect(placed, client) : client, *screenBitmap_);
            }
        } catch (...) {
            screen.Unlock();
            throw;
        }
        screen.Unlock();
        SelectClipRgn(buffer, nullptr);
        Canvas().Draw(0, 0, paintBuffer_);
    } catch (...) {
        SelectClipRgn(buffer, nullptr);
        buffer.Unlock();
        throw;
    }
    buffer.Unlock();
}

}  // namespace pellumo
