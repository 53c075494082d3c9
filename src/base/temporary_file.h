#pragma once

#include <sys/types.h>

#include <cstdint>
#include <span>
#include <string>

namespace pellumo {

// A file written beside its final name, which it takes only once complete. Until then the
// destructor removes it, and so does an interrupting signal (SIGINT, SIGTERM, SIGHUP) in a
// program that has called RemoveTemporaryFilesOnSignals: Ctrl+C leaves nothing behind.
class TTemporaryFile {
public:
    // Creates an empty hidden file in the target's folder, so that the final rename stays on
    // one file system. Raises EFCreateError naming the target when it cannot.
    explicit TTemporaryFile(const std::string& target);
    ~TTemporaryFile();
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;

    const std::string& Path() const { return path_; }

    // Appends the bytes; raises EWriteError.
    void Write(std::span<const std::uint8_t> bytes);

    // Puts the file's bytes on disk, gives it the permissions and the target's name. Raises
    // EWriteError when the bytes cannot be flushed, EFCreateError when the target cannot be
    // replaced (the temporary file is then removed).
    void Commit(mode_t mode);

private:
    std::string target_;
    std::string path_;
    int fd_ = -1;
    int slot_ = -1;
    bool committed_ = false;
};

// Installs the handlers that remove the temporary files of a program interrupted by SIGINT,
// SIGTERM or SIGHUP, then let the signal end it as it would have.
void RemoveTemporaryFilesOnSignals();

// What a new file's permissions are: read and write as the process's mask lets through.
mode_t NewFileMode();

}  // namespace pellumo
