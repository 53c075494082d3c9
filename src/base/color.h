#pragma once

#include <cstdint>

namespace pellumo {

// A colour as the platform takes it: 0x00BBGGRR, red in the lowest byte.
using TColor = std::uint32_t;

constexpr TColor RGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<TColor>(red) | (static_cast<TColor>(green) << 8) | (static_cast<TColor>(blue) << 16);
}
constexpr std::uint8_t GetRValue(TColor color) { return static_cast<std::uint8_t>(color); }
constexpr std::uint8_t GetGValue(TColor color) { return static_cast<std::uint8_t>(color >> 8); }
constexpr std::uint8_t GetBValue(TColor color) { return static_cast<std::uint8_t>(color >> 16); }

constexpr TColor clBlack = RGB(0, 0, 0);
constexpr TColor clWhite = RGB(255, 255, 255);

}  // namespace pellumo
