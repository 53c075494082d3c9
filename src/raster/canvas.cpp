#include "raster/canvas.h"

#include <algorithm>

#include "raster/bitmap.h"
#include "raster/blit.h"

namespace pellumo {
namespace {

// Draws the graphic through `draw` as a bitmap, decoding other kinds first.
template <typename Draw>
void WithBitmapOf(const TGraphic& graphic, Draw&& draw) {
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&graphic)) {
        draw(*bitmap);
        return;
    }
    TBitmap converted;
    converted.Assign(graphic);
    draw(converted);
}

}  // namespace

void TCanvas::Changed() { bitmap_.Changed(); }

void TCanvas::FillRect(const TRect& rect) {
    FillPixels(bitmap_, ClipRegion(), rect, Brush.Color);
    Changed();
}

namespace {

void FrameWith(TBitmap& bitmap, const TRegion* clip, const TRect& rect, TColor color) {
    if (IsRectEmpty(rect)) return;
    FillPixels(bitmap, clip, {rect.Left, rect.Top, rect.Right, rect.Top + 1}, color);
    FillPixels(bitmap, clip, {rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom}, color);
    FillPixels(bitmap, clip, {rect.Left, rect.Top, rect.Left + 1, rect.Bottom}, color);
    FillPixels(bitmap, clip, {rect.Right - 1, rect.Top, rect.Right, rect.Bottom}, color);
}

// The outline walked clockwise from the top-left corner, the dash pattern running on around
// the corners; each dash piece along one side is filled as one rectangle.
void DashedFrame(TBitmap& bitmap, const TRegion* clip, const TRect& rect, TColor color) {
    constexpr int kDash = 18, kPeriod = 24;
    const int right = rect.Right - 1, bottom = rect.Bottom - 1;
    struct Side {
        int x, y, dx, dy, length;
    };
    const Side sides[4] = {
        {rect.Left, rect.Top, 1, 0, right - rect.Left},
        {right, rect.Top, 0, 1, bottom - rect.Top},
        {right, bottom, -1, 0, right - rect.Left},
        {rect.Left, bottom, 0, -1, bottom - rect.Top},
    };
    long step = 0;
    for (const Side& side : sides) {
        for (int i = 0; i < side.length;) {
            const int phase = static_cast<int>(step % kPeriod);
            const int run = std::min(side.length - i, phase < kDash ? kDash - phase : kPeriod - phase);
            if (phase < kDash) {
                const int x0 = side.x + side.dx * i, y0 = side.y + side.dy * i;
                const int x1 = side.x + side.dx * (i + run - 1), y1 = side.y + side.dy * (i + run - 1);
                FillPixels(bitmap, clip, {std::min(x0, x1), std::min(y0, y1), std::max(x0, x1) + 1, std::max(y0, y1) + 1},
                           color);
            }
            i += run;
            step += run;
        }
    }
    if (right == rect.Left || bottom == rect.Top)  // a line or a dot has no closed walk
        FillPixels(bitmap, clip, {right, bottom, right + 1, bottom + 1}, color);
}

}  // namespace

void TCanvas::FrameRect(const TRect& rect) {
    FrameWith(bitmap_, ClipRegion(), rect, Brush.Color);
    Changed();
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    const TRect rect{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    if (Brush.Style != bsClear) FillPixels(bitmap_, ClipRegion(), rect, Brush.Color);
    if (Pen.Style == psSolid) FrameWith(bitmap_, ClipRegion(), rect, Pen.Color);
    if (Pen.Style == psDash && !IsRectEmpty(rect)) DashedFrame(bitmap_, ClipRegion(), rect, Pen.Color);
    Changed();
}

void TCanvas::Draw(int x, int y, const TGraphic& graphic) {
    if (graphic.Empty()) return;
    WithBitmapOf(graphic, [&](const TBitmap& source) {
        StretchBlit(bitmap_, ClipRegion(), x, y, source.Width(), source.Height(), source, 0, 0, source.Width(),
                    source.Height());
    });
    Changed();
}

void TCanvas::StretchDraw(const TRect& rect, const TGraphic& graphic) {
    if (graphic.Empty()) return;
    WithBitmapOf(graphic, [&](const TBitmap& source) {
        StretchBlit(bitmap_, ClipRegion(), rect.Left, rect.Top, rect.Width(), rect.Height(), source, 0, 0,
                    source.Width(), source.Height());
    });
    Changed();
}

void TCanvas::CopyRect(const TRect& target, const TCanvas& source, const TRect& sourceRect) {
    StretchBlit(bitmap_, ClipRegion(), target.Left, target.Top, target.Width(), target.Height(), source.bitmap_,
                sourceRect.Left, sourceRect.Top, sourceRect.Width(), sourceRect.Height());
    Changed();
}

void TCanvas::SetClipRegion(const TRegion* region) {
    if (region == nullptr) {
        clip_.reset();
        return;
    }
    clip_ = *region;
    clip_->Bands();  // merge now, so that drawing only reads it
}

void StretchBlt(TCanvas& target, int x, int y, int width, int height, const TCanvas& source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight) {
    StretchBlit(target.bitmap_, target.ClipRegion(), x, y, width, height, source.bitmap_, sourceX, sourceY,
                sourceWidth, sourceHeight);
    target.Changed();
}

}  // namespace pellumo
