#include "authoring/alpha_flattening.h"

namespace pellumo {
namespace {

bool HasMeaningfulAlpha(const TBitmap& bitmap) {
    bool anyTransparent = false, anyVisible = false;
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* pixel = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x, pixel += 4) {
            anyTransparent |= pixel[3] != 255;
            anyVisible |= pixel[3] != 0;
        }
    }
    return anyTransparent && anyVisible;
}

std::uint8_t Over(std::uint8_t color, std::uint8_t background, unsigned alpha) {
    return static_cast<std::uint8_t>((color * alpha + background * (255 - alpha) + 127) / 255);
}

}  // namespace

void FlattenAlpha(TBitmap& bitmap, TColor background) {
    if (bitmap.PixelFormat() != pf32bit || !HasMeaningfulAlpha(bitmap)) return;
    const std::uint8_t back[3] = {GetBValue(background), GetGValue(background), GetRValue(background)};
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* pixel = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x, pixel += 4) {
            for (int channel = 0; channel < 3; ++channel) pixel[channel] = Over(pixel[channel], back[channel], pixel[3]);
            pixel[3] = 255;
        }
    }
}

}  // namespace pellumo
