#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace pellumo {

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// A worker created suspended: it runs Execute once resumed, and ends when Execute returns.
// Terminate only asks; Execute is expected to look at Terminated.
class TThread {
public:
    TThread() = default;
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Best effort: the platform may not honour it for an unprivileged process.
    void SetPriority(TThreadPriority priority) { priority_ = priority; }
    void Resume();
    void Terminate() { terminated_.store(true); }
    bool Terminated() const { return terminated_.load(); }
    // Waits until Execute has returned (at once if the thread never started).
    void WaitFor();
    bool Finished() const { return finished_.load(); }
    // Resume was called (the body has run, runs or will run).
    bool Resumed() const { return thread_.joinable() || finished_.load(); }

protected:
    virtual void Execute() = 0;

private:
    std::thread thread_;
    TThreadPriority priority_ = tpNormal;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
};

// A manual-reset event: it stays signalled until reset.
class TEvent {
public:
    explicit TEvent(bool signalled) : signalled_(signalled) {}
    void SetEvent();
    void ResetEvent();
    void WaitFor();

private:
    std::mutex lock_;
    std::condition_variable changed_;
    bool signalled_;
};

// Milliseconds since some fixed point, wrapping at 32 bits; differences are taken unsigned.
std::uint32_t GetTickCount();
void Sleep(std::uint32_t milliseconds);

}  // namespace pellumo
