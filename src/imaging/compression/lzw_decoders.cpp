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

// A head's string bytes are below its top byte, which holds the length.
constexpr std::uint32_t kHeadBytes = 7;
constexpr std::uint32_t kLengthShift = 8 * kHeadBytes;
// The head of a code that has no string yet: clear, end and the codes not yet assigned.
constexpr std::uint64_t kNoString = std::uint64_t{0xFF} << kLengthShift;

// The string's length, kHeadBytes + 1 for any longer one, 255 for no string.
std::uint32_t ShortLength(std::uint64_t head) { return static_cast<std::uint32_t>(head >> kLengthShift); }

// The head of the string followed by one more byte (no string stays no string). Without
// branches: strings of different lengths follow one another at random.
std::uint64_t Extended(std::uint64_t head, std::uint8_t byte) {
    constexpr std::uint64_t kContentMask = (std::uint64_t{1} << kLengthShift) - 1;
    const std::uint32_t length = ShortLength(head);
    // From kHeadBytes up, the byte lands on the length and the mask drops it.
    const std::uint64_t content = (std::uint64_t{byte} << (8 * std::min(length, kHeadBytes))) & kContentMask;
    const std::uint64_t longer = std::uint64_t{length <= kHeadBytes} << kLengthShift;
    return head + content + longer;
}

// A head to the output, the string's first byte first; its top byte lands past the string.
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
    for (std::uint32_t code = 0; code < clearCode; ++code) {
        heads_[code] = code | std::uint64_t{1} << kLengthShift;
        strings_[code] = {0, 1};
    }
    std::fill(heads_.begin() + clearCode, heads_.end(), kNoString);
    const std::uint8_t* const in = source.data();
    const std::size_t packed = PackedLimit(source, packedSize);
    const std::size_t limit = UnpackedLimit(dest, unpackedSize);
    // Below this a whole head fits in the output.
    const std::size_t headsFitBelow = limit >= sizeof(std::uint64_t) ? limit - sizeof(std::uint64_t) + 1 : 0;
    std::uint8_t* const out = dest.data();
    std::size_t written = 0;
    std::uint32_t codeSize = initialCodeSize;
    std::uint32_t nextFreeCode = clearCode + 2;
    // The code size widens when the next free code reaches this; past the widest, never.
    const auto widenAt = [earlyChange](std::uint32_t size) {
        return size < kMaxCodeSize ? (1u << size) - earlyChange : kTableSize + 1;
    };
    std::uint32_t widenCodeAt = widenAt(codeSize);
    // The previous code's string: its head (no string when the stream starts or was just
    // cleared), where it was written and its length.
    std::uint64_t previousHead = kNoString;
    TString previous{0, 0};
    std::uint64_t window = 0;  // packed bits not taken yet, from the end they are taken at
    std::uint32_t bits = 0;    // how many bits of the window are the stream's
    std::size_t next = 0;      // the first packed byte not in the window
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
        std::uint64_t head = heads_[code];
        std::uint32_t length = ShortLength(head);
        const std::size_t start = written;
        if (length <= kHeadBytes && written < headsFitBelow) [[likely]] {
            // The bytes past the string are rewritten by the strings after it.
            StoreHead(out + written, head);
            written += length;
        } else {
            if (code == endCode || written >= limit) return ClearRest(out, written, limit);
            if (code == clearCode) {
                std::fill(heads_.begin() + clearCode + 2, heads_.begin() + nextFreeCode, kNoString);
                codeSize = initialCodeSize;
                widenCodeAt = widenAt(codeSize);
                nextFreeCode = clearCode + 2;
                previousHead = kNoString;
                continue;
            }
            // The one code not yet in the table is the previous string, which ends at
            // `written`, plus its own first byte. After a clear only a single byte can follow:
            // a table code there would read an entry of the previous stream, or one that would
            // later point to itself.
            const bool notYetInTable = head == kNoString;
            if (notYetInTable && (code != nextFreeCode || previousHead == kNoString))
                InvalidCode(invalidMessage_, out, written, limit);
            if (notYetInTable) head = Extended(previousHead, static_cast<std::uint8_t>(previousHead));
            const TString stored = notYetInTable ? previous : strings_[code];
            length = stored.Length + (notYetInTable ? 1u : 0u);
            // The string is cut where the output ends.
            const std::size_t count = std::min<std::size_t>(length, limit - written);
            if (count >= sizeof(std::uint64_t)) {
                // Only long strings read the output back, from where they were written.
                StoreHead(out + written, head);
                std::memcpy(out + written + kHeadBytes, out + stored.Start + kHeadBytes,
                            std::min<std::size_t>(count, stored.Length) - kHeadBytes);
                if (count > stored.Length) out[written + stored.Length] = static_cast<std::uint8_t>(head);
            } else {
                // Too little room for a whole head: all of the bytes come from it.
                for (std::size_t n = 0; n < count; ++n) out[written + n] = static_cast<std::uint8_t>(head >> (8 * n));
            }
            written += count;
        }
        // The new entry: the previous string and this one's first byte. Without a previous
        // string the free code keeps its marker (Extended leaves it so); a full table writes to
        // the slot past its end, which no code reaches.
        heads_[nextFreeCode] = Extended(previousHead, static_cast<std::uint8_t>(head));
        strings_[nextFreeCode] = {previous.Start, previous.Length + 1u};
        if (previousHead != kNoString && nextFreeCode < kTableSize) {
            ++nextFreeCode;
            if (nextFreeCode == widenCodeAt) widenCodeAt = widenAt(++codeSize);
        }
        previousHead = head;
        previous = {static_cast<std::uint32_t>(start), length};
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
