#include "raster/jpeg_image.h"

#include <algorithm>

#include "base/stream.h"
#include "raster/bitmap.h"
#include "raster/bounded_reader.h"
#include "raster/display.h"
#include "raster/jpeg_codec.h"

namespace pellumo {

TGraphicClass TJPEGImage::StaticClass() {
    return GraphicClassOf<TJPEGImage>("TJPEGImage");
}

void TJPEGImage::SetData(std::vector<std::uint8_t> data) {
    JpegHeader header = ReadJpegHeader(data);
    data_ = std::move(data);
    width_ = header.width;
    height_ = header.height;
    grayscale_ = header.components == 1;
    SetColorProfile(std::move(header.colorProfile));
    Changed();
}

void TJPEGImage::LoadFromStream(TStream& stream) {
    SetData(RestOfFile(stream));
}

void TJPEGImage::SaveToStream(TStream& stream) const { stream.WriteBuffer(data_.data(), data_.size()); }

void TJPEGImage::Assign(const TGraphic& source) {
    if (&source == this) return;
    if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(&source)) {
        data_ = jpeg->data_;
        width_ = jpeg->width_;
        height_ = jpeg->height_;
        grayscale_ = jpeg->grayscale_;
        quality_ = jpeg->quality_;
        SetColorProfile(jpeg->ColorProfile());
        Changed();
    } else if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
        SetData(EncodeJpeg(*bitmap, quality_));
    } else {
        TGraphic::Assign(source);
    }
}

void TJPEGImage::SetCompressionQuality(int quality) { quality_ = std::clamp(quality, 1, 100); }

bool TJPEGImage::AssignTo(TBitmap& target) const {
    TBitmap decoded;
    if (!data_.empty()) DecodeJpeg(data_, DisplayBitsPerPixel() <= 8, decoded);
    target.Assign(std::move(decoded));
    return true;
}

}  // namespace pellumo
