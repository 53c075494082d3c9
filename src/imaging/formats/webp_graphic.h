#pragma once

#include "imaging/formats/format_graphic.h"

namespace pellumo {

// WebP pictures through libwebp: lossy and lossless stills, and the first frame of an
// animation as it shows on the animation's canvas. A picture with alpha (or a first frame that
// leaves part of the canvas uncovered) loads into a 32-bit bitmap with its alpha, any other
// into a 24-bit one. The ICC profile of an ICCP chunk becomes the graphic's colour profile.
class TWebPGraphic : public TFormatGraphic {
public:
    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }

    // Reads one RIFF file from the stream's position. Raises EInvalidGraphic "Stream read
    // error in WebP file." for a file that ends before its RIFF size, "Cannot load image.
    // Invalid or unexpected WebP image format." for anything libwebp refuses; EConvertError for
    // a canvas beyond the size limit, before anything is allocated for it.
    void LoadFromStream(TStream& stream) override;
};

}  // namespace pellumo
