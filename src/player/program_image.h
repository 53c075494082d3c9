#pragma once

#include <cstdint>

#include "base/stream.h"

namespace pellumo {

// Where the program at the start of the stream ends: the furthest byte reached by its ELF
// header (64-bit, little-endian), its program header table and every program header's file
// range, and its section header table. A show appended to the program starts there or later.
// A stream that does not start with an ELF header holds no program: 0. An ELF file of another
// kind counts its identification only. A table or range that does not lie inside the stream
// is damage and counts for nothing, so a damaged header never hides the show after it. Reads
// stay inside the stream, and the work is bounded by the number of program headers that fit.
std::int64_t ProgramImageEnd(TStream& stream);

}  // namespace pellumo
