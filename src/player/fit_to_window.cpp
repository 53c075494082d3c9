#include "player/fit_to_window.h"

#include <algorithm>

#include "base/integer_math.h"
#include "imaging/resample/resample.h"
#include "raster/canvas.h"

namespace pellumo {
namespace {

struct TFittedSize {
    int Width;
    int Height;
};

TFittedSize FittedSize(int width, int height, int availableWidth, int availableHeight) {
    TFittedSize size{width, height};
    if (width > height) {
        const double ratio = static_cast<double>(height) / width;
        if (width > availableWidth) {
            size.Width = availableWidth;
            size.Height = static_cast<int>(Round(availableWidth * ratio));
        }
        if (size.Height > availableHeight) {
            size.Height = availableHeight;
            size.Width = static_cast<int>(Round(availableHeight / ratio));
        }
    } else if (width < height) {
        const double ratio = static_cast<double>(width) / height;
        if (height > availableHeight) {
            size.Height = availableHeight;
            size.Width = static_cast<int>(Round(availableHeight * ratio));
        }
    } else if (height > availableHeight) {
        size.Width = size.Height = availableHeight;
    }
    // A sliver of a picture, or a window smaller than its caption line, still keeps one pixel.
    size.Width = std::max(size.Width, 1);
    size.Height = std::max(size.Height, 1);
    return size;
}

}  // namespace

void FitToWindow(TBitmap& bitmap, int availableWidth, int availableHeight, bool fineResize) {
    if (bitmap.Width() <= availableWidth && bitmap.Height() <= availableHeight) return;
    const TFittedSize size = FittedSize(bitmap.Width(), bitmap.Height(), availableWidth, availableHeight);
    TBitmap fitted;
    if (fineResize) {
        ResampleBitmap(size.Width, size.Height, rfTriangle, 0.0f, bitmap, fitted);
    } else {
        fitted.SetPixelFormat(bitmap.PixelFormat());
        fitted.SetSize(size.Width, size.Height);
        fitted.SetPalette(bitmap.Palette());
        fitted.Canvas().StretchDraw(TRect{0, 0, size.Width, size.Height}, bitmap);
    }
    bitmap.Assign(std::move(fitted));
}

}  // namespace pellumo
