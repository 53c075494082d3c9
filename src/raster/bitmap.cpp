#include "raster/bitmap.h"

#include <algorithm>
#include <cstring>

#include "base/image_limits.h"
#include "raster/bmp_codec.h"
#include "raster/pixel_rows.h"
#include "raster/raster_messages.h"

namespace pellumo {
namespace {

// A palette is reused at a lower depth only when every entry can still be indexed.
bool FitsDepth(const TPalette& palette, int bitsPerPixel) {
    return !palette.empty() && palette.size() <= (std::size_t{1} << bitsPerPixel);
}

}  // namespace

TGraphicClass TBitmap::StaticClass() {
    return GraphicClassOf<TBitmap>("TBitmap");
}

TBitmap::TBitmap(TBitmap&& source) noexcept
    : width_(source.width_),
      height_(source.height_),
      pixelFormat_(source.pixelFormat_),
      palette_(std::move(source.palette_)),
      stride_(source.stride_),
      pixels_(std::move(source.pixels_)) {
    SetColorProfile(source.TakeColorProfile());
    source.ReleaseImage();
}

void TBitmap::SetSize(int width, int height) {
    if (width == width_ && height == height_) return;
    const int bits = BitsPerPixel(pixelFormat_);
    TPixelBytes pixels(CheckedImageBytes(width, height, bits));
    const std::size_t stride = RowStride(width, bits);
    // Only the bits of the shared pixels: the rest of a row (padding, or pixels cut off by an
    // earlier shrink) must not reappear as new pixels.
    const std::size_t keptBits = static_cast<std::size_t>(std::min(width, width_)) * static_cast<std::size_t>(bits);
    const std::size_t keptBytes = keptBits / 8;
    const auto lastByteMask = static_cast<std::uint8_t>(0xFF00u >> (keptBits % 8));
    for (int y = 0; y < std::min(height, height_); ++y) {
        std::uint8_t* target = pixels.data() + y * stride;
        const std::uint8_t* source = pixels_.data() + y * stride_;
        if (keptBytes != 0) std::memcpy(target, source, keptBytes);
        if (lastByteMask != 0) target[keptBytes] = source[keptBytes] & lastByteMask;
    }
    width_ = width;
    height_ = height;
    stride_ = stride;
    pixels_ = std::move(pixels);
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == pfCustom) throw EInvalidGraphic(std::string(raster_messages::kInvalidPixelFormat));
    if (format == pixelFormat_) return;
    const int oldBits = BitsPerPixel(pixelFormat_);
    const int newBits = BitsPerPixel(format);
    if (oldBits == 32 && newBits == 32) {  // pf32bit and pfDevice share one layout
        pixelFormat_ = format;
        Changed();
        return;
    }

    TPalette newPalette = palette_;
    if (IsIndexed(format) && !FitsDepth(palette_, newBits)) newPalette = DefaultPalette(newBits);
    const TPalette& oldColors = EffectivePalette(palette_, oldBits);
    // Between indexed formats with the same colours the indices themselves carry over.
    const bool keepIndices = IsIndexed(pixelFormat_) && IsIndexed(format) && newPalette == oldColors;

    const std::size_t stride = RowStride(width_, newBits);
    TPixelBytes pixels(stride * static_cast<std::size_t>(height_));
    std::vector<std::uint8_t> bgrx(static_cast<std::size_t>(width_) * 4);
    TNearestColor nearest(newPalette);
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* source = pixels_.data() + y * stride_;
        std::uint8_t* target = pixels.data() + y * stride;
        if (keepIndices) {
            for (int x = 0; x < width_; ++x) {
                std::uint8_t index = GetIndex(source, oldBits, x);
                if (index >= newPalette.size() || (index >> newBits) != 0) {
                    const TPaletteEntry c = index < oldColors.size() ? oldColors[index] : TPaletteEntry{};
                    index = nearest.IndexOf(c.peRed, c.peGreen, c.peBlue);
                }
                SetIndex(target, newBits, x, index);
            }
        } else {
            UnpackRow(source, pixelFormat_, palette_, width_, bgrx.data());
            PackRow(bgrx.data(), width_, format, &nearest, target);
        }
    }
    pixelFormat_ = format;
    palette_ = std::move(newPalette);
    stride_ = stride;
    pixels_ = std::move(pixels);
    Changed();
}

void TBitmap::SetHandleType(THandleType type) {
    if (type == bmDDB) SetPixelFormat(pfDevice);
    else if (pixelFormat_ == pfDevice) SetPixelFormat(pf32bit);
}

void TBitmap::SetPalette(TPalette palette) {
    if (palette.size() > kMaxPaletteEntries) palette.resize(kMaxPaletteEntries);
    palette_ = std::move(palette);
    Changed();
}

void TBitmap::ThrowRowOutOfRange() { throw EInvalidGraphicOperation(std::string(raster_messages::kScanLineOutOfRange)); }

TCanvas& TBitmap::Canvas() {
    if (!canvas_) canvas_ = std::make_unique<TCanvas>(*this);
    return *canvas_;
}

void TBitmap::ReleaseImage() noexcept {
    width_ = height_ = 0;
    pixelFormat_ = pfDevice;
    palette_.clear();
    palette_.shrink_to_fit();
    stride_ = 0;
    pixels_.clear();
    pixels_.shrink_to_fit();
}

void TBitmap::ReleaseHandle() {
    ReleaseImage();
    SetColorProfile({});
    Changed();
}

void TBitmap::Assign(const TGraphic& source) {
    if (&source == this) return;
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
        width_ = bitmap->width_;
        height_ = bitmap->height_;
        pixelFormat_ = bitmap->pixelFormat_;
        palette_ = bitmap->palette_;
        stride_ = bitmap->stride_;
        pixels_ = bitmap->pixels_;
        SetColorProfile(bitmap->ColorProfile());
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TBitmap::Assign(TBitmap&& source) {
    if (&source == this) return;
    width_ = source.width_;
    height_ = source.height_;
    pixelFormat_ = source.pixelFormat_;
    palette_ = std::move(source.palette_);
    stride_ = source.stride_;
    pixels_ = std::move(source.pixels_);
    source.ReleaseHandle();
    Changed();
}

void TBitmap::LoadFromStream(TStream& stream) { ReadBitmapFile(stream, *this); }

void TBitmap::SaveToStream(TStream& stream) const { WriteBitmapFile(stream, *this); }

}  // namespace pellumo
