#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "imaging/compression/decoder.h"
#include "imaging/formats/tiff_directory.h"

namespace pellumo {

namespace tiff_compression {
inline constexpr std::uint16_t kNone = 1;
inline constexpr std::uint16_t kModifiedHuffman = 2;
inline constexpr std::uint16_t kGroup3 = 3;
inline constexpr std::uint16_t kLZW = 5;
inline constexpr std::uint16_t kPackBits = 32773;
}  // namespace tiff_compression

// Where the strips of an image lie and how many rows of pixels each holds, the last strips
// cut to the image's height.
struct TTIFFStrips {
    std::vector<std::uint32_t> Offsets;
    std::vector<std::uint32_t> ByteCounts;  // may be empty for uncompressed data
    std::vector<std::uint32_t> Rows;
};

// Raises EInvalidGraphic with the invalid-format message where the geometry is undefined: no
// strip offsets, fewer byte counts than strips for compressed data, several strips without
// RowsPerStrip or with a RowsPerStrip of 0.
TTIFFStrips ReadStrips(const TTIFFDirectory& directory, std::uint32_t height, bool compressed);

// The decoder of a compression scheme (none for uncompressed data); raises EInvalidGraphic with
// "The compression scheme is not supported" for other schemes and for Group 3 data whose
// options announce two-dimensional coding or uncompressed mode, which are not decoded.
std::unique_ptr<TDecoder> MakeDecoder(const TTIFFDirectory& directory, std::uint16_t compression, std::uint32_t width);

// The most bytes `packed` bytes of a compression scheme can unpack to, in rows of `rowBytes`.
std::uint64_t LargestUnpacked(std::uint16_t compression, std::uint64_t packed, std::size_t rowBytes);

// The buffers the strips of an image are read into, one after another: reused, they stay in
// the cache instead of each strip taking fresh memory.
struct TStripBuffers {
    std::vector<std::uint8_t> Packed;
    std::vector<std::uint8_t> Unpacked;
};

// The unpacked bytes of one strip, in one of the buffers: `stripBytes` bytes, or fewer where the
// strip's data is shorter (its byte count or the file ends first) or could not give more when
// unpacked, so that a lying strip size cannot make us allocate beyond what its data may fill.
// Bytes the data does not reach are 0. A strip that starts outside the file is the format's
// read error.
std::span<std::uint8_t> ReadStrip(const TTIFFDirectory& directory, TDecoder* decoder, std::uint16_t compression,
                                  const TTIFFStrips& strips, std::size_t strip, std::size_t stripBytes,
                                  std::size_t rowBytes, TStripBuffers& buffers);

// Undoes horizontal differencing over one row of `width` pixels of `samples` samples of 8 or
// 16 bits (16-bit samples in the file's byte order).
void UndoHorizontalDifferencing(std::uint8_t* row, std::uint32_t width, std::uint32_t samples, std::uint32_t bits,
                                bool bigEndian);

}  // namespace pellumo
