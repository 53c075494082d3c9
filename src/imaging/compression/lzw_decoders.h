#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "imaging/compression/decoder.h"

namespace pellumo {

// Lempel-Ziv-Welch data of TIFF strips and GIF images. Each DecodeBlock call is one whole LZW
// stream: the table starts afresh. Decoding stops silently at the end code, when the packed
// bytes run out or when `unpackedSize` bytes (never more than dest holds) are written; a code
// the table does not have yet raises EDecompressionError with the decoder's message. Bytes of
// dest from where the data stops up to `unpackedSize` come back as 0. The spans come back as
// they were given. Whatever the codes, no table or dest is overrun and every string is cut at the
// output's end.
class TLZWDecoder : public TDecoder {
public:
    void EncodeBlock(std::span<const std::uint8_t>, TUnpackedBytes, std::uint32_t, std::uint32_t&) override {}

protected:
    static constexpr std::uint32_t kTableSize = 4096;
    static constexpr std::uint32_t kMaxCodeSize = 12;

    // `earlyChange`: 1 where the code widens one code early (TIFF), 0 where it does not (GIF).
    TLZWDecoder(std::uint32_t clearCode, std::uint32_t initialCodeSize, std::uint32_t earlyChange,
                std::string_view invalidMessage);

    // Decodes one whole stream, codes most significant bit first (TIFF) or least (GIF).
    template <bool MsbFirst>
    void Decode(TPackedBytes source, std::int32_t packedSize, TUnpackedBytes dest, std::int32_t unpackedSize);

    std::uint32_t clearCode_;
    std::uint32_t endCode_;
    std::uint32_t initialCodeSize_;

private:
    std::uint32_t earlyChange_;
    std::string_view invalidMessage_;
    // Each entry's string is already in the output, where the entry's prefix string was
    // written followed by one more byte: a long string is copied from there. The decoding
    // loop reads one small word per code, its head: the string's first bytes (the first
    // lowest) and, in the top byte, its length; a longer string's head says one more than it
    // holds, and a code with no string yet says 255. Nearly all strings of photographs, and
    // most of other pictures, are that short: most codes take one branch and one small read.
    // One slot past the table takes what a full table does not. Output positions fit 32 bits:
    // the output is at most 2^31 bytes.
    struct TString {
        std::uint32_t Start;
        std::uint32_t Length;
    };
    std::array<std::uint64_t, kTableSize + 1> heads_{};
    std::array<TString, kTableSize + 1> strings_{};
};

// TIFF compression 5: 8-bit alphabet, codes most significant bit first, starting at 9 bits and
// widening one code early (after code 510 is assigned the next code has 10 bits).
class TTIFFLZWDecoder : public TLZWDecoder {
public:
    TTIFFLZWDecoder();
    void DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                     std::int32_t unpackedSize) override;
};

// GIF image data: alphabet of 2^initialCodeSize symbols, codes least significant bit first,
// widening after code 2^n - 1 is assigned. Initial sizes outside 1..11 cannot address the table
// and raise "GIF LZW: invalid code size." on DecodeBlock.
class TGIFLZWDecoder : public TLZWDecoder {
public:
    explicit TGIFLZWDecoder(std::uint8_t initialCodeSize);
    void DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                     std::int32_t unpackedSize) override;
};

}  // namespace pellumo
