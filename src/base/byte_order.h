#pragma once

#include <cstddef>
#include <cstdint>

namespace pellumo {

constexpr std::uint16_t SwapShort(std::uint16_t value) {
    return static_cast<std::uint16_t>((value >> 8) | (value << 8));
}

constexpr std::uint32_t SwapLong(std::uint32_t value) {
    return (value >> 24) | ((value >> 8) & 0x0000FF00u) | ((value << 8) & 0x00FF0000u) | (value << 24);
}

// Little-endian values at an address (no alignment needed).
constexpr std::uint16_t GetLE16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
constexpr std::uint32_t GetLE32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}
constexpr void PutLE16(std::uint8_t* p, std::uint16_t value) {
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
}
constexpr void PutLE32(std::uint8_t* p, std::uint32_t value) {
    PutLE16(p, static_cast<std::uint16_t>(value));
    PutLE16(p + 2, static_cast<std::uint16_t>(value >> 16));
}

// Big-endian values at an address (no alignment needed).
constexpr std::uint16_t GetBE16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }
constexpr std::uint32_t GetBE32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | std::uint32_t{p[3]};
}
// The byte with its bits in reverse order (bit 0 becomes bit 7), for data stored least
// significant bit first.
constexpr std::uint8_t ReversedBits(std::uint8_t value) {
    unsigned reversed = 0;
    for (unsigned bit = 0; bit < 8; ++bit)
        if (value & (1u << bit)) reversed |= 0x80u >> bit;
    return static_cast<std::uint8_t>(reversed);
}
// Reverse the bits of every byte of an array in place.
void ReverseBits(std::uint8_t* bytes, std::size_t count);

// Reverse the bytes of every element of an array in place.
void SwapShorts(std::uint16_t* values, std::size_t count);
void SwapLongs(std::uint32_t* values, std::size_t count);

}  // namespace pellumo
