#include "base/byte_order.h"

#include <array>

namespace pellumo {
namespace {

constexpr std::array<std::uint8_t, 256> MakeBitReversal() {
    std::array<std::uint8_t, 256> table{};
    for (unsigned value = 0; value < 256; ++value) table[value] = ReversedBits(static_cast<std::uint8_t>(value));
    return table;
}
constexpr std::array<std::uint8_t, 256> kBitReversal = MakeBitReversal();

}  // namespace

void ReverseBits(std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) bytes[i] = kBitReversal[bytes[i]];
}

void SwapShorts(std::uint16_t* values, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) values[i] = SwapShort(values[i]);
}

void SwapLongs(std::uint32_t* values, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) values[i] = SwapLong(values[i]);
}

}  // namespace pellumo
