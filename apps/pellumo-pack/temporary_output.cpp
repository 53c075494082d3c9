#include "temporary_output.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "base/exceptions.h"

namespace pellumo {

namespace fs = std::filesystem;

TTemporaryOutput::TTemporaryOutput(const std::string& output) : output_(output) {
    const fs::path folder = fs::path(output).parent_path();
    std::string pattern = ((folder.empty() ? fs::path(".") : folder) / ".pellumo-pack-XXXXXX").string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) throw EFCreateError(output);
    ::close(fd);
    path_ = pattern;
}

TTemporaryOutput::~TTemporaryOutput() {
    if (!committed_) ::unlink(path_.c_str());
}

void TTemporaryOutput::CommitExecutable() {
    std::error_code error;
    fs::permissions(path_, fs::perms(0755), fs::perm_options::replace, error);
    if (error || std::rename(path_.c_str(), output_.c_str()) != 0) throw EFCreateError(output_);
    committed_ = true;
}

}  // namespace pellumo
