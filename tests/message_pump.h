#pragma once

#include <chrono>
#include <functional>
#include <thread>

#include "platform/application.h"

namespace pellumo {

// Runs the message loop until `done` holds or `seconds` have passed.
inline bool PumpUntil(const std::function<bool()>& done, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        Application->ProcessMessages();
        if (done()) return true;
        if (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >= seconds) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace pellumo
