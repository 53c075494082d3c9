#include "platform/custom_control.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <QCoreApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QThread>
#include <QWidget>

#include "platform/application.h"
#include "raster/bitmap.h"

namespace pellumo {
namespace {

bool OnUserInterfaceThread(const QWidget* widget) { return QThread::currentThread() == widget->thread(); }

// More pending rectangles than this are merged into their bounding box.
constexpr std::size_t kMaxPendingRects = 64;

TRect BoundingBox(const std::vector<TRect>& rects) {
    TRect box;
    for (const TRect& r : rects) box = UnionRect(box, r);
    return box;
}

}  // namespace

// Notes the area of each paint event on its way to the widget: the painter of a paint event
// carries no clip of its own, so the event is the only place that says what gets painted.
class PaintAreaFilter : public QObject {
public:
    explicit PaintAreaFilter(QObject* parent) : QObject(parent) {}
    // The area of the paint under way (empty if none was noted), once.
    QRegion Take() { return std::exchange(area_, QRegion()); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) area_ = static_cast<QPaintEvent*>(event)->region();
        return false;
    }

private:
    QRegion area_;
};

void TWindowCanvas::Draw(int x, int y, const TBitmap& bitmap) {
    Draw(x, y, bitmap, TRect{0, 0, bitmap.Width(), bitmap.Height()});
}

void TWindowCanvas::Draw(int x, int y, const TBitmap& bitmap, const TRect& source) {
    if (BitsPerPixel(bitmap.PixelFormat()) != 32) {
        TBitmap converted;
        converted.Assign(bitmap);
        converted.SetPixelFormat(pfDevice);
        Draw(x, y, converted, source);
        return;
    }
    TRect part;
    if (!IntersectRect(part, source, TRect{0, 0, bitmap.Width(), bitmap.Height()})) return;
    // 32-bit rows are what the screen takes: shown in place, without a copy.
    QImage image(bitmap.ScanLine(part.Top) + static_cast<std::size_t>(part.Left) * 4, part.Width(), part.Height(),
                 static_cast<qsizetype>(bitmap.RowBytes()), QImage::Format_RGB32);
    image.setDevicePixelRatio(pixelRatio_);
    x += part.Left - source.Left;
    y += part.Top - source.Top;
    const QPointF at(x / pixelRatio_, y / pixelRatio_);
    const QRegion reached = painted_.intersected(QRectF(at, image.deviceIndependentSize()).toAlignedRect());
    if (reached.rectCount() <= 1) {
        painter_.drawImage(at, image);
        return;
    }
    // Through a clip of several rectangles Qt blends span by span and shares the spans out over
    // its threads; clipped to one rectangle at a time, each is a plain copy of rows.
    for (const QRect& rect : reached) {
        painter_.setClipRect(rect);
        painter_.drawImage(at, image);
    }
    painter_.setClipping(false);
}

TCustomControl::TCustomControl(TWinControl* parent)
    : TWinControl(parent), paintArea_(new PaintAreaFilter(Widget())) {
    Widget()->setAttribute(Qt::WA_OpaquePaintEvent);  // it paints every pixel itself
    Widget()->installEventFilter(paintArea_);
}

void TCustomControl::InvalidateRect(const TRect& rect) {
    if (IsRectEmpty(rect)) return;
    bool post = false;
    {
        std::lock_guard guard(pendingLock_);
        pending_.push_back(rect);
        if (pending_.size() > kMaxPendingRects) pending_.assign(1, BoundingBox(pending_));
        post = !flushPosted_;
        flushPosted_ = true;
    }
    if (!post) return;
    if (OnUserInterfaceThread(Widget())) {
        FlushInvalidations();
    } else {
        QMetaObject::invokeMethod(Widget(), [this] { FlushInvalidations(); }, Qt::QueuedConnection);
    }
}

void TCustomControl::FlushInvalidations() {
    std::lock_guard guard(pendingLock_);
    for (const TRect& r : pending_) Widget()->update(LogicalRect(r));
    flushPosted_ = false;
}

QRect TCustomControl::LogicalRect(const TRect& rect) const {
    const double ratio = PixelRatio();
    const int left = static_cast<int>(std::floor(rect.Left / ratio));
    const int top = static_cast<int>(std::floor(rect.Top / ratio));
    const int right = static_cast<int>(std::ceil(rect.Right / ratio));
    const int bottom = static_cast<int>(std::ceil(rect.Bottom / ratio));
    return QRect(left, top, right - left, bottom - top);
}

bool TCustomControl::HasPendingUpdate() const {
    std::lock_guard guard(pendingLock_);
    return !pending_.empty();
}

void TCustomControl::Update() {
    QWidget* widget = Widget();
    if (OnUserInterfaceThread(widget)) {
        QRegion region;
        {
            std::lock_guard guard(pendingLock_);
            for (const TRect& r : pending_) region += LogicalRect(r);
            // A hidden window paints nothing; what it had pending is no longer owed.
            pending_.clear();
        }
        if (!region.isEmpty()) widget->repaint(region);
        return;
    }
    QMetaObject::invokeMethod(widget, [this] { Update(); }, Qt::BlockingQueuedConnection);
}

void TCustomControl::ServeRepaintRequests() { QCoreApplication::sendPostedEvents(Widget(), QEvent::MetaCall); }

void TCustomControl::PaintWidget(QPainter& painter) {
    // What no paint can reach (outside the control, or hidden by its parent or by opaque
    // siblings) is owed to nobody.
    const QRegion reachable = Widget()->visibleRegion();
    QRegion painted = paintArea_->Take();
    if (painted.isEmpty()) painted = reachable;  // no event noted: take it for the whole control
    {
        // Only what this paint covers whole is settled: a rectangle invalidated meanwhile
        // elsewhere, or covered in part, stays owed to its flush or to its thread's Update.
        // Settled now rather than after Paint, which may not have read what was invalidated
        // while it ran.
        std::lock_guard guard(pendingLock_);
        std::erase_if(pending_, [&](const TRect& r) {
            return QRegion(LogicalRect(r)).intersected(reachable).subtracted(painted).isEmpty();
        });
    }
    const double ratio = PixelRatio();
    const QRectF area = painter.clipBoundingRect();
    const TRect client{0, 0, ClientWidth(), ClientHeight()};
    if (area.isEmpty()) {
        paintRect_ = client;
    } else {
        const TRect covered{static_cast<int>(std::floor(area.left() * ratio)), static_cast<int>(std::floor(area.top() * ratio)),
                            static_cast<int>(std::ceil(area.right() * ratio)), static_cast<int>(std::ceil(area.bottom() * ratio))};
        IntersectRect(paintRect_, covered, client);
    }
    TWindowCanvas canvas(painter, ratio, painted);
    canvas_ = &canvas;
    try {
        PaintMessage();
    } catch (...) {
        canvas_ = nullptr;
        throw;
    }
    canvas_ = nullptr;
}

}  // namespace pellumo
