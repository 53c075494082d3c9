#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "base/exceptions.h"

namespace pellumo {

// Data a decompressor cannot make sense of (an LZW code the table does not have, a deflate
// stream zlib refuses), with the decoder's own message.
class EDecompressionError : public Exception {
public:
    using Exception::Exception;
};

// The packed bytes a decoder may read, and the buffer it may fill. A decoder never reads or
// writes past either end, whatever the data says: it stops there. A decoder that hands back
// its advanced position does so by dropping the bytes it consumed from the front of the span.
using TPackedBytes = std::span<const std::uint8_t>;
using TUnpackedBytes = std::span<std::uint8_t>;

// The common face of the decompressors: a reader picks one by the scheme its file names and
// drives it the same way whatever the scheme: BeginDecoding, DecodeBlock once per block (a
// row, a strip or the whole image, as the format has it), EndDecoding.
class TDecoder {
public:
    virtual ~TDecoder() = default;

    // `packedSize` is the count of packed bytes the block holds and `unpackedSize` the count of
    // units the caller expects; each decoder says which of the two it goes by.
    virtual void DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                             std::int32_t unpackedSize) = 0;
    virtual void EndDecoding() {}
    virtual void BeginDecoding() {}
    // Packs `count` units of the source into dest; `bytesStored` tells how many bytes it wrote.
    // Only the encoders the writers need do anything.
    virtual void EncodeBlock(std::span<const std::uint8_t> source, TUnpackedBytes dest, std::uint32_t count,
                             std::uint32_t& bytesStored) = 0;
};

}  // namespace pellumo
