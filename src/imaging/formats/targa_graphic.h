#pragma once

#include <string>

#include "imaging/formats/format_graphic.h"

namespace pellumo {

// Truevision Targa files: colour-mapped, true-colour and gray, plain or run-length encoded.
// Rows are copied as stored (Targa's byte order is the bitmap's own), turned upright and, for
// files stored from the right edge, mirrored back. Saving always writes the run-length
// encoded kind, top row first.
class TTargaGraphic : public TFormatGraphic {
public:
    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }

    // The file's identification text, read on load and written on save.
    const std::string& ImageID() const { return imageId_; }
    void SetImageID(std::string imageId) { imageId_ = std::move(imageId); }

    // Raises EInvalidGraphic "Cannot load image. Invalid or unexpected Targa image format."
    // for pixel sizes Targa does not have and for uncompressed data that ends early.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;

private:
    std::string imageId_;
};

}  // namespace pellumo
