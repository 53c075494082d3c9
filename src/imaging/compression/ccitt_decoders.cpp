#include "imaging/compression/ccitt_decoders.h"

#include <algorithm>
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

}  // namespace

TCCITTDecoder::TCCITTDecoder(std::uint32_t options, bool swapBits, std::uint32_t width)
    : options_(options),
      swapBits_(swapBits),
      whiteTree_(BuildTree(ccitt_codes::kWhiteTerminating, ccitt_codes::kWhiteMakeUp)),
      blackTree_(BuildTree(ccitt_codes::kBlackTerminating, ccitt_codes::kBlackMakeUp)),
      whiteLookup_(BuildLookup(whiteTree_)),
      blackLookup_(BuildLookup(blackTree_)),
      width_(width),
      rowBytes_((std::size_t{width} + 7) / 8) {}

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

void TCCITTDecoder::DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                                std::int32_t unpackedSize) {
    packed_ = source.first(std::min(static_cast<std::size_t>(std::max(packedSize, 0)), source.size()));
    if (swapBits_) {
        reversed_.assign(packed_.begin(), packed_.end());
        ReverseBits(reversed_.data(), reversed_.size());
        packed_ = reversed_;
    }
    target_ = dest.first(std::min(static_cast<std::size_t>(std::max(unpackedSize, 0)), dest.size()));
    if (!target_.empty()) std::memset(target_.data(), 0, target_.size());
    isWhite_ = true;
    bitPosition_ = 0;
    rowStart_ = 0;
    rowPixels_ = 0;

    // Every code read consumes at least one bit, so the loop ends with the data.
    while (bitPosition_ < packed_.size() * 8 && rowStart_ < target_.size()) {
        const std::int64_t run = isWhite_ ? ReadCode(whiteTree_, whiteLookup_) : ReadCode(blackTree_, blackLookup_);
        if (run > 0)
            WriteRun(run);
        else if (run == kEndOfLineRun)
            EndOfLine();
        isWhite_ = !isWhite_;
    }
    packed_ = {};
    target_ = {};
}

inline std::uint32_t TCCITTDecoder::Peek() const {
    const std::size_t first = bitPosition_ / 8;
    std::uint64_t bytes = 0;
    if (first + 8 <= packed_.size()) [[likely]] {
        bytes = (std::uint64_t{GetBE32(packed_.data() + first)} << 32) | GetBE32(packed_.data() + first + 4);
    } else {
        for (std::size_t i = 0; i < 8; ++i)
            bytes = (bytes << 8) | (first + i < packed_.size() ? packed_[first + i] : 0u);
    }
    return static_cast<std::uint32_t>((bytes << (bitPosition_ % 8)) >> 32);
}

std::int64_t TCCITTDecoder::ReadCode(const TStateArray& tree, const TLookup& lookup) {
    std::int64_t sum = 0;
    for (;;) {
        const std::size_t available = packed_.size() * 8 - std::min(bitPosition_, packed_.size() * 8);
        const std::uint32_t window = Peek();
        TStep step = lookup[window >> (32 - kLookupBits)];
        // Longer codes, and codes near the end of the data, take the walk bit by bit.
        if (!step.Complete || step.Bits >= available)
            step = Walk(tree, window, static_cast<std::uint32_t>(std::min<std::size_t>(available, 32)));
        bitPosition_ += step.Bits;
        sum += step.RunLength;
        // The data ends: a complete code still counts; a partial one gives what its make-up
        // codes add up to. After a make-up code the terminating code follows at once.
        if (!step.Complete || step.RunLength < kMakeUpStep) return sum;
    }
}

void TCCITTDecoder::WriteRun(std::int64_t length) {
    const auto count = static_cast<std::uint32_t>(std::min<std::int64_t>(length, width_ - rowPixels_));
    if (!isWhite_) SetBlack(rowStart_ * 8 + rowPixels_, count);
    rowPixels_ += count;
    if (rowPixels_ == width_) EndRow();
}

void TCCITTDecoder::EndRow() {
    if (rowPixels_ > 0) rowStart_ += rowBytes_;
    rowPixels_ = 0;
    // The colour toggles after every code, so the next row starts white.
    isWhite_ = false;
    RowEnded();
}

void TCCITTDecoder::SetBlack(std::size_t firstBit, std::size_t count) {
    const std::size_t endBit = std::min(firstBit + count, target_.size() * 8);
    if (firstBit >= endBit) return;
    // Bits are most significant first: masks for the partial bytes at both ends.
    const std::size_t firstByte = firstBit / 8;
    const std::size_t lastByte = (endBit - 1) / 8;
    const auto head = static_cast<std::uint8_t>(0xFFu >> (firstBit % 8));
    const auto tail = static_cast<std::uint8_t>(0xFFu << (7 - (endBit - 1) % 8));
    if (firstByte == lastByte) {
        target_[firstByte] |= head & tail;
        return;
    }
    target_[firstByte] |= head;
    std::memset(target_.data() + firstByte + 1, 0xFF, lastByte - firstByte - 1);
    target_[lastByte] |= tail;
}

}  // namespace pellumo
