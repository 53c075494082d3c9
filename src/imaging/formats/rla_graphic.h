#pragma once

#include "imaging/formats/format_graphic.h"

namespace pellumo {

// Wavefront RLA images: three run-length encoded 8-bit colour channels per scan line, found
// through an offset table, with an optional matte channel (loaded as alpha into a 32-bit
// bitmap) and a gamma value that, when it is not 1, corrects the colours for a display gamma
// of 2.2. Scan lines are stored bottom-up or top-down as the active window says.
class TRLAGraphic : public TFormatGraphic {
public:
    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }

    // Raises EInvalidGraphic "Invalid color format in RLA file." for colour spaces other than
    // RGB, channel counts other than 3 and samples other than 8 bits, "Cannot load image.
    // Invalid or unexpected RLA image format." for an empty active window, and "Stream read
    // error in RLA file." for a file that ends early or an offset outside it.
    void LoadFromStream(TStream& stream) override;
};

}  // namespace pellumo
