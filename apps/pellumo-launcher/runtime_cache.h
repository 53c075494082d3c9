#pragma once

#include <string>

#include "base/stream.h"
#include "player/portable_sections.h"

namespace pellumo {

// Where portable shows unpack what they carry: $XDG_CACHE_HOME/pellumo when that is an
// absolute path, else ~/.cache/pellumo. Raises ECacheError when no home folder is known.
std::string CacheFolder();

// The folder of the show's runtime in the cache, <cache>/<key>, unpacked first when it is not
// there whole. A folder counts as whole when its list of files, written last, names files of
// the listed sizes; anything less (a start cut short, a file lost or cut since) is unpacked
// again. Unpacking happens in a temporary folder beside it that is then renamed into place, so
// that two shows starting at once each unpack and the second uses the first one's. Raises
// ECacheError (the cache cannot be written, or lacks the room) or EDamagedRuntime.
std::string ReadyRuntime(const std::string& cache, TStream& show, const TRuntimeSection& runtime);

// The music the show carries, as <cache>/music/<key>/<name>, written first when missing.
// Raises ECacheError.
std::string ReadyMusic(const std::string& cache, TStream& show, const TCarriedMusic& music);

}  // namespace pellumo
