#include "base/replace_file.h"

#include <sys/stat.h>

#include "base/exceptions.h"
#include "base/temporary_file.h"

namespace pellumo {

void WriteFileReplacing(const std::string& fileName, std::span<const std::uint8_t> bytes) {
    struct stat existing {};
    const bool replacing = ::stat(fileName.c_str(), &existing) == 0;
    if (replacing && !S_ISREG(existing.st_mode)) throw EFCreateError(fileName);

    TTemporaryFile temporary(fileName);
    temporary.Write(bytes);
    temporary.Commit(replacing ? (existing.st_mode & 07777) : NewFileMode());
}

}  // namespace pellumo
