#pragma once

#include <mutex>
#include <vector>

#include "platform/control.h"
#include "raster/rect.h"

class QRect;
class QRegion;

namespace pellumo {

class TBitmap;
class PaintAreaFilter;

// The window's own surface while it paints, addressed in physical pixels.
class TWindowCanvas {
public:
    // `painted`: the area this paint covers, in logical pixels.
    TWindowCanvas(QPainter& painter, double pixelRatio, const QRegion& painted)
        : painter_(painter), pixelRatio_(pixelRatio), painted_(painted) {}
    // Draws the bitmap 1:1 onto the screen's pixels with its top-left corner at (x, y).
    void Draw(int x, int y, const TBitmap& bitmap);
    // Draws the source rectangle of the bitmap (clipped to the bitmap) 1:1 with its top-left
    // corner at (x, y): 32-bit rows are handed over in place.
    void Draw(int x, int y, const TBitmap& bitmap, const TRect& source);

private:
    QPainter& painter_;
    double pixelRatio_;
    const QRegion& painted_;
};

// A control that paints itself, in physical pixels: its client area, the rectangles it
// invalidates and the area it paints are all counted in the screen's own pixels. Other threads may invalidate parts of it and ask for those
// parts to be painted now (Update blocks them until the user-interface thread has painted);
// while the user-interface thread waits for such a thread it serves those requests with
// ServeRepaintRequests, so the two never wait on each other. A paint settles only the
// invalidated rectangles it covers whole, and settles them before Paint runs: whoever
// invalidates from another thread must do so once the content is in place, or while holding
// a lock that Paint takes to read it.
class TCustomControl : public TWinControl {
public:
    // The client area's size in physical pixels; user-interface thread.
    int ClientWidth() const { return ToPhysicalPixels(Width()); }
    int ClientHeight() const { return ToPhysicalPixels(Height()); }
    // Adds the rectangle (client coordinates) to the update region; any thread.
    void InvalidateRect(const TRect& rect);
    // The whole client area; user-interface thread.
    void Invalidate() override { InvalidateRect(TRect{0, 0, ClientWidth(), ClientHeight()}); }
    // Something was invalidated and not painted yet; any thread.
    bool HasPendingUpdate() const;
    // Paints the pending region now; from another thread, waits until it has been painted.
    void Update() override;
    // User-interface thread: runs the repaint requests other threads have sent this control.
    void ServeRepaintRequests();
    // The client rectangle being painted, during Paint.
    const TRect& PaintRect() const { return paintRect_; }

protected:
    explicit TCustomControl(TWinControl* parent);

    // The paint message: by default it calls Paint.
    virtual void PaintMessage() { Paint(); }
    virtual void Paint() {}
    // The window's canvas, valid during Paint.
    TWindowCanvas& Canvas() { return *canvas_; }

private:
    void PaintWidget(QPainter& painter) final;
    void FlushInvalidations();
    // The logical area that covers the physical rectangle.
    QRect LogicalRect(const TRect& rect) const;

    mutable std::mutex pendingLock_;
    std::vector<TRect> pending_;  // invalidated, not yet painted
    bool flushPosted_ = false;
    PaintAreaFilter* paintArea_;  // owned by the widget
    TWindowCanvas* canvas_ = nullptr;
    TRect paintRect_;
};

}  // namespace pellumo
