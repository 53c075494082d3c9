#pragma once

#include "raster/bitmap.h"
#include "raster/graphic.h"

namespace pellumo {

// A Windows icon file (.ico): of the images it holds, the largest is the picture (at equal
// sizes the deeper one). Images stored as PNG inside the icon are not read. Saving writes a
// one-image icon at 32 bits per pixel, at most 256 pixels wide and high.
class TIcon : public TGraphic {
public:
    TIcon() = default;
    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }

    int Width() const override { return image_.Width(); }
    int Height() const override { return image_.Height(); }

    // The rest of the stream is the icon file.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    // From another icon or a bitmap.
    void Assign(const TGraphic& source) override;

protected:
    bool AssignTo(TBitmap& target) const override;

private:
    TBitmap image_;
};

// Windows metafiles are vector drawings this system cannot render: the class exists so that
// their extensions are known, and loading one says it is not supported.
class TMetafile : public TGraphic {
public:
    TMetafile() = default;
    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }

    int Width() const override { return 0; }
    int Height() const override { return 0; }
    // Raises EInvalidGraphic.
    void LoadFromStream(TStream& stream) override;
    // An empty metafile writes nothing.
    void SaveToStream(TStream&) const override {}
};

}  // namespace pellumo
