#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "raster/bounded_reader.h"

namespace pellumo {

inline constexpr std::string_view kPSPFormatName = "PSP";

enum TPSPCompression : std::uint16_t { kUncompressed = 0, kRunLength = 1, kDeflate = 2 };

// How the channels of a Paint Shop Pro file's layers are stored: the file's compression and
// the shape of one plane.
struct TPSPChannelLayout {
    std::uint16_t Compression = kUncompressed;
    std::size_t RowSize = 0;  // bytes of one row of one plane
    std::size_t Rows = 0;
};

// Reads `compressedLength` bytes of channel data at the reader's position and returns the
// plane they hold: RowSize x Rows bytes, what the data leaves out 0. Data that cannot fill
// the plane (by the most its compression can give), or that does not inflate, raises
// EInvalidGraphic "Cannot load image. Compression error found in PSP file." before the plane
// is allocated; data the file does not hold raises the stream read error.
std::vector<std::uint8_t> ReadChannelPlane(TBoundedReader& reader, const TPSPChannelLayout& layout,
                                           std::uint32_t compressedLength);

}  // namespace pellumo
