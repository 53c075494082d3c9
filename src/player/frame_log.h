#pragma once

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "transition/transition_view.h"

namespace pellumo {

// One line per painted frame of a transition, for people who report stutter: the monotonic
// time in milliseconds, the slide's index, its style, the progress, and how long the frame
// took to compose and to paint (ms). Lines are appended, so runs follow one another in a file.
class TFrameLog {
public:
    // The log PELLUMO_FRAME_LOG names, or none when it is unset or empty. A file that cannot
    // be opened is said on stderr and the show plays without a log.
    static std::unique_ptr<TFrameLog> FromEnvironment();

    ~TFrameLog();
    TFrameLog(const TFrameLog&) = delete;
    TFrameLog& operator=(const TFrameLog&) = delete;

    // The slide whose transition the next lines are about.
    void SetSlide(int slide) { slide_ = slide; }
    // Any thread: frames are painted while the transition's worker waits.
    void Write(int style, int progress, const TFrameTimes& times);

private:
    explicit TFrameLog(std::FILE* file) : file_(file) {}

    std::mutex lock_;
    std::FILE* file_;
    std::atomic<int> slide_{-1};
};

}  // namespace pellumo
