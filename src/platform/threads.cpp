#include "platform/threads.h"

#include <chrono>
#include <pthread.h>
#include <sys/resource.h>

namespace pellumo {
namespace {

// Lower priorities map to a higher nice value of the worker alone; raising it needs
// privileges a player does not have, so higher priorities stay normal.
int NiceValueOf(TThreadPriority priority) {
    switch (priority) {
        case tpIdle: return 19;
        case tpLowest: return 10;
        case tpLower: return 5;
        default: return 0;
    }
}

}  // namespace

TThread::~TThread() { WaitFor(); }

void TThread::Resume() {
    if (thread_.joinable() || finished_.load()) return;
    thread_ = std::thread([this] {
        if (const int nice = NiceValueOf(priority_); nice != 0) ::setpriority(PRIO_PROCESS, 0, nice);
        Execute();
        finished_.store(true);
    });
}

void TThread::WaitFor() {
    if (thread_.joinable()) thread_.join();
}

void TEvent::SetEvent() {
    {
        std::lock_guard guard(lock_);
        signalled_ = true;
    }
    changed_.notify_all();
}

void TEvent::ResetEvent() {
    std::lock_guard guard(lock_);
    signalled_ = false;
}

void TEvent::WaitFor() {
    std::unique_lock guard(lock_);
    changed_.wait(guard, [this] { return signalled_; });
}

std::uint32_t GetTickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void Sleep(std::uint32_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

}  // namespace pellumo
