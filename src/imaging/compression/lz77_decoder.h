#pragma once

#include <zlib.h>

#include "imaging/compression/decoder.h"

namespace pellumo {

// Inflates a zlib stream (two-byte header, deflate data, Adler-32; 32 KB window) that may be
// spread over many blocks: BeginDecoding once, DecodeBlock per block, EndDecoding once.
// DecodeBlock raises nothing; the caller reads LastResult (zlib's result codes: 1 stream end,
// 0 progress, negative on bad data), InputLeft and OutputLeft after each call.
class TLZ77Decoder : public TDecoder {
public:
    // `flushMode` is zlib's flush argument, passed to every inflate call.
    explicit TLZ77Decoder(int flushMode);
    ~TLZ77Decoder() override;
    TLZ77Decoder(const TLZ77Decoder&) = delete;
    TLZ77Decoder& operator=(const TLZ77Decoder&) = delete;

    // Inflates at most min(packedSize, source.size()) bytes into at most
    // min(unpackedSize, dest.size()) bytes; both spans lose what was consumed and filled.
    void DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                     std::int32_t unpackedSize) override;
    // Both raise EDecompressionError "LZ77 decompression error." when zlib refuses, including
    // ending a stream that was never begun.
    void EndDecoding() override;
    void BeginDecoding() override;
    // After BeginDecoding: the stream's Adler-32 is neither computed nor compared, for data
    // that a stronger check of its own has already vouched for. It costs a tenth of inflating.
    void SkipCheckValue();
    void EncodeBlock(std::span<const std::uint8_t>, TUnpackedBytes, std::uint32_t, std::uint32_t&) override {}

    int LastResult() const { return lastResult_; }
    int FlushMode() const { return flushMode_; }
    std::uint32_t InputLeft() const { return stream_.avail_in; }
    std::uint32_t OutputLeft() const { return stream_.avail_out; }

private:
    z_stream stream_{};
    int lastResult_ = Z_OK;
    int flushMode_;
    bool begun_ = false;
};

}  // namespace pellumo
