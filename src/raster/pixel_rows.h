#pragma once

#include <cstdint>

#include "raster/palette.h"
#include "raster/pixel_format.h"

namespace pellumo {

// Row helpers shared by format conversion, the codecs and drawing. An unpacked pixel is four
// bytes: blue, green, red and a fourth byte (the unused byte of 32-bit rows, else 0).

// Sub-byte pixels are packed most significant bits first.
inline std::uint8_t GetIndex(const std::uint8_t* row, int bitsPerPixel, int x) {
    switch (bitsPerPixel) {
        case 1: return (row[x >> 3] >> (7 - (x & 7))) & 0x01;
        case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
        default: return row[x];
    }
}

inline void SetIndex(std::uint8_t* row, int bitsPerPixel, int x, std::uint8_t index) {
    switch (bitsPerPixel) {
        case 1: {
            const int shift = 7 - (x & 7);
            row[x >> 3] = static_cast<std::uint8_t>((row[x >> 3] & ~(1 << shift)) | ((index & 0x01) << shift));
            break;
        }
        case 4: {
            const int shift = (x & 1) ? 0 : 4;
            row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & ~(0x0F << shift)) | ((index & 0x0F) << shift));
            break;
        }
        default: row[x] = index;
    }
}

// 5- and 6-bit channels widened so that 0 stays 0 and the maximum becomes 255.
constexpr std::uint8_t Expand5(unsigned value) { return static_cast<std::uint8_t>((value << 3) | (value >> 2)); }
constexpr std::uint8_t Expand6(unsigned value) { return static_cast<std::uint8_t>((value << 2) | (value >> 4)); }

// Unpacks `width` pixels of a row in `format` into `bgrx` (4 bytes a pixel). Indexed rows are
// read through the palette (the default one when it is empty); indices past its end read black.
void UnpackRow(const std::uint8_t* row, TPixelFormat format, const TPalette& palette, int width,
               std::uint8_t* bgrx);

// Packs `count` unpacked pixels into a row of `format` from pixel `firstX` on; indexed formats
// take the nearest colour of `nearest`'s palette.
void PackPixels(const std::uint8_t* bgrx, int count, TPixelFormat format, TNearestColor* nearest, std::uint8_t* row,
                int firstX);

inline void PackRow(const std::uint8_t* bgrx, int width, TPixelFormat format, TNearestColor* nearest,
                    std::uint8_t* row) {
    PackPixels(bgrx, width, format, nearest, row, 0);
}

}  // namespace pellumo
