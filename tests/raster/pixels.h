#pragma once

// Reading and writing single pixels in tests, whatever the bitmap's format.
#include <cstdint>
#include <ostream>
#include <vector>

#include "base/color.h"
#include "raster/bitmap.h"
#include "raster/pixel_rows.h"

namespace pellumo::probe {

struct Rgb {
    int r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << '(' << c.r << ',' << c.g << ',' << c.b << ')';
}

// The colour of a pixel read through the bitmap's own format and palette.
inline Rgb PixelAt(const TBitmap& bitmap, int x, int y) {
    std::vector<std::uint8_t> bgrx(static_cast<std::size_t>(bitmap.Width()) * 4);
    UnpackRow(bitmap.ScanLine(y), bitmap.PixelFormat(), bitmap.Palette(), bitmap.Width(), bgrx.data());
    const std::uint8_t* p = &bgrx[static_cast<std::size_t>(x) * 4];
    return {p[2], p[1], p[0]};
}

inline TColor ColorAt(const TBitmap& bitmap, int x, int y) {
    const Rgb c = PixelAt(bitmap, x, y);
    return RGB(static_cast<std::uint8_t>(c.r), static_cast<std::uint8_t>(c.g), static_cast<std::uint8_t>(c.b));
}

// Writes a pixel of a 24-bit bitmap.
inline void SetPixel(TBitmap& bitmap, int x, int y, Rgb c) {
    std::uint8_t* p = bitmap.ScanLine(y) + x * 3;
    p[0] = static_cast<std::uint8_t>(c.b);
    p[1] = static_cast<std::uint8_t>(c.g);
    p[2] = static_cast<std::uint8_t>(c.r);
}

}  // namespace pellumo::probe
