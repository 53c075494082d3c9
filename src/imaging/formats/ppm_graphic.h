#pragma once

#include "imaging/formats/format_graphic.h"

namespace pellumo {

// Portable bitmaps, graymaps and pixmaps, text (P1, P2, P3) and raw (P4, P5, P6): 1-bit
// black-and-white and 8-bit gray bitmaps with gray palettes, 24-bit colour. Samples are
// stretched from 0..maximum to 0..255, rounded to nearest; files with a maximum above 255 hold
// 16-bit samples in their raw form.
class TPPMGraphic : public TFormatGraphic {
public:
    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }

    // Header numbers may follow the magic on its own line or on later ones, with comment lines
    // anywhere between them; a remark may take the rest of the magic's line instead. Raises
    // EInvalidGraphic "Cannot load image. Invalid or unexpected PBM, PGM or PPM image format."
    // for a wrong magic, text where a number belongs, numbers out of range (a maximum of 0 or
    // above 65535, a text sample above the maximum, a digit other than 0 or 1 in a text
    // bitmap) and "Stream read error in PPM file." for a file that ends before its last pixel;
    // EConvertError for an image beyond the size limit. A raw sample above the maximum reads
    // as the maximum.
    void LoadFromStream(TStream& stream) override;
};

}  // namespace pellumo
