#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

#include "raster/bitmap.h"

namespace pellumo::bench {

// Smooth gradients and waves with a little noise: the detail of a photograph, without a file.
inline TBitmap Photograph(int width, int height) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, height);
    std::mt19937 random(42);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const double wave = 40.0 * std::sin(x * 0.013) * std::cos(y * 0.009);
            const int noise = static_cast<int>(random() % 17) - 8;
            const double channels[3] = {255.0 * y / height, 128.0 + wave, 255.0 * x / width};
            for (int c = 0; c < 3; ++c)
                row[x * 3 + c] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(channels[c]) + noise, 0, 255));
        }
    }
    return bitmap;
}

}  // namespace pellumo::bench
