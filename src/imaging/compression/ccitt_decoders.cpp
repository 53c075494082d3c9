#include "imaging/compression/ccitt_decoders.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <span>

#include "base/byte_order.h"
#include "imaging/compression/ccitt_codes.h"

namespace pellumo {
namespace {

using ccitt_codes::TRunCode;

constexpr std::int32_t kEndOfLineRun = -1;
constexpr std::int32_t kMakeUpStep = 64;
// T.4 lets an end-of-line code be preceded by fill bits; up to 12 zeros are recognised.
constexpr std::uint8_t kMostFillBits = 12;

void AddCode(TStateArray& tree, std::uint32_t bits, std::uint8_t length, std::int32_t runLength) {
    std::size_t node = 0;
    for (int i = length - 1; i >= 0; --i) {
        const unsigned bit = (bits >> i) & 1u;
        if (tree[node].Next[bit] == 0) {
            tree[node].Next[bit] = static_cast<std::int32_t>(tree.size());
            tree.push_back({});
        }
        node = static_cast<std::size_t>(tree[node].Next[bit]);
    }
    tree[node].RunLength = runLength;
}

TStateArray BuildTree(std::span<const TRunCode, 64> terminating, std::span<const TRunCode, 27> makeUp) {
    TStateArray tree(1);
    for (std::size_t run = 0; run < terminating.size(); ++run)
        AddCode(tree, terminating[run].Bits, terminating[run].Length, static_cast<std::int32_t>(run));
    std::int32_t run = kMakeUpStep;
    for (const TRunCode& code : makeUp) {
        AddCode(tree, code.Bits, code.Length, run);
        run += kMakeUpStep;
    }
    for (const TRunCode& code : ccitt_codes::kExtendedMakeUp) {
        AddCode(tree, code.Bits, code.Length, run);
        run += kMakeUpStep;
    }
    for (std::uint8_t fill = 0; fill <= kMostFillBits; ++fill)
        AddCode(tree, ccitt_codes::kEndOfLine.Bits, static_cast<std::uint8_t>(ccitt_codes::kEndOfLine.Length + fill),
                kEndOfLineRun);
    return tree;
}

// Sets `count` bits from `firstBit` on, most significant first, as far as the target goes.
void SetBlack(TUnpackedBytes target, std::size_t firstBit, std::size_t count) {
    const std::size_t firstByte = firstBit / 8;
    const std::size_t offset = firstBit % 8;
    if (count > 0 && offset + count <= 64 && firstByte + 8 <= target.size()) {
        // The short runs of halftones, without a branch on where they end: eight bytes at once.
        std::uint64_t bits = ~std::uint64_t{0} >> (64 - count) << (64 - offset - count);
        if constexpr (std::endian::native == std::endian::little) bits = __builtin_bswap64(bits);
        std::uint64_t word = 0;
        std::memcpy(&word, target.data() + firstByte, sizeof word);
        word |= bits;
        std::memcpy(target.data() + firstByte, &word, sizeof word);
        return;
    }
    const std::size_t endBit = std::min(firstBit + count, target.size() * 8);
    if (firstBit >= endBit) return;
    const std::size_t lastByte = (endBit - 1) / 8;
    const auto head = static_cast<std::uint8_t>(0xFFu >> (firstBit % 8));
    const auto tail = static_cast<std::uint8_t>(0xFFu << (7 - (endBit - 1) % 8));
    if (firstByte == lastByte) {
        target[firstByte] |= head & tail;
        return;
    }
    target[firstByte] |= head;
    std::memset(target.data() + firstByte + 1, 0xFF, lastByte - firstByte - 1);
    target[lastByte] |= tail;
}

std::uint64_t LoadBE64(const std::uint8_t* bytes) {
    return (std::uint64_t{GetBE32(bytes)} << 32) | GetBE32(bytes + 4);
}

}  // namespace

TCCITTDecoder::TCCITTDecoder(std::uint32_t options, bool swapBits, std::uint32_t width, TRowRules rules)
    : options_(options),
      swapBits_(swapBits),
      rules_(rules),
      whiteTree_(BuildTree(ccitt_codes::kWhiteTerminating, ccitt_codes::kWhiteMakeUp)),
      blackTree_(BuildTree(ccitt_codes::kBlackTerminating, ccitt_codes::kBlackMakeUp)),
      whiteLookup_(BuildLookup(whiteTree_)),
      blackLookup_(BuildLookup(blackTree_)),
      width_(width),
      rowBytes_((std::size_t{width} + 7) / 8) {}

// The packed bits most significant first: at least 32 of them (all that are left, near the end)
// at the top of a 64-bit window, zeros past the end of the data.
class TCCITTDecoder::TBitWindow {
public:
    explicit TBitWindow(TPackedBytes data) : data_(data.data()), size_(data.size()) { Refill(); }

    std::size_t Remaining() const { return count_ + 8 * (size_ - next_); }
    std::uint32_t Peek() const { return static_cast<std::uint32_t>(window_ >> 32); }
    void Skip(std::uint32_t bits) {
        window_ <<= bits;
        count_ -= bits;
        if (count_ < 32) Refill();
    }
    // Drops the unread bits of a packed byte that is partly read.
    void SkipToByteBoundary() { Skip(count_ % 8); }

private:
    void Refill() {
        if (next_ + 8 <= size_) {
            // Whole bytes as far as they fit; the bits loaded past them are the same stream
            // bits the next load puts there again.
            window_ |= LoadBE64(data_ + next_) >> count_;
            next_ += (63 - count_) / 8;
            count_ |= 56;
            return;
        }
        for (; count_ <= 56 && next_ < size_; count_ += 8) window_ |= std::uint64_t{data_[next_++]} << (56 - count_);
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t next_ = 0;  // the first byte not in the window
    std::uint64_t window_ = 0;
    std::uint32_t count_ = 0;  // the window's bits that are the stream's
};

TCCITTDecoder::TStep TCCITTDecoder::Walk(const TStateArray& tree, std::uint32_t window, std::uint32_t available) {
    std::size_t node = 0;
    for (std::uint32_t taken = 0;; ++taken) {
        const auto run = static_cast<std::int16_t>(tree[node].RunLength);
        if (taken == available) return {run, static_cast<std::uint8_t>(taken), false};
        // A node without the child for the next bit ends the code; that bit is the next code's.
        const std::int32_t child = tree[node].Next[(window >> (31 - taken)) & 1u];
        if (child == 0) return {run, static_cast<std::uint8_t>(taken), true};
        node = static_cast<std::size_t>(child);
    }
}

// Every code of up to kLookupBits - 1 bits (all but the longest ones) found with one look-up.
TCCITTDecoder::TLookup TCCITTDecoder::BuildLookup(const TStateArray& tree) {
    TLookup lookup;
    for (std::uint32_t bits = 0; bits < lookup.size(); ++bits)
        lookup[bits] = Walk(tree, bits << (32 - kLookupBits), kLookupBits);
    return lookup;
}

[[gnu::always_inline]] inline std::int64_t TCCITTDecoder::ReadCode(TBitWindow& bits, const TStateArray& tree,
                                                                    const TLookup& lookup) {
    std::int64_t sum = 0;
    for (;;) {
        const std::size_t available = bits.Remaining();
        const std::uint32_t window = bits.Peek();
        TStep step = lookup[window >> (32 - kLookupBits)];
        // Longer codes, and codes near the end of the data, take the walk bit by bit.
        if (!step.Complete || step.Bits >= available) [[unlikely]]
            step = Walk(tree, window, static_cast<std::uint32_t>(std::min<std::size_t>(available, 32)));
        bits.Skip(step.Bits);
        sum += step.RunLength;
        // The data ends: a complete code still counts; a partial one gives what its make-up
        // codes add up to. After a make-up code the terminating code follows at once.
        if (!step.Complete || step.RunLength < kMakeUpStep) return sum;
    }
}

void TCCITTDecoder::DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                                std::int32_t unpackedSize) {
    TPackedBytes packed = source.first(std::min(static_cast<std::size_t>(std::max(packedSize, 0)), source.size()));
    if (swapBits_) {
        reversed_.assign(packed.begin(), packed.end());
        ReverseBits(reversed_.data(), reversed_.size());
        packed = reversed_;
    }
    const TUnpackedBytes target =
        dest.first(std::min(static_cast<std::size_t>(std::max(unpackedSize, 0)), dest.size()));
    if (!target.empty()) std::memset(target.data(), 0, target.size());

    // The state lives in locals: writes to the target could alias members and force reloads.
    const std::uint32_t width = width_;
    const std::size_t rowBytes = rowBytes_;
    const TRowRules rules = rules_;
    TBitWindow bits(packed);
    bool isWhite = true;
    std::size_t rowStart = 0;     // first byte of the current row in the target
    std::uint32_t rowPixels = 0;  // pixels of the current row written so far
    auto endRow = [&] {
        // A row with pixels moves the target to the next row's first byte.
        if (rowPixels > 0) rowStart += rowBytes;
        rowPixels = 0;
        // The colour toggles after every code, so the next row starts white.
        isWhite = false;
        if (rules.RowsStartOnByteBoundary) bits.SkipToByteBoundary();
    };
    // Every code read consumes at least one bit, so the loop ends with the data.
    while (bits.Remaining() > 0 && rowStart < target.size()) {
        const std::int64_t run =
            isWhite ? ReadCode(bits, whiteTree_, whiteLookup_) : ReadCode(bits, blackTree_, blackLookup_);
        if (run > 0) {
            const auto count = static_cast<std::uint32_t>(std::min<std::int64_t>(run, width - rowPixels));
            if (!isWhite) SetBlack(target, rowStart * 8 + rowPixels, count);
            rowPixels += count;
            if (rowPixels == width) endRow();
        } else if (run == kEndOfLineRun && rules.EndOfLineEndsRow) {
            endRow();
        }
        isWhite = !isWhite;
    }
}

}  // namespace pellumo
