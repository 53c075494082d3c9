#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/cache_line_allocator.h"
#include "raster/canvas.h"
#include "raster/graphic.h"
#include "raster/palette.h"
#include "raster/pixel_format.h"

namespace pellumo {

// A bitmap's pixels, starting on a cache line.
using TPixelBytes = std::vector<std::uint8_t, TCacheLineAllocator<std::uint8_t>>;

// A raster image in memory. Rows are padded to 4 bytes and stored top-down; 24-bit pixels are
// blue-green-red, 32-bit pixels blue-green-red-unused, sub-byte pixels most significant bits
// first. A new bitmap is empty and device-dependent (pfDevice).
class TBitmap : public TGraphic {
public:
    TBitmap() = default;
    // Moves the image, not the change handler.
    TBitmap(TBitmap&& source) noexcept;

    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    // Resizing keeps the pixels both sizes share; new pixels are 0. Sizes beyond the image
    // limit, or negative, raise EConvertError and leave the bitmap as it was.
    void SetWidth(int width) { SetSize(width, height_); }
    void SetHeight(int height) { SetSize(width_, height); }
    void SetSize(int width, int height);

    TPixelFormat PixelFormat() const { return pixelFormat_; }
    // Converts the pixels and keeps the image. To an indexed format the colours map to the
    // nearest entry of the bitmap's own palette when it has one that fits the depth, else of
    // the default palette of that depth, which the bitmap then takes. pfCustom raises.
    void SetPixelFormat(TPixelFormat format);

    // bmDDB is the same as pfDevice; setting bmDIB on a device bitmap makes it pf32bit.
    THandleType HandleType() const { return pixelFormat_ == pfDevice ? bmDDB : bmDIB; }
    void SetHandleType(THandleType type);

    // The bitmap owns its palette; at most 256 entries are kept.
    const TPalette& Palette() const { return palette_; }
    void SetPalette(TPalette palette);

    // Row `row` (0 = top); rows outside 0..Height()-1 raise EInvalidGraphicOperation.
    std::uint8_t* ScanLine(int row) { return pixels_.data() + RowOffset(row); }
    const std::uint8_t* ScanLine(int row) const { return pixels_.data() + RowOffset(row); }
    std::size_t RowBytes() const { return stride_; }

    // The bitmap's drawing surface, made on first use; it lives as long as the bitmap.
    TCanvas& Canvas();

    // What `Handle := 0` does: the image is released (0 x 0, no palette, device format, no
    // colour profile), so a later set-up starts fresh.
    void ReleaseHandle();

    void Assign(const TGraphic& source) override;
    // Takes over the source's image without copying it; the source is left empty. The colour
    // profile stays this bitmap's own: work done in place (turning, fitting) keeps it.
    void Assign(TBitmap&& source);
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;

private:
    friend class TCanvas;
    void ReleaseImage() noexcept;
    std::size_t RowOffset(int row) const {
        if (row < 0 || row >= height_) ThrowRowOutOfRange();
        return static_cast<std::size_t>(row) * stride_;
    }
    [[noreturn]] static void ThrowRowOutOfRange();

    int width_ = 0;
    int height_ = 0;
    TPixelFormat pixelFormat_ = pfDevice;
    TPalette palette_;
    std::size_t stride_ = 0;
    TPixelBytes pixels_;
    std::unique_ptr<TCanvas> canvas_;
};

}  // namespace pellumo
