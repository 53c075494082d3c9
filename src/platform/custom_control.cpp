#include "platform/custom_control.h"

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
        const QImage image(bitmap.ScanLine(0), bitmap.Width(), bitmap.Height(), static_cast<qsizetype>(bitmap.RowBytes()),
                           QImage::Format_RGB32);
        painter_.drawImage(x, y, image);
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
    for (const TRect& r : pending_) Widget()->update(r.Left, r.Top, r.Width(), r.Height());
    flushPosted_ = false;
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
            for (const TRect& r : pending_) region += QRect(r.Left, r.Top, r.Width(), r.Height());
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
    const QRect area = painter.clipBoundingRect().toAlignedRect();
    paintRect_ = area.isEmpty() ? TRect{0, 0, Width(), Height()}
                                : TRect{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
    TWindowCanvas canvas(painter);
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
