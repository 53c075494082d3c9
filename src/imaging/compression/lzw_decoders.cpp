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

TLZWDecoder::TLZWDecoder(std::uint32_t clearCode, std::uint32_t initialCodeSize, std::uint32_t earlyChange,
                         std::string_view invalidMessage)
    : clearCode_(clearCode),
      endCode_(clearCode + 1),
      initialCodeSize_(initialCodeSize),
      earlyChange_(earlyChange),
      invalidMessage_(invalidMessage) {}

void TLZWDecoder::StartStream() {
    std::fill_n(length_.begin(), clearCode_, std::uint16_t{1});
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
        previousStart_ = written;
        dest[written++] = static_cast<std::uint8_t>(code);
        previousCode_ = code;
        return written < limit;
    }
    const std::size_t start = written;
    if (code < clearCode_) {
        dest[written++] = static_cast<std::uint8_t>(code);
    } else {
        // The string not yet in the table is the previous one plus its own first byte, which
        // the forward copy reaches as soon as it is written.
        const bool notYetInTable = code == nextFreeCode_;
        const std::size_t from = notYetInTable ? previousStart_ : start_[code];
        const std::size_t length = notYetInTable ? length_[previousCode_] + 1u : length_[code];
        // The string is cut where the output ends.
        const std::size_t count = std::min(length, limit - written);
        std::uint8_t* out = dest.data() + written;
        const std::uint8_t* in = dest.data() + from;
        for (std::size_t i = 0; i < count; ++i) out[i] = in[i];
        written += count;
    }
    // A full table takes no more strings until the next clear code.
    if (nextFreeCode_ < kTableSize) {
        start_[nextFreeCode_] = previousStart_;
        length_[nextFreeCode_] = static_cast<std::uint16_t>(length_[previousCode_] + 1u);
        ++nextFreeCode_;
        if (nextFreeCode_ + earlyChange_ == codeMask_ + 1 && codeSize_ < kMaxCodeSize) {
            ++codeSize_;
            codeMask_ = MaskOf(codeSize_);
        }
    }
    previousStart_ = start;
    previousCode_ = code;
    return written < limit;
}

TTIFFLZWDecoder::TTIFFLZWDecoder() : TLZWDecoder(kTIFFClearCode, kTIFFCodeSize, 1, kTIFFInvalidOpcode) {}

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
                  std::uint32_t{initialCodeSize} + 1u, 0, kGIFInvalidOpcode) {}

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
