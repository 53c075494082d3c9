#include "player/frame_log.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/stopwatch.h"

namespace pellumo {

std::unique_ptr<TFrameLog> TFrameLog::FromEnvironment() {
    const char* path = std::getenv("PELLUMO_FRAME_LOG");
    if (path == nullptr || *path == '\0') return nullptr;
    std::FILE* file = std::fopen(path, "a");
    if (file == nullptr) {
        std::fprintf(stderr, "PELLUMO_FRAME_LOG : %s : fichier impossible à ouvrir (%s)\n", path, std::strerror(errno));
        return nullptr;
    }
    return std::unique_ptr<TFrameLog>(new TFrameLog(file));
}

TFrameLog::~TFrameLog() { std::fclose(file_); }

void TFrameLog::Write(int style, int progress, const TFrameTimes& times) {
    std::lock_guard guard(lock_);
    std::fprintf(file_, "%.3f %d %d %d %.3f %.3f\n", MonotonicMilliseconds(), slide_.load(), style, progress, times.composeMs,
                 times.paintMs);
    // Written out at once: a show that stutters may well be ended the hard way.
    std::fflush(file_);
}

}  // namespace pellumo
