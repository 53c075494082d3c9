#pragma once

#include "imaging/formats/format_graphic.h"

namespace pellumo {

// Silicon Graphics images: 1, 3 or 4 channels of 1 or 2 bytes, raw or run-length encoded,
// rows stored bottom-up. Three channels load as 24-bit colour, four as 32-bit colour with
// alpha, any other count as 8-bit gray from the first channel.
class TSGIGraphic : public TFormatGraphic {
public:
    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }

    // Raises EInvalidGraphic "Cannot load image. Invalid or unexpected sgi, bw or rgb(a) image
    // format." for a wrong magic number, no channels, a sample size other than 1 or 2 bytes or
    // a row offset into the header, and "Stream read error in sgi, bw or rgb(a) file." for
    // tables or raw rows the file does not hold; EConvertError beyond the image size limit.
    void LoadFromStream(TStream& stream) override;
};

}  // namespace pellumo
