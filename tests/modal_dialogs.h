#pragma once

// Reaching a real modal dialog from a test: the dialog runs its own event loop, in which a
// polling timer finds it and acts as the person in front of it would.
#include <QApplication>
#include <QTimer>
#include <functional>

namespace pellumo {

// Acts on the dialog of that class once it is the modal one.
template <typename Dialog>
void WhenShown(std::function<void(Dialog&)> act) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        poll->stop();
        poll->deleteLater();
        act(*dialog);
    });
    poll->start(10);
}

}  // namespace pellumo
