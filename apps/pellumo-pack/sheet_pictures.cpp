#include "sheet_pictures.h"

#include <algorithm>
#include <cstdint>
#include <functional>

namespace pellumo {
namespace {

// A 24-bit picture whose pixels the function gives as a colour.
TBitmap Painted(int width, int height, const std::function<TColor(int x, int y)>& colourAt) {
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* pixel = picture.ScanLine(y);
        for (int x = 0; x < width; ++x, pixel += 3) {
            const TColor colour = colourAt(x, y);
            pixel[0] = GetBValue(colour);
            pixel[1] = GetGValue(colour);
            pixel[2] = GetRValue(colour);
        }
    }
    return picture;
}

}  // namespace

TBitmap OldSheetPicture(int width, int height) {
    const int square = std::max(height / 5, 1);
    return Painted(width, height, [square](int x, int y) {
        return (x / square + y / square) % 2 == 0 ? RGB(30, 60, 140) : RGB(70, 130, 210);
    });
}

TBitmap NewSheetPicture(int width, int height) {
    const int stripe = std::max(height / 8, 2);
    const std::int64_t radius = std::min(width, height) / 3;
    return Painted(width, height, [=](int x, int y) {
        const std::int64_t dx = x - width / 2, dy = y - height / 2;
        if (dx * dx + dy * dy <= radius * radius) return RGB(150, 20, 30);
        if ((x + y) / stripe % 3 == 0) return RGB(255, 250, 235);
        return RGB(240, static_cast<std::uint8_t>(120 + 110 * x / std::max(width - 1, 1)), 30);
    });
}

}  // namespace pellumo
