#pragma once

#include "imaging/formats/format_graphic.h"

namespace pellumo {

// JPEG XL pictures through libjxl, bare codestreams and containers: the first frame as shown
// (animation frames composed, the orientation applied), narrowed to 8 bits a sample. Gray
// pictures load into 8-bit bitmaps with a gray palette, colour ones into 24-bit bitmaps, and
// pictures with alpha into 32-bit bitmaps with their alpha, unpremultiplied.
//
// The colour profile stored is the one of the pixels as decoded, which is not always the
// file's: a losslessly coded picture comes out in its own colour space, but a lossy (XYB) one
// is rendered by libjxl into a space of the decoder's choosing. Libjxl renders into a space the
// file names by its encoding (sRGB, Display P3, ...) without a colour engine, and does so by
// default; for a file whose space is an ICC profile it could only give linear sRGB, which 8
// bits would band, so sRGB is asked for then. Storing the file's own profile for such pixels
// would convert them from a space they are not in. Pixels in sRGB get no profile: they are
// what a picture without one is taken to be.
class TJXLGraphic : public TFormatGraphic {
public:
    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }

    // Reads the stream to its end. Raises EInvalidGraphic "Stream read error in JPEG XL file."
    // for a file that ends before its first frame does, "Cannot load image. Invalid or
    // unexpected JPEG XL image format." for anything libjxl refuses; EConvertError for a
    // picture beyond the size limit, before anything is allocated for its pixels.
    void LoadFromStream(TStream& stream) override;
};

}  // namespace pellumo
