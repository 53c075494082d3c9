#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/stream.h"
#include "player/portable_sections.h"

namespace pellumo {

struct TUnpackedFile {
    std::string path;  // inside the folder
    std::int64_t size = 0;
};

// Unpacks the runtime a show carries into `folder`, an empty folder that exists: every file is
// on disk (fsync) when this returns, and the list says what was written. Raises
// EDamagedRuntime when the section's bytes are not one zstd-compressed ustar archive of at
// most its unpacked size (4 GiB at most), ECacheError when the folder cannot take the files.
std::vector<TUnpackedFile> UnpackRuntime(TStream& show, const TRuntimeSection& runtime, const std::string& folder);

}  // namespace pellumo
