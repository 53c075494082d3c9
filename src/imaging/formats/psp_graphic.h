#pragma once

#include "imaging/formats/format_graphic.h"

namespace pellumo {

// Paint Shop Pro images of file versions 3 and 4: the first raster layer that is not a
// floating selection, its channels raw, run-length encoded or deflate-compressed. 1-, 4- and
// 8-bit layers load as indexed bitmaps with the file's palette, 24-bit layers as 24-bit colour.
class TPSPGraphic : public TFormatGraphic {
public:
    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }

    // Raises EInvalidGraphic with the "PSP" messages: invalid format for a wrong signature, a
    // file without a raster layer or a layer missing a colour channel; not supported for file
    // versions other than 3 or 4 and compression other than 0 to 2; invalid colour format for
    // bit depths other than 1, 4, 8 and 24; compression error for channel data that cannot
    // fill the image or does not inflate; stream read error for a file that ends early.
    // EConvertError beyond the image size limit.
    void LoadFromStream(TStream& stream) override;
};

}  // namespace pellumo
