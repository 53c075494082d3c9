#pragma once

#include "imaging/formats/format_graphic.h"

namespace pellumo {

// ZSoft PCX pictures and the screen captures of the same layout: 1, 2, 4 or 8 bits in one
// plane, 16 colours in four 1-bit planes, 24-bit colour in three 8-bit planes and 32-bit
// colour with alpha in four (blue, green, red, alpha in the bitmap's rows), raw or run-length
// encoded. Read only: saving writes nothing.
class TPCXGraphic : public TFormatGraphic {
public:
    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }

    // Raises EInvalidGraphic "Cannot load image. Invalid or unexpected PCX or SCR image format."
    // for a wrong signature, an empty or inverted size, rows too short for their pixels or less
    // data than the image needs, and "Invalid color format in PCX file." for any other plane
    // and depth combination the colour manager accepts. Its errors for the rest pass through.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream&) const override {}
};

}  // namespace pellumo
