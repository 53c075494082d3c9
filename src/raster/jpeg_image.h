#pragma once

#include <cstdint>
#include <vector>

#include "raster/graphic.h"

namespace pellumo {

// A JPEG picture the codec could not read or write; the message is the codec's own.
class EJPEG : public EInvalidGraphic {
public:
    using EInvalidGraphic::EInvalidGraphic;
};

// A picture held as JPEG bytes. Loading keeps the bytes and reads the header (so a file that
// is not JPEG fails at once); assigning it to a bitmap decodes at full scale with the best
// quality settings; assigning a bitmap to it encodes at CompressionQuality.
class TJPEGImage : public TGraphic {
public:
    TJPEGImage() = default;

    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    bool Empty() const override { return data_.empty(); }

    // The rest of the stream, from its position to its end, is the JPEG data.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    // From another JPEG image (copies the bytes) or a bitmap (encodes it).
    void Assign(const TGraphic& source) override;

    // 1..100, default 90; values outside are clipped.
    int CompressionQuality() const { return quality_; }
    void SetCompressionQuality(int quality);

    // Grayscale JPEG data (one component).
    bool Grayscale() const { return grayscale_; }
    const std::vector<std::uint8_t>& Data() const { return data_; }

protected:
    bool AssignTo(TBitmap& target) const override;

private:
    void SetData(std::vector<std::uint8_t> data);

    std::vector<std::uint8_t> data_;
    int width_ = 0;
    int height_ = 0;
    bool grayscale_ = false;
    int quality_ = 90;
};

}  // namespace pellumo
