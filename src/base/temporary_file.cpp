#include "base/temporary_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "base/exceptions.h"

namespace pellumo {
namespace {

// The signal handler may only touch memory that needs no allocation and no lock: fixed slots,
// each published by its flag once its path is in place. A program with more temporary files
// at once than slots still removes the others on its normal ways out.
constexpr std::size_t kSlots = 16;
constexpr std::size_t kMaxPath = 4096;
std::array<std::array<char, kMaxPath>, kSlots> slotPaths;
std::array<std::atomic<bool>, kSlots> slotClaimed;  // taken by a file
std::array<std::atomic<bool>, kSlots> slotUsed;     // its path is complete: the handler may read it

constexpr std::size_t kMaxHiddenName = 200;
constexpr int kInterruptingSignals[] = {SIGINT, SIGTERM, SIGHUP};  // leaves room for the dot and the random part

int Register(const std::string& path) {
    if (path.size() >= kMaxPath) return -1;
    for (std::size_t slot = 0; slot < kSlots; ++slot) {
        bool expected = false;
        if (!slotClaimed[slot].compare_exchange_strong(expected, true)) continue;
        std::memcpy(slotPaths[slot].data(), path.c_str(), path.size() + 1);
        slotUsed[slot].store(true);
        return static_cast<int>(slot);
    }
    return -1;
}

void Unregister(int slot) {
    if (slot < 0) return;
    slotUsed[static_cast<std::size_t>(slot)].store(false);
    slotClaimed[static_cast<std::size_t>(slot)].store(false);
}

extern "C" void RemoveTemporariesAndDie(int signal) {
    for (std::size_t slot = 0; slot < kSlots; ++slot)
        if (slotUsed[slot].load()) ::unlink(slotPaths[slot].data());
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

std::string TemporaryPattern(const std::string& target) {
    const std::filesystem::path path(target);
    const std::string name = path.filename().string();
    const std::string hidden = "." + (name.size() <= kMaxHiddenName ? name : std::string("pellumo")) + ".XXXXXX";
    return (path.parent_path().empty() ? std::filesystem::path(hidden) : path.parent_path() / hidden).string();
}

}  // namespace

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

TTemporaryFile::TTemporaryFile(const std::string& target) : target_(target), path_(TemporaryPattern(target)) {
    // A signal between making the file and registering it would leave it behind: held back
    // until the handler can find the file.
    sigset_t interrupting, previous;
    sigemptyset(&interrupting);
    for (const int signal : kInterruptingSignals) sigaddset(&interrupting, signal);
    ::pthread_sigmask(SIG_BLOCK, &interrupting, &previous);
    fd_ = ::mkostemp(path_.data(), O_CLOEXEC);
    if (fd_ >= 0) slot_ = Register(path_);
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (fd_ < 0) throw EFCreateError(target);
}

TTemporaryFile::~TTemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(path_.c_str());
    Unregister(slot_);
}

void TTemporaryFile::Write(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) throw EWriteError();
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
}

void TTemporaryFile::Commit(mode_t mode) {
    if (::fchmod(fd_, mode) != 0) throw EFCreateError(target_);
    const int fd = fd_;
    fd_ = -1;
    if (::fsync(fd) != 0) {
        ::close(fd);
        throw EWriteError();
    }
    if (::close(fd) != 0) throw EWriteError();
    if (::rename(path_.c_str(), target_.c_str()) != 0) throw EFCreateError(target_);
    committed_ = true;
}

void RemoveTemporaryFilesOnSignals() {
    for (const int signal : kInterruptingSignals) {
        struct sigaction action {};
        action.sa_handler = RemoveTemporariesAndDie;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace pellumo
