#pragma once

#include "imaging/formats/format_graphic.h"

namespace pellumo {

// The first image of a TIFF file, either byte order: chunky pixel data in strips, uncompressed
// or compressed with CCITT modified Huffman, CCITT Group 3 (one-dimensional), LZW or PackBits,
// with or without the horizontal-differencing predictor; white-is-zero, black-is-zero,
// palette, RGB with or without alpha, CMYK, YCbCr (subsampled or not) and CIE L*a*b*, with the
// ICC profile of its tag 34675. Read only: saving writes nothing. A new instance is an empty
// 24-bit bitmap.
class TTIFFGraphic : public TFormatGraphic {
public:
    TTIFFGraphic();

    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }

    // Raises EInvalidGraphic (format name "TIF/TIFF"): the invalid-format message for a version
    // other than 42, a zero width or height, missing or inconsistent strip geometry and
    // strips of uncompressed data outside the file; "The compression scheme is not supported"
    // for schemes other than 1, 2, 3, 5 and 32773, and for two-dimensional or uncompressed-mode
    // Group 3 data; the invalid-palette message for a palette image without a colour map or
    // with more than 8 bits per pixel; the invalid-colour-format message for sample layouts
    // no bitmap holds (planar data, sample counts that do not fit the photometric
    // interpretation, uneven or unusual bit depths). Reading directory data past the end of
    // the stream is the format's read error.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream&) const override {}
};

}  // namespace pellumo
