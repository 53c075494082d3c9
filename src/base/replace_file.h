#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace pellumo {

// Writes the bytes as the file's new contents through a temporary file beside it, which takes
// the file's place only once it is complete and on disk: a failed write (a full disk, a folder
// that cannot be written) leaves an existing file as it was and no temporary behind. Raises
// EFCreateError naming the file when it cannot be created or replaced, EWriteError when the
// bytes cannot be written. A replaced file keeps its permissions.
void WriteFileReplacing(const std::string& fileName, std::span<const std::uint8_t> bytes);

}  // namespace pellumo
