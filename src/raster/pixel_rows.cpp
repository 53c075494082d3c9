#include "raster/pixel_rows.h"

#include <cstring>

namespace pellumo {

void UnpackRow(const std::uint8_t* row, TPixelFormat format, const TPalette& palette, int width,
               std::uint8_t* bgrx) {
    if (width <= 0) return;  // a row of no pixels may have no storage at all
    switch (format) {
        case pf1bit:
        case pf4bit:
        case pf8bit: {
            const int bits = BitsPerPixel(format);
            const TPalette& colors = EffectivePalette(palette, bits);
            for (int x = 0; x < width; ++x, bgrx += 4) {
                const std::uint8_t index = GetIndex(row, bits, x);
                const TPaletteEntry entry = index < colors.size() ? colors[index] : TPaletteEntry{};
                bgrx[0] = entry.peBlue;
                bgrx[1] = entry.peGreen;
                bgrx[2] = entry.peRed;
                bgrx[3] = 0;
            }
            break;
        }
        case pf15bit:
        case pf16bit: {
            const bool sixBitGreen = format == pf16bit;
            for (int x = 0; x < width; ++x, bgrx += 4, row += 2) {
                const unsigned value = row[0] | (row[1] << 8);
                bgrx[0] = Expand5(value & 0x1F);
                if (sixBitGreen) {
                    bgrx[1] = Expand6((value >> 5) & 0x3F);
                    bgrx[2] = Expand5((value >> 11) & 0x1F);
                } else {
                    bgrx[1] = Expand5((value >> 5) & 0x1F);
                    bgrx[2] = Expand5((value >> 10) & 0x1F);
                }
                bgrx[3] = 0;
            }
            break;
        }
        case pf24bit:
            for (int x = 0; x < width; ++x, bgrx += 4, row += 3) {
                bgrx[0] = row[0];
                bgrx[1] = row[1];
                bgrx[2] = row[2];
                bgrx[3] = 0;
            }
            break;
        case pf32bit:
        case pfDevice:
            std::memcpy(bgrx, row, static_cast<std::size_t>(width) * 4);
            break;
        case pfCustom:
            break;
    }
}

void PackPixels(const std::uint8_t* bgrx, int count, TPixelFormat format, TNearestColor* nearest, std::uint8_t* row,
                int firstX) {
    if (count <= 0) return;
    switch (format) {
        case pf1bit:
        case pf4bit:
        case pf8bit: {
            const int bits = BitsPerPixel(format);
            for (int x = firstX; x < firstX + count; ++x, bgrx += 4)
                SetIndex(row, bits, x, nearest->IndexOf(bgrx[2], bgrx[1], bgrx[0]));
            return;
        }
        default: break;
    }
    row += static_cast<std::size_t>(firstX) * static_cast<std::size_t>(BitsPerPixel(format) / 8);
    switch (format) {
        case pf15bit:
        case pf16bit: {
            const bool sixBitGreen = format == pf16bit;
            for (int x = 0; x < count; ++x, bgrx += 4, row += 2) {
                const unsigned blue = bgrx[0] >> 3u;
                const unsigned value = sixBitGreen
                                           ? ((bgrx[2] >> 3u) << 11) | ((bgrx[1] >> 2u) << 5) | blue
                                           : ((bgrx[2] >> 3u) << 10) | ((bgrx[1] >> 3u) << 5) | blue;
                row[0] = static_cast<std::uint8_t>(value);
                row[1] = static_cast<std::uint8_t>(value >> 8);
            }
            break;
        }
        case pf24bit:
            for (int x = 0; x < count; ++x, bgrx += 4, row += 3) {
                row[0] = bgrx[0];
                row[1] = bgrx[1];
                row[2] = bgrx[2];
            }
            break;
        case pf32bit:
        case pfDevice:
            std::memcpy(row, bgrx, static_cast<std::size_t>(count) * 4);
            break;
        default:
            break;
    }
}

}  // namespace pellumo
