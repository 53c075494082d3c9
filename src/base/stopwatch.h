#pragma once

#include <chrono>

namespace pellumo {

// Milliseconds on the monotonic clock, with the fraction: for timing and for logs that are
// compared with each other, never with the time of day.
inline double MonotonicMilliseconds() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The time since it was made, on the monotonic clock.
class TStopwatch {
public:
    double Milliseconds() const { return MonotonicMilliseconds() - start_; }

private:
    double start_ = MonotonicMilliseconds();
};

}  // namespace pellumo
