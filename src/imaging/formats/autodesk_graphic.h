#pragma once

#include "imaging/formats/format_graphic.h"

namespace pellumo {

// Autodesk Animator cel and picture files: 8-bit rows after a palette of 256 colours of
// 6 bits a sample, which are widened to 8 bits (63 becomes 252).
class TAutodeskGraphic : public TFormatGraphic {
public:
    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }

    // Raises EInvalidGraphic "Cannot load image. Invalid or unexpected Autodesk image format."
    // for a wrong magic number and "Stream read error in Autodesk file." for a file that ends
    // before its last row; EConvertError for an image beyond the size limit.
    void LoadFromStream(TStream& stream) override;
};

}  // namespace pellumo
