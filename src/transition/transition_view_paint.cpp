// Painting of the transition control: placement of the picture, the off-screen buffer,
// the background, and the mapping of changed picture areas to the screen.
#include <cmath>

#include "base/integer_math.h"
#include "base/stopwatch.h"
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

// Calls `fill` with each part of `area` outside `hole` (at most four rectangles).
template <typename Fill>
void ForEachPartOutside(const TRect& area, const TRect& hole, Fill fill) {
    TRect inside;
    if (!IntersectRect(inside, area, hole)) {
        fill(area);
        return;
    }
    const TRect parts[] = {{area.Left, area.Top, area.Right, inside.Top},
                           {area.Left, inside.Bottom, area.Right, area.Bottom},
                           {area.Left, inside.Top, inside.Left, inside.Bottom},
                           {inside.Right, inside.Top, area.Right, inside.Bottom}};
    for (const TRect& part : parts)
        if (!IsRectEmpty(part)) fill(part);
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
    CatchUpPaintBuffer();  // what it owes is placed where the picture was
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
    const TStopwatch paint;
    try {
        Paint();
        lastPaintMs_ = paint.Milliseconds();
    } catch (...) {
        frameEvent_.SetEvent();
        painting_ = false;
        throw;
    }
    frameEvent_.SetEvent();
    painting_ = false;
}

const TBitmap& TCustomTransitionView::PaintBuffer() {
    CatchUpPaintBuffer();
    return paintBuffer_;
}

void TCustomTransitionView::CatchUpPaintBuffer() {
    if (IsRectEmpty(unbufferedArea_)) return;
    const TRect placed = PictureRect();
    const TRect client = ClientRect();
    TCanvas& buffer = paintBuffer_.Canvas();
    const TCanvasLock bufferLock(buffer);
    paintBuffer_.SetSize(client.Width(), client.Height());
    TCanvas& screen = screenBitmap_->Canvas();
    const TCanvasLock screenLock(screen);
    TRect source = unbufferedArea_;
    OffsetRect(source, -placed.Left, -placed.Top);
    buffer.CopyRect(unbufferedArea_, screen, source);
    unbufferedArea_ = {};
}

void TCustomTransitionView::Paint() {
    const TRect area = PaintRect();
    const TRect placed = PictureRect();
    TCanvas& screen = screenBitmap_->Canvas();
    if (!stretch_ && !screenBitmap_->Empty() && ContainsRect(placed, area)) {
        // The picture covers all that is painted: straight from the screen bitmap. The buffer
        // catches up when something reads it (a transition's start takes the old display there).
        const TCanvasLock screenLock(screen);
        Canvas().Draw(area.Left, area.Top, *screenBitmap_,
                      TRect{area.Left - placed.Left, area.Top - placed.Top, area.Right - placed.Left,
                            area.Bottom - placed.Top});
        unbufferedArea_ = UnionRect(unbufferedArea_, area);
        return;
    }
    const TRect client = ClientRect();
    paintBuffer_.SetSize(client.Width(), client.Height());
    TCanvas& buffer = paintBuffer_.Canvas();
    buffer.Lock();
    try {
        // Only the area being painted changes; the rest of the buffer is still what it showed.
        const TRegion clip = CreateRectRgn(area.Left, area.Top, area.Right, area.Bottom);
        SelectClipRgn(buffer, &clip);
        screen.Lock();
        try {
            TRect pictureArea;  // where the picture goes: no background needed there
            if (!screenBitmap_->Empty()) pictureArea = !stretch_ ? placed : stretchFine_ ? FitRect(placed, client) : client;
            const TGraphic* background = bgMode_ == bmNone ? nullptr : bgPicture_.Graphic();
            buffer.Brush.Color = EffectiveColor();
            ForEachPartOutside(area, pictureArea, [&](const TRect& part) {
                buffer.FillRect(part);
                if (background == nullptr) return;
                const TRegion partClip = CreateRectRgn(part.Left, part.Top, part.Right, part.Bottom);
                SelectClipRgn(buffer, &partClip);
                DrawBackground(buffer, client, *background);
                SelectClipRgn(buffer, &clip);
            });
            if (!screenBitmap_->Empty()) {
                if (!stretch_) buffer.Draw(placed.Left, placed.Top, *screenBitmap_);
                else buffer.StretchDraw(pictureArea, *screenBitmap_);
            }
        } catch (...) {
            screen.Unlock();
            throw;
        }
        screen.Unlock();
        SelectClipRgn(buffer, nullptr);
        if (ContainsRect(area, unbufferedArea_)) unbufferedArea_ = {};
        Canvas().Draw(area.Left, area.Top, paintBuffer_, area);
    } catch (...) {
        SelectClipRgn(buffer, nullptr);
        buffer.Unlock();
        throw;
    }
    buffer.Unlock();
}

void TCustomTransitionView::DrawBackground(TCanvas& buffer, const TRect& client, const TGraphic& background) const {
    switch (bgMode_) {
        case bmTiled: TileDraw(buffer, client, background); break;
        case bmStretched: buffer.StretchDraw(client, background); break;
        case bmCentered:
            buffer.Draw((client.Width() - background.Width()) / 2, (client.Height() - background.Height()) / 2, background);
            break;
        case bmNone: break;
    }
}

}  // namespace pellumo
