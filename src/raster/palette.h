#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace pellumo {

struct TPaletteEntry {
    std::uint8_t peRed = 0;
    std::uint8_t peGreen = 0;
    std::uint8_t peBlue = 0;
    std::uint8_t peFlags = 0;
    friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};

// A logical palette: up to 256 entries; empty means "no palette".
using TPalette = std::vector<TPaletteEntry>;

constexpr std::size_t kMaxPaletteEntries = 256;

// The palette an indexed bitmap without one of its own is shown with: black and white for
// 1 bit, the 16 standard colours for 4 bits, a 6x6x6 colour cube with 40 more grays for 8 bits.
const TPalette& DefaultPalette(int bitsPerPixel);

// 256 grays from black to white.
TPalette GrayPalette();

// The palette indexed pixels of this depth are read with: the given one when it has entries,
// else the default of that depth.
const TPalette& EffectivePalette(const TPalette& palette, int bitsPerPixel);

// Finds the palette entry nearest to a colour (least squared distance in RGB, lowest index on
// ties), remembering recent answers so that whole images map quickly.
class TNearestColor {
public:
    explicit TNearestColor(const TPalette& palette);
    std::uint8_t IndexOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

private:
    struct Slot {
        std::uint32_t key = 0xFFFFFFFF;  // never a 24-bit colour, so every slot starts empty
        std::uint8_t index = 0;
    };
    const TPalette& palette_;
    std::array<Slot, 4096> cache_{};
};

}  // namespace pellumo
