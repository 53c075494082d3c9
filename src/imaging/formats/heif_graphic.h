#pragma once

#include <string_view>

#include "imaging/formats/format_graphic.h"

namespace pellumo {

// The primary picture of a file of the HEIF family, decoded by libheif: HEVC-coded HEIC and
// AV1-coded AVIF alike, whatever the extension says. The picture comes as libheif shows it:
// rotated, mirrored and cropped as the file's properties say, 10- and 12-bit samples narrowed to
// 8. A picture with alpha loads into a 32-bit bitmap with its alpha in the fourth byte (colours
// stored premultiplied made straight), one without into a 24-bit bitmap. An ICC profile the
// file carries is kept as ColorProfile. Read only: saving writes nothing.
//
// LoadFromStream raises EInvalidGraphic naming the format: "Stream read error in <format>
// file." for a file cut short, "Cannot load image. The compression scheme is not supported for
// <format> files." for a coding libheif cannot decode, "Cannot load image. Sizes beyond the
// decoder's limits are not supported ..." for a picture side beyond 32768 pixels or a box beyond
// libheif's own limits, and "Cannot load image. Invalid or unexpected <format> image format."
// for anything else libheif refuses, for a grid, overlay or identity made from an item that is
// not a picture, and for a decoded picture of another size than its header says; EConvertError
// for a picture, or the canvas of a grid or overlay in the file, beyond the image size limit,
// before anything is decoded.
class THEIFFamilyGraphic : public TFormatGraphic {
public:
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream&) const override {}

protected:
    explicit THEIFFamilyGraphic(std::string_view formatName) : formatName_(formatName) {}

private:
    std::string_view formatName_;  // in the messages
};

// Two classes over one decoder, so that the registry describes each format on its own and a
// failure names the format the user opened.
class THEIFGraphic final : public THEIFFamilyGraphic {
public:
    THEIFGraphic() : THEIFFamilyGraphic("HEIF") {}
    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }
};

class TAVIFGraphic final : public THEIFFamilyGraphic {
public:
    TAVIFGraphic() : THEIFFamilyGraphic("AVIF") {}
    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }
};

}  // namespace pellumo
