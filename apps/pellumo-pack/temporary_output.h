#pragma once

#include <string>

namespace pellumo {

// A file under construction: a hidden file in the output's own folder, so the final rename
// stays on one file system and is atomic. Removed unless committed, so a failed or
// interrupted write leaves no output and no leftover.
class TTemporaryOutput {
public:
    explicit TTemporaryOutput(const std::string& output);
    ~TTemporaryOutput();
    TTemporaryOutput(const TTemporaryOutput&) = delete;
    TTemporaryOutput& operator=(const TTemporaryOutput&) = delete;

    const std::string& Path() const { return path_; }

    // Makes the file executable and gives it the output's name.
    void CommitExecutable();

private:
    std::string output_;
    std::string path_;
    bool committed_ = false;
};

}  // namespace pellumo
