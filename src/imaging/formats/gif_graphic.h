#pragma once

#include "imaging/formats/format_graphic.h"

namespace pellumo {

// The first image of a GIF file as an 8-bit bitmap with the file's colour table (the image's
// own, else the global one) as palette. Extensions are skipped; animation, transparency and
// the image's place on the logical screen are not used.
class TGIFGraphic : public TFormatGraphic {
public:
    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }

    // Raises EInvalidGraphic "Cannot load image. Invalid or unexpected GIF image format." for
    // a wrong signature; a file cut inside its header, descriptors or colour tables raises the
    // stream's read error, and LZW errors pass through. Image data that ends early leaves the
    // rest of the picture at index 0. A file without an image gives an empty 8-bit bitmap.
    void LoadFromStream(TStream& stream) override;
};

}  // namespace pellumo
