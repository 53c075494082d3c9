#include "imaging/compression/lzw_decoders.h"

#include <algorithm>
#include <string>

#include "base/exceptions.h"

namespace pellumo {
namespace {

constexpr std::string_view kTIFFInvalidOpcode = "TIF LZW: invalid opcode.";
constexpr std::string_view kGIFInvalidOpcode = "GIF LZW: invalid opcode.";
constexpr std::string_view kGIFInvalidCodeSize = "GIF LZW: invalid code size.";
constexpr std::uint32_t kTIFFClearCode = 256;
constexpr std::uint32_t kTIFFCodeSize = 9;
constexpr std::uint32_t kGIFMinCodeSize = 1;
constexpr std::uint32_t kGIFMaxCodeSize = 11;

std::uint32_t MaskOf(std::uint32_t bits) { return (1u << bits) - 1; }

// The bytes the block may read and the most it may write, whatever the sizes claim.
std::size_t PackedLimit(const TPackedBytes& source, std::int32_t packedSize) {
    return std::min<std::size_t>(source.size(), static_cast<std::size_t>(std::max(packedSize, 0)));
}
std::size_t UnpackedLimit(const TUnpackedBytes& dest, std::int32_t unpackedSize) {
    return std::min<std::size_t>(dest.size(), static_cast<std::size_t>(std::max(unpackedSize, 0)));
}

}  // namespace

TLZWDecoder::TLZWDecoder(std::uint32_t clearCode, std::uint32_t initialCodeSize, std::string_view invalidMessage)
    : clearCode_(clearCode), endCode_(clearCode + 1), initialCodeSize_(initialCodeSize), invalidMessage_(invalidMessage) {}

void TLZWDecoder::StartStream() {
    for (std::uint32_t n = 0; n < clearCode_; ++n) {
        prefix_[n] = kNoCode;
        suffix_[n] = static_cast<std::uint8_t>(n);
        length_[n] = 1;
    }
    Reset();
}

void TLZWDecoder::Reset() {
    codeSize_ = initialCodeSize_;
    codeMask_ = MaskOf(codeSize_);
    nextFreeCode_ = clearCode_ + 2;
    previousCode_ = kNoCode;
}

bool TLZWDecoder::HandleCode(std::uint32_t code, TUnpackedBytes dest, std::size_t& written, std::size_t limit) {
    if (code > nextFreeCode_) throw Exception(std::string(invalidMessage_));
    if (previousCode_ == kNoCode) {
        // After a clear only a single byte can follow: a table code here would read an entry
        // of the previous stream, or one that would later point to itself.
        if (code >= clearCode_) throw Exception(std::string(invalidMessage_));
        firstCharacter_ = suffix_[code];
        dest[written++] = firstCharacter_;
        previousCode_ = code;
        return written < limit;
    }
    const std::uint32_t incoming = code;
    const bool notYetInTable = code == nextFreeCode_;
    // The string not yet in the table is the previous one plus its own first byte.
    const std::size_t length = notYetInTable ? length_[previousCode_] + 1u : length_[code];
    if (length <= limit - written) {
        // The whole string fits: written from its end straight into place, no stack between.
        std::uint8_t* out = dest.data() + written + length;
        if (notYetInTable) {
            *--out = firstCharacter_;
            code = previousCode_;
        }
        // Every entry's prefix is a smaller code, so the chain ends at a single byte.
        while (code > clearCode_) {
            *--out = suffix_[code];
            code = prefix_[code];
        }
        firstCharacter_ = suffix_[code];
        *--out = firstCharacter_;
        written += length;
    } else {
        std::size_t top = 0;
        if (notYetInTable) {
            stack_[top++] = firstCharacter_;
            code = previousCode_;
        }
        while (code > clearCode_ && top < kTableSize) {
            stack_[top++] = suffix_[code];
            code = prefix_[code];
        }
        firstCharacter_ = suffix_[code];
        if (top < kTableSize) stack_[top++] = firstCharacter_;
        // The string is cut where the output ends.
        while (top > 0 && written < limit) dest[written++] = stack_[--top];
    }
    // A full table takes no more strings until the next clear code.
    if (nextFreeCode_ < kTableSize) {
        prefix_[nextFreeCode_] = static_cast<std::uint16_t>(previousCode_);
        suffix_[nextFreeCode_] = firstCharacter_;
        length_[nextFreeCode_] = static_cast<std::uint16_t>(length_[previousCode_] + 1u);
        GrowTable();
    }
    previousCode_ = incoming;
    return written < limit;
}

TTIFFLZWDecoder::TTIFFLZWDecoder() : TLZWDecoder(kTIFFClearCode, kTIFFCodeSize, kTIFFInvalidOpcode) {}

void TTIFFLZWDecoder::GrowTable() {
    if (nextFreeCode_ < kTableSize) ++nextFreeCode_;
    if (nextFreeCode_ == codeMask_ && codeSize_ < kMaxCodeSize) {
        ++codeSize_;
        codeMask_ = MaskOf(codeSize_);
    }
}

void TTIFFLZWDecoder::DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                                  std::int32_t unpackedSize) {
    StartStream();
    const std::size_t packed = PackedLimit(source, packedSize);
    const std::size_t limit = UnpackedLimit(dest, unpackedSize);
    std::size_t written = 0;
    std::uint32_t accumulator = 0;
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < packed; ++i) {
        accumulator |= std::uint32_t{source[i]} << (24 - bits);
        bits += 8;
        while (bits >= codeSize_) {
            const std::uint32_t code = accumulator >> (32 - codeSize_);
            accumulator <<= codeSize_;
            bits -= codeSize_;
            if (code == endCode_ || written >= limit) return;
            if (code == clearCode_) {
                Reset();
                continue;
            }
            if (!HandleCode(code, dest, written, limit)) return;
        }
    }
}

TGIFLZWDecoder::TGIFLZWDecoder(std::uint8_t initialCodeSize)
    : TLZWDecoder(std::uint32_t{1} << std::min<std::uint32_t>(initialCodeSize, kGIFMaxCodeSize),
                  std::uint32_t{initialCodeSize} + 1u, kGIFInvalidOpcode) {}

void TGIFLZWDecoder::GrowTable() {
    if (nextFreeCode_ == codeMask_ && codeSize_ < kMaxCodeSize) {
        ++codeSize_;
        codeMask_ = MaskOf(codeSize_);
    }
    // Slot 4095 is filled too; after it the table is full.
    if (nextFreeCode_ < kTableSize) ++nextFreeCode_;
}

void TGIFLZWDecoder::DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                                 std::int32_t unpackedSize) {
    if (initialCodeSize_ < kGIFMinCodeSize + 1 || initialCodeSize_ > kGIFMaxCodeSize + 1)
        throw Exception(std::string(kGIFInvalidCodeSize));
    StartStream();
    const std::size_t packed = PackedLimit(source, packedSize);
    const std::size_t limit = UnpackedLimit(dest, unpackedSize);
    std::size_t written = 0;
    std::uint32_t accumulator = 0;
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < packed; ++i) {
        accumulator |= std::uint32_t{source[i]} << bits;
        bits += 8;
        while (bits >= codeSize_) {
            const std::uint32_t code = accumulator & codeMask_;
            accumulator >>= codeSize_;
            bits -= codeSize_;
            if (code == endCode_ || written >= limit) return;
            if (code == clearCode_) {
                Reset();
                continue;
            }
            if (!HandleCode(code, dest, written, limit)) return;
        }
    }
}

}  // namespace pellumo
