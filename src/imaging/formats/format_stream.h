#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/stream.h"

namespace pellumo {

// Reads exactly `count` bytes; a file that ends first raises EInvalidGraphic
// "Stream read error in <formatName> file.", so that truncation is never read as pixels.
void ReadExactly(TStream& stream, void* buffer, std::size_t count, std::string_view formatName);

// The bytes between the stream's position and its end, for bounding what a header may make
// us allocate before anything is read.
std::uint64_t BytesLeft(TStream& stream);

}  // namespace pellumo
