#pragma once

#include "base/color.h"
#include "imaging/formats/format_graphic.h"

namespace pellumo {

// Portable Network Graphics files: every colour type and bit depth, plain or Adam7
// interlaced. Gray and indexed images load into 1-, 4- or 8-bit bitmaps with a palette (gray
// with alpha as 8-bit gray, the alpha dropped), RGB into 24-bit and RGBA into 32-bit bitmaps
// with their alpha. A gAMA chunk corrects the colours for a display gamma of 2.2. Saving
// writes a PNG file (see WritePngFile): palette images at the bitmap's depth, RGBA for a
// 32-bit bitmap with an alpha, RGB otherwise.
class TPNGGraphic : public TFormatGraphic {
public:
    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }

    // Reads one image up to its IEND chunk. Raises EInvalidGraphic with the reader's messages
    // for a bad signature, header, CRC, palette, colour format or compressed stream, image
    // data that ends early, an unknown critical chunk or a file that ends before IEND;
    // EConvertError for an image beyond the size limit.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;

    // The colour a tRNS chunk of a gray or RGB image makes transparent, as 0x00BBGGRR.
    bool Transparent() const { return transparent_; }
    TColor TransparentColor() const { return transparentColor_; }
    // The background a bKGD chunk suggests (white without one), as 0x00BBGGRR.
    TColor BackgroundColor() const { return backgroundColor_; }

private:
    bool transparent_ = false;
    TColor transparentColor_ = clWhite;
    TColor backgroundColor_ = clWhite;
};

}  // namespace pellumo
