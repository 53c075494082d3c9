#pragma once

#include <memory>
#include <mutex>
#include <optional>

#include "base/color.h"
#include "raster/rect.h"
#include "raster/region.h"

namespace pellumo {

class TBitmap;
class TGraphic;

enum TBrushStyle { bsSolid, bsClear };
enum TPenStyle { psSolid, psDash, psClear };

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
};

struct TPen {
    TColor Color = clBlack;
    TPenStyle Style = psSolid;
};

// The drawing surface of one bitmap. Every operation honours the clip region and the
// bitmap's edges, draws any source format onto the bitmap's format and tells the bitmap it
// changed. The lock is for callers that share a bitmap between threads; drawing itself does
// not take it.
class TCanvas {
public:
    explicit TCanvas(TBitmap& bitmap) : bitmap_(bitmap) {}
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // Mutual exclusion per canvas, re-entrant within a thread.
    void Lock() { lock_.lock(); }
    void Unlock() { lock_.unlock(); }
    bool TryLock() { return lock_.try_lock(); }

    TBitmap& Bitmap() const { return bitmap_; }

    TBrush Brush;
    TPen Pen;

    // Fills with the brush colour.
    void FillRect(const TRect& rect);
    // A one-pixel border just inside the rectangle, in the brush colour.
    void FrameRect(const TRect& rect);
    // The rectangle filled with the brush (unless clear) and outlined with the pen: solid,
    // dashed (18 pixels on, 6 off, clockwise from the top-left corner) or none.
    void Rectangle(int left, int top, int right, int bottom);

    // The graphic at its own size with its top-left corner at (x, y).
    void Draw(int x, int y, const TGraphic& graphic);
    // The graphic stretched into the rectangle, each target pixel taking one source pixel.
    void StretchDraw(const TRect& rect, const TGraphic& graphic);
    // The source canvas's rectangle onto this one's, stretched when the sizes differ; a target
    // rectangle with its edges swapped mirrors that axis.
    void CopyRect(const TRect& target, const TCanvas& source, const TRect& sourceRect);

    // A copy of the region clips all later drawing; nullptr removes clipping.
    void SetClipRegion(const TRegion* region);
    const TRegion* ClipRegion() const { return clip_ ? &*clip_ : nullptr; }

private:
    friend void StretchBlt(TCanvas&, int, int, int, int, const TCanvas&, int, int, int, int);
    void Changed();

    TBitmap& bitmap_;
    std::recursive_mutex lock_;
    std::optional<TRegion> clip_;
};

// Stretched block copy (the only raster operation used is a plain copy). A negative extent
// mirrors that axis; see StretchBlit.
void StretchBlt(TCanvas& target, int x, int y, int width, int height, const TCanvas& source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight);

inline void SelectClipRgn(TCanvas& canvas, const TRegion* region) { canvas.SetClipRegion(region); }

// Holds a canvas's lock for the rest of the scope, however the scope ends.
class TCanvasLock {
public:
    explicit TCanvasLock(TCanvas& canvas) : canvas_(&canvas) { canvas_->Lock(); }
    ~TCanvasLock() { Release(); }
    TCanvasLock(const TCanvasLock&) = delete;
    TCanvasLock& operator=(const TCanvasLock&) = delete;

    // Unlocks before the end of the scope.
    void Release() {
        if (canvas_ != nullptr) canvas_->Unlock();
        canvas_ = nullptr;
    }

private:
    TCanvas* canvas_;
};

}  // namespace pellumo
