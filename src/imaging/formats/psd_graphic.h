#pragma once

#include "imaging/formats/format_graphic.h"

namespace pellumo {

// The merged image of Photoshop files, raw or PackBits-compressed; layers are not read.
// Bitmap mode loads as 1-bit with white first, gray and duotone as 8-bit gray, indexed with
// the file's colour table, RGB and multichannel as 24-bit colour (32-bit with the alpha of a
// fourth channel), CMYK and L*a*b* as 24-bit colour. 16-bit samples are narrowed to 8 bits.
class TPSDGraphic : public TFormatGraphic {
public:
    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }

    // Raises EInvalidGraphic with the "PSD or PDD" messages: invalid format for a wrong
    // signature, invalid colour format for modes, depths and channel counts without a
    // conversion, not supported for compression other than raw and PackBits, invalid palette
    // for an indexed file without colours, compression error for PackBits data too short for
    // its rows, and stream read error for a file that ends early; EConvertError beyond the
    // image size limit. Colour manager errors pass through.
    void LoadFromStream(TStream& stream) override;
};

}  // namespace pellumo
