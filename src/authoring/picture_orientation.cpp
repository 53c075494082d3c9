#include "authoring/picture_orientation.h"

#include <cstring>

#include "raster/bitmap.h"
#include "raster/rect.h"

namespace pellumo {
namespace {

// Where the pixel that lands at (x, y) of the upright picture lies in the stored one, whose
// size is width x height.
TPoint SourceOf(int orientation, int x, int y, int width, int height) {
    switch (orientation) {
        case 2: return {width - 1 - x, y};
        case 3: return {width - 1 - x, height - 1 - y};
        case 4: return {x, height - 1 - y};
        case 5: return {y, x};
        case 6: return {y, height - 1 - x};
        case 7: return {width - 1 - y, height - 1 - x};
        case 8: return {width - 1 - y, x};
        default: return {x, y};
    }
}

}  // namespace

void OrientUpright(TBitmap& picture, int orientation) {
    if (orientation < 2 || orientation > 8 || picture.Empty()) return;
    // Pixels smaller than a byte move as whole bytes once spread to 8 bits. The palette they
    // are shown with is made the bitmap's own first, so that it fits both depths and neither
    // conversion changes a colour.
    const TPixelFormat format = picture.PixelFormat();
    if (BitsPerPixel(format) < 8) {
        picture.SetPalette(EffectivePalette(picture.Palette(), BitsPerPixel(format)));
        picture.SetPixelFormat(pf8bit);
    }

    const int width = picture.Width(), height = picture.Height();
    const bool swapsSides = orientation >= 5;
    const std::size_t pixelBytes = static_cast<std::size_t>(BitsPerPixel(picture.PixelFormat()) / 8);
    TBitmap upright;
    upright.SetPixelFormat(picture.PixelFormat());
    upright.SetPalette(picture.Palette());
    upright.SetSize(swapsSides ? height : width, swapsSides ? width : height);
    for (int y = 0; y < upright.Height(); ++y) {
        std::uint8_t* target = upright.ScanLine(y);
        for (int x = 0; x < upright.Width(); ++x, target += pixelBytes) {
            const TPoint from = SourceOf(orientation, x, y, width, height);
            std::memcpy(target, picture.ScanLine(from.Y) + static_cast<std::size_t>(from.X) * pixelBytes, pixelBytes);
        }
    }
    upright.SetPixelFormat(format);
    picture.Assign(std::move(upright));
}

}  // namespace pellumo
