#include "platform/custom_control.h"

#include <cmath>

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
    TRect box = rects.front();
    for (const TRect& r : rects) {
        box.Left = std::min(box.Left, r.Left);
        box.Top = std::min(box.Top, r.Top);
        box.Right = std::max(box.Right, r.Right);
        box.Bottom = std::max(box.Bottom, r.Bottom);
    }
    return box;
}

}  // namespace

void TWindowCanvas::Draw(int x, int y, const TBitmap& bitmap) {
    if (bitmap.Empty()) return;
    if (BitsPerPixel(bitmap.PixelFormat()) == 32) {
        // 32-bit rows are what the screen takes: shown in place, without a copy.
        QImage image(bitmap.ScanLine(0), bitmap.Width(), bitmap.Height(), static_cast<qsizetype>(bitmap.RowBytes()),
                     QImage::Format_RGB32);
        image.setDevicePixelRatio(pixelRatio_);
        painter_.drawImage(QPointF(x / pixelRatio_, y / pixelRatio_), image);
        return;
    }
    TBitmap converted;
    converted.Assign(bitmap);
    converted.SetPixelFormat(pfDevice);
    Draw(x, y, converted);
}

TCustomControl::TCustomControl(TWinControl* parent) : TWinControl(parent) {
    Widget()->setAttribute(Qt::WA_OpaquePaintEvent);  // it paints every pixel itself
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
    {
        std::lock_guard guard(pendingLock_);
        pending_.clear();
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
    TWindowCanvas canvas(painter, ratio);
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
