#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "imaging/compression/decoder.h"

namespace pellumo {

// One node of a run-length code tree: the next node for a 0 bit and for a 1 bit (0: none, so
// that a node without the child for the bit read is a leaf) and the run length of the code that
// ends here (-1 for an end-of-line code, 0 for an inner node).
struct TStateEntry {
    std::int32_t Next[2];
    std::int32_t RunLength;
};
using TStateArray = std::vector<TStateEntry>;

// Bilevel fax data coded one-dimensionally with the run-length codes of ITU-T T.4, decoded to
// one bit per pixel, most significant bit first, black = 1, each row padded to whole bytes.
// Rows start white. DecodeBlock decodes `packedSize` bytes (at most the source's) into
// `unpackedSize` bytes (at most the target's), which it zero-fills first; the spans come back
// as they were given. Malformed data is never reported: a run longer than the rest of its row
// is cut at the row's end, so that the rows after it stay in place; decoding stops when the
// packed bytes run out or the target is full. Two-dimensional coding is not decoded: a reader
// refuses such data.
class TCCITTDecoder : public TDecoder {
public:
    void DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                     std::int32_t unpackedSize) override;
    void EncodeBlock(std::span<const std::uint8_t>, TUnpackedBytes, std::uint32_t, std::uint32_t&) override {}

    std::uint32_t Options() const { return options_; }
    const TStateArray& WhiteTree() const { return whiteTree_; }
    const TStateArray& BlackTree() const { return blackTree_; }

protected:
    // How rows end besides being full: at an end-of-line code, and whether the next row's codes
    // start on a byte boundary. `options`: the T.4 options word, kept for the caller;
    // `swapBits`: the packed bytes have their least significant bit first; `width`: pixels
    // per row.
    struct TRowRules {
        bool EndOfLineEndsRow;
        bool RowsStartOnByteBoundary;
    };
    TCCITTDecoder(std::uint32_t options, bool swapBits, std::uint32_t width, TRowRules rules);

private:
    // Where a walk down a code tree from its root ends: the run of the node reached and the
    // bits it took; Complete is false where the bits ran out first.
    struct TStep {
        std::int16_t RunLength;
        std::uint8_t Bits;
        bool Complete;
    };
    static constexpr std::uint32_t kLookupBits = 12;
    using TLookup = std::array<TStep, 1u << kLookupBits>;
    class TBitWindow;

    static TStep Walk(const TStateArray& tree, std::uint32_t window, std::uint32_t available);
    static TLookup BuildLookup(const TStateArray& tree);
    // Reads one code with the tree of the current colour; returns the run it gives (make-up
    // codes summed with the terminating code after them), or -1 for an end of line.
    static std::int64_t ReadCode(TBitWindow& bits, const TStateArray& tree, const TLookup& lookup);

    std::uint32_t options_;
    bool swapBits_;
    TRowRules rules_;
    TStateArray whiteTree_;
    TStateArray blackTree_;
    TLookup whiteLookup_;
    TLookup blackLookup_;
    std::uint32_t width_;
    std::size_t rowBytes_;
    std::vector<std::uint8_t> reversed_;  // the packed bytes turned around, for swapBits
};

// TIFF compression 3, one-dimensional: rows end when they are full or at an end-of-line code.
class TCCITTFax3Decoder : public TCCITTDecoder {
public:
    TCCITTFax3Decoder(std::uint32_t options, bool swapBits, std::uint32_t width)
        : TCCITTDecoder(options, swapBits, width, {.EndOfLineEndsRow = true, .RowsStartOnByteBoundary = false}) {}
};

// TIFF compression 2 (modified Huffman): no end-of-line codes, each row's codes start on a
// byte boundary.
class TCCITTMHDecoder : public TCCITTDecoder {
public:
    TCCITTMHDecoder(std::uint32_t options, bool swapBits, std::uint32_t width)
        : TCCITTDecoder(options, swapBits, width, {.EndOfLineEndsRow = false, .RowsStartOnByteBoundary = true}) {}
};

}  // namespace pellumo
