#include "imaging/compression/lzw_decoders.h"

#include <algorithm>
#include <bit>
#include <cstring>
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

constexpr std::size_t kHeadBytes = 8;

std::uint32_t MaskOf(std::uint32_t bits) { return (1u << bits) - 1; }

// The bytes the block may read and the most it may write, whatever the sizes claim.
std::size_t PackedLimit(const TPackedBytes& source, std::int32_t packedSize) {
    return std::min<std::size_t>(source.size(), static_cast<std::size_t>(std::max(packedSize, 0)));
}
std::size_t UnpackedLimit(const TUnpackedBytes& dest, std::int32_t unpackedSize) {
    return std::min<std::size_t>(dest.size(), static_cast<std::size_t>(std::max(unpackedSize, 0)));
}

// The next eight packed bytes as one number whose bits are in the order they are taken.
template <bool MsbFirst>
std::uint64_t LoadWindow(const std::uint8_t* bytes) {
    std::uint64_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    if constexpr ((std::endian::native == std::endian::little) == MsbFirst) value = __builtin_bswap64(value);
    return value;
}

// A string's first eight bytes, the first lowest, to their place in the output.
void StoreHead(std::uint8_t* to, std::uint64_t head) {
    if constexpr (std::endian::native == std::endian::big) head = __builtin_bswap64(head);
    std::memcpy(to, &head, sizeof head);
}

// Whatever way decoding ends, the output from where the data stopped up to the limit is 0:
// no bytes of the fixed-size copies are left there.
void ClearRest(std::uint8_t* out, std::size_t written, std::size_t limit) {
    if (written < limit) std::memset(out + written, 0, limit - written);
}

[[noreturn]] void InvalidCode(std::string_view message, std::uint8_t* out, std::size_t written, std::size_t limit) {
    ClearRest(out, written, limit);
    throw EDecompressionError(std::string(message));
}

}  // namespace

TLZWDecoder::TLZWDecoder(std::uint32_t clearCode, std::uint32_t initialCodeSize, std::uint32_t earlyChange,
                         std::string_view invalidMessage)
    : clearCode_(clearCode),
      endCode_(clearCode + 1),
      initialCodeSize_(initialCodeSize),
      earlyChange_(earlyChange),
      invalidMessage_(invalidMessage) {}

template <bool MsbFirst>
void TLZWDecoder::Decode(TPackedBytes source, std::int32_t packedSize, TUnpackedBytes dest,
                         std::int32_t unpackedSize) {
    // The state lives in locals: writes to the output could alias members and force reloads.
    const std::uint32_t clearCode = clearCode_, endCode = endCode_, initialCodeSize = initialCodeSize_;
    const std::uint32_t earlyChange = earlyChange_;
    TEntry* const table = table_.data();
    for (std::uint32_t code = 0; code < clearCode; ++code) table[code] = {code, 0, 1};
    const std::uint8_t* const in = source.data();
    const std::size_t packed = PackedLimit(source, packedSize);
    const std::size_t limit = UnpackedLimit(dest, unpackedSize);
    std::uint8_t* const out = dest.data();
    std::size_t written = 0;
    std::uint32_t codeSize = initialCodeSize;
    std::uint32_t nextFreeCode = clearCode + 2;
    std::uint32_t previousCode = kNoCode;
    std::size_t previousStart = 0;  // where the previous code's string was written
    std::uint64_t window = 0;       // packed bits not taken yet, from the end they are taken at
    std::uint32_t bits = 0;         // how many bits of the window are the stream's
    std::size_t next = 0;           // the first packed byte not in the window
    for (;;) {
        if (bits < codeSize) {
            if (next + sizeof window <= packed) {
                // As many whole bytes as fit; the bits loaded past them are the same stream
                // bits the next load puts there again.
                const std::uint64_t more = LoadWindow<MsbFirst>(in + next);
                window |= MsbFirst ? more >> bits : more << bits;
                next += (63 - bits) / 8;
                bits |= 56;
            } else {
                for (; bits <= 56 && next < packed; bits += 8)
                    window |= MsbFirst ? std::uint64_t{in[next++]} << (56 - bits) : std::uint64_t{in[next++]} << bits;
                if (bits < codeSize) return ClearRest(out, written, limit);  // the data ends inside a code
            }
        }
        std::uint32_t code = 0;
        if constexpr (MsbFirst) {
            code = static_cast<std::uint32_t>(window >> (64 - codeSize));
            window <<= codeSize;
        } else {
            code = static_cast<std::uint32_t>(window) & MaskOf(codeSize);
            window >>= codeSize;
        }
        bits -= codeSize;
        if (code == endCode || written >= limit) return ClearRest(out, written, limit);
        if (code == clearCode) {
            codeSize = initialCodeSize;
            nextFreeCode = clearCode + 2;
            previousCode = kNoCode;
            continue;
        }
        // After a clear only a single byte can follow: a table code there would read an entry
        // of the previous stream, or one that would later point to itself.
        if (code > nextFreeCode || (previousCode == kNoCode && code >= clearCode))
            InvalidCode(invalidMessage_, out, written, limit);
        // A table string is whole in the output before `written`. The one not yet in the table
        // is the previous string, which ends at `written`, plus its own first byte.
        const bool notYetInTable = code == nextFreeCode;
        const TEntry& entry = table[notYetInTable ? previousCode : code];
        const std::size_t length = entry.Length + (notYetInTable ? 1u : 0u);
        const std::size_t storedLength = entry.Length;
        const std::uint8_t* const stored = out + (notYetInTable ? previousStart : entry.Start);
        std::uint64_t head = entry.Head;
        if (notYetInTable && storedLength < kHeadBytes) head |= (head & 0xFF) << (8 * storedLength);
        const auto firstByte = static_cast<std::uint8_t>(head);
        const std::size_t start = written;
        if (limit - written >= kHeadBytes) {
            // The head is written whole: bytes past a shorter string are rewritten by the
            // strings after it. Only longer strings read the output back.
            StoreHead(out + written, head);
            if (length > kHeadBytes) {
                // The string is cut where the output ends.
                const std::size_t count = std::min(length, limit - written);
                std::memcpy(out + written + kHeadBytes, stored + kHeadBytes,
                            std::min(count, storedLength) - kHeadBytes);
                if (count > storedLength) out[written + storedLength] = firstByte;
                written += count;
            } else {
                written += length;
            }
        } else {
            // Fewer than eight bytes of room: all of them from the head.
            const std::size_t count = std::min(length, limit - written);
            for (std::size_t n = 0; n < count; ++n) out[written + n] = static_cast<std::uint8_t>(head >> (8 * n));
            written += count;
        }
        // A full table takes no more strings until the next clear code.
        if (previousCode != kNoCode && nextFreeCode < kTableSize) {
            const TEntry& previous = table[previousCode];
            const std::uint32_t previousLength = previous.Length;
            const std::uint64_t newHead = previousLength < kHeadBytes
                                              ? previous.Head | std::uint64_t{firstByte} << (8 * previousLength)
                                              : previous.Head;
            table[nextFreeCode] = {newHead, static_cast<std::uint32_t>(previousStart), previousLength + 1u};
            ++nextFreeCode;
            if (nextFreeCode + earlyChange == (1u << codeSize) && codeSize < kMaxCodeSize) ++codeSize;
        }
        previousStart = start;
        previousCode = code;
    }
}

TTIFFLZWDecoder::TTIFFLZWDecoder() : TLZWDecoder(kTIFFClearCode, kTIFFCodeSize, 1, kTIFFInvalidOpcode) {}

void TTIFFLZWDecoder::DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                                  std::int32_t unpackedSize) {
    Decode<true>(source, packedSize, dest, unpackedSize);
}

TGIFLZWDecoder::TGIFLZWDecoder(std::uint8_t initialCodeSize)
    : TLZWDecoder(std::uint32_t{1} << std::min<std::uint32_t>(initialCodeSize, kGIFMaxCodeSize),
                  std::uint32_t{initialCodeSize} + 1u, 0, kGIFInvalidOpcode) {}

void TGIFLZWDecoder::DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                                 std::int32_t unpackedSize) {
    if (initialCodeSize_ < kGIFMinCodeSize + 1 || initialCodeSize_ > kGIFMaxCodeSize + 1)
        throw EDecompressionError(std::string(kGIFInvalidCodeSize));
    Decode<false>(source, packedSize, dest, unpackedSize);
}

}  // namespace pellumo
