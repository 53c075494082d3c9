#include "base/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "base/exceptions.h"

namespace pellumo {
namespace {

// The permissions a new file gets: what the process's mask lets through of read and write.
mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Removes the temporary file unless it has taken the target's place.
class TTemporaryFile {
public:
    explicit TTemporaryFile(std::string pattern) : path_(std::move(pattern)) { fd_ = ::mkstemp(path_.data()); }
    ~TTemporaryFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!kept_) ::unlink(path_.c_str());
    }
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;

    bool Opened() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    const std::string& Path() const { return path_; }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }
    void Keep() { kept_ = true; }

private:
    std::string path_;
    int fd_ = -1;
    bool kept_ = false;
};

void WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) throw EWriteError();
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
}

}  // namespace

void WriteFileReplacing(const std::string& fileName, std::span<const std::uint8_t> bytes) {
    struct stat existing {};
    const bool replacing = ::stat(fileName.c_str(), &existing) == 0;
    if (replacing && !S_ISREG(existing.st_mode)) throw EFCreateError(fileName);

    TTemporaryFile temporary(fileName + ".XXXXXX");
    if (!temporary.Opened()) throw EFCreateError(fileName);
    const mode_t mode = replacing ? (existing.st_mode & 07777) : NewFileMode();
    if (::fchmod(temporary.Descriptor(), mode) != 0) throw EFCreateError(fileName);
    WriteAll(temporary.Descriptor(), bytes);
    if (::fsync(temporary.Descriptor()) != 0 || !temporary.Close()) throw EWriteError();
    if (::rename(temporary.Path().c_str(), fileName.c_str()) != 0) throw EFCreateError(fileName);
    temporary.Keep();
}

}  // namespace pellumo
