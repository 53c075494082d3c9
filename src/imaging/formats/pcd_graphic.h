#pragma once

#include <cstdint>

#include "imaging/formats/format_graphic.h"

namespace pellumo {

// One of the three uncompressed resolutions of a Kodak Photo-CD image pack as a 24-bit
// bitmap. The pack stores luma with chroma at half resolution; the chroma is doubled by
// averaging neighbours, converted with the colour manager's PhotoYCC arithmetic, and the
// picture is turned or flipped as the pack's attribute byte says. Read only: saving writes
// nothing.
class TPCDGraphic : public TFormatGraphic {
public:
    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }

    // The image a load reads: 0 = Base/16 (192 x 128), 1 = Base/4 (384 x 256), 2 = Base
    // (768 x 512, the default). Other values are refused by the load.
    std::uint8_t Resolution() const { return resolution_; }
    void SetResolution(std::uint8_t resolution) { resolution_ = resolution; }

    // Reads the pack that starts at the stream's position. Raises EInvalidGraphic "Cannot load
    // image. Invalid or unexpected PCD image format." without the pack's signature, "Cannot
    // load image. Image sizes other than Base16, Base4 or Base are not supported for PCD
    // files." for a resolution above 2 and "Stream read error in PCD file." for a pack that
    // ends before the image does.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream&) const override {}

private:
    std::uint8_t resolution_ = 2;
};

}  // namespace pellumo
