#include "platform/notify_window.h"

#include <QCoreApplication>
#include <QObject>

#include "platform/application.h"

namespace pellumo {

TNotifyWindow::TNotifyWindow() : receiver_(std::make_unique<QObject>()) {}

TNotifyWindow::~TNotifyWindow() = default;

void TNotifyWindow::Post(std::function<void()> message) {
    QMetaObject::invokeMethod(
        receiver_.get(), [message = std::move(message)] { RunHandler(message); }, Qt::QueuedConnection);
}

void TNotifyWindow::ProcessMessages() { QCoreApplication::sendPostedEvents(receiver_.get(), QEvent::MetaCall); }

}  // namespace pellumo
