#include "platform/timer.h"

#include <QTimer>

#include "platform/application.h"

namespace pellumo {

TTimer::TTimer() : timer_(std::make_unique<QTimer>()) {
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_.get(), &QTimer::timeout, [this] {
        RunHandler([this] {
            if (OnTimer) OnTimer(this);
        });
    });
    Restart();
}

TTimer::~TTimer() = default;

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Restart();
}

void TTimer::SetInterval(unsigned interval) {
    if (interval == interval_) return;
    interval_ = interval;
    Restart();
}

void TTimer::Restart() {
    timer_->stop();
    if (enabled_ && interval_ > 0) timer_->start(static_cast<int>(std::min(interval_, 0x7FFFFFFFu)));
}

}  // namespace pellumo
