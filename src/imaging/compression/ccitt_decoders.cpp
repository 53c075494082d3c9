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
      width_(width),
      rowBytes_((std::size_t{width} + 7) / 8) {}

void TCCITTDecoder::DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                                std::int32_t unpackedSize) {
    packed_ = source.first(std::min(static_cast<std::size_t>(std::max(packedSize, 0)), source.size()));
    target_ = dest.first(std::min(static_cast<std::size_t>(std::max(unpackedSize, 0)), dest.size()));
    if (!target_.empty()) std::memset(target_.data(), 0, target_.size());
    isWhite_ = true;
    bitsLeft_ = 0;
    packedPosition_ = 0;
    rowStart_ = 0;
    rowPixels_ = 0;

    // Every code read consumes at least one bit, so the loop ends with the data.
    while ((bitsLeft_ > 0 || packedPosition_ < packed_.size()) && rowStart_ < target_.size()) {
        const std::int64_t run = ReadCode(isWhite_ ? whiteTree_ : blackTree_);
        if (run > 0)
            WriteRun(run);
        else if (run == kEndOfLineRun)
            EndOfLine();
        isWhite_ = !isWhite_;
    }
    packed_ = {};
    target_ = {};
}

std::int64_t TCCITTDecoder::ReadCode(const TStateArray& tree) {
    std::size_t node = 0;
    std::int64_t sum = 0;
    for (;;) {
        if (bitsLeft_ == 0) {
            // The data ends: a code that is complete here still counts; a partial one gives
            // what its make-up codes add up to.
            if (packedPosition_ >= packed_.size()) return sum + tree[node].RunLength;
            const std::uint8_t byte = packed_[packedPosition_++];
            currentByte_ = swapBits_ ? ReversedBits(byte) : byte;
            bitMask_ = 0x80;
            bitsLeft_ = 8;
        }
        const unsigned bit = (currentByte_ & bitMask_) != 0 ? 1 : 0;
        std::int32_t child = tree[node].Next[bit];
        if (child == 0) {
            // A leaf: the bit belongs to the next code. After a make-up code the terminating
            // code follows at once, starting with this bit.
            const std::int32_t run = tree[node].RunLength;
            sum += run;
            if (run < kMakeUpStep) return sum;
            child = tree[0].Next[bit];
        }
        bitMask_ = static_cast<std::uint8_t>(bitMask_ >> 1);
        --bitsLeft_;
        node = static_cast<std::size_t>(child);
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
    std::size_t bit = firstBit;
    for (; bit < endBit && bit % 8 != 0; ++bit) target_[bit / 8] |= static_cast<std::uint8_t>(0x80u >> (bit % 8));
    const std::size_t wholeBytes = (endBit - std::min(bit, endBit)) / 8;
    if (wholeBytes > 0) std::memset(target_.data() + bit / 8, 0xFF, wholeBytes);
    for (bit += wholeBytes * 8; bit < endBit; ++bit)
        target_[bit / 8] |= static_cast<std::uint8_t>(0x80u >> (bit % 8));
}

}  // namespace pellumo
