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

void TLZWDecoder::Decode(TPackedBytes source, std::int32_t packedSize, TUnpackedBytes dest,
                         std::int32_t unpackedSize, bool msbFirst) {
    std::fill_n(length_.begin(), clearCode_, std::uint16_t{1});
    const std::size_t packed = PackedLimit(source, packedSize);
    const std::size_t limit = UnpackedLimit(dest, unpackedSize);
    // The state lives in locals: writes to the output could alias members and force reloads.
    std::uint8_t* const out = dest.data();
    std::size_t written = 0;
    std::uint32_t codeSize = initialCodeSize_;
    std::uint32_t nextFreeCode = clearCode_ + 2;
    std::uint32_t previousCode = kNoCode;
    std::size_t previousStart = 0;  // where the previous code's string was written
    std::uint32_t accumulator = 0;
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < packed; ++i) {
        accumulator |= msbFirst ? std::uint32_t{source[i]} << (24 - bits) : std::uint32_t{source[i]} << bits;
        bits += 8;
        while (bits >= codeSize) {
            std::uint32_t code = 0;
            if (msbFirst) {
                code = accumulator >> (32 - codeSize);
                accumulator <<= codeSize;
            } else {
                code = accumulator & MaskOf(codeSize);
                accumulator >>= codeSize;
            }
            bits -= codeSize;
            if (code == endCode_ || written >= limit) return;
            if (code == clearCode_) {
                codeSize = initialCodeSize_;
                nextFreeCode = clearCode_ + 2;
                previousCode = kNoCode;
                continue;
            }
            if (code > nextFreeCode) throw Exception(std::string(invalidMessage_));
            const std::size_t start = written;
            if (previousCode == kNoCode) {
                // After a clear only a single byte can follow: a table code here would read an
                // entry of the previous stream, or one that would later point to itself.
                if (code >= clearCode_) throw Exception(std::string(invalidMessage_));
                out[written++] = static_cast<std::uint8_t>(code);
                previousStart = start;
                previousCode = code;
                continue;
            }
            if (code < clearCode_) {
                out[written++] = static_cast<std::uint8_t>(code);
            } else {
                // The string not yet in the table is the previous one plus its own first byte,
                // which the forward copy reaches as soon as it is written.
                const bool notYetInTable = code == nextFreeCode;
                const std::uint8_t* from = out + (notYetInTable ? previousStart : start_[code]);
                const std::size_t length = notYetInTable ? length_[previousCode] + 1u : length_[code];
                // The string is cut where the output ends.
                const std::size_t count = std::min(length, limit - written);
                for (std::size_t n = 0; n < count; ++n) out[written + n] = from[n];
                written += count;
            }
            // A full table takes no more strings until the next clear code.
            if (nextFreeCode < kTableSize) {
                start_[nextFreeCode] = previousStart;
                length_[nextFreeCode] = static_cast<std::uint16_t>(length_[previousCode] + 1u);
                ++nextFreeCode;
                if (nextFreeCode + earlyChange_ == (1u << codeSize) && codeSize < kMaxCodeSize) ++codeSize;
            }
            previousStart = start;
            previousCode = code;
        }
    }
}

TTIFFLZWDecoder::TTIFFLZWDecoder() : TLZWDecoder(kTIFFClearCode, kTIFFCodeSize, 1, kTIFFInvalidOpcode) {}

void TTIFFLZWDecoder::DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                                  std::int32_t unpackedSize) {
    Decode(source, packedSize, dest, unpackedSize, true);
}

TGIFLZWDecoder::TGIFLZWDecoder(std::uint8_t initialCodeSize)
    : TLZWDecoder(std::uint32_t{1} << std::min<std::uint32_t>(initialCodeSize, kGIFMaxCodeSize),
                  std::uint32_t{initialCodeSize} + 1u, 0, kGIFInvalidOpcode) {}

void TGIFLZWDecoder::DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                                 std::int32_t unpackedSize) {
    if (initialCodeSize_ < kGIFMinCodeSize + 1 || initialCodeSize_ > kGIFMaxCodeSize + 1)
        throw Exception(std::string(kGIFInvalidCodeSize));
    Decode(source, packedSize, dest, unpackedSize, false);
}

}  // namespace pellumo
