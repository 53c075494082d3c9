#pragma once

#include <memory>

#include "platform/object.h"

class QTimer;

namespace pellumo {

// Fires OnTimer every Interval milliseconds while enabled, on the user-interface thread. An
// interval of 0 never fires although the timer still counts as enabled. Changing Enabled or
// Interval to a new value starts a new phase; setting the same value changes nothing.
class TTimer : public TObject {
public:
    TTimer();
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned interval);

    TNotifyEvent OnTimer;

private:
    void Restart();

    std::unique_ptr<QTimer> timer_;
    bool enabled_ = true;
    unsigned interval_ = 1000;
};

}  // namespace pellumo
