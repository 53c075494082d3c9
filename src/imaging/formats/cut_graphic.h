#pragma once

#include <string>

#include "imaging/formats/format_graphic.h"

namespace pellumo {

// Dr. Halo CUT pictures: run-length encoded 8-bit rows, their colours in a palette file of
// their own. A picture loaded from a file takes the file of the same name with the extension
// ".pal" beside it; without one it shows its indices as grays.
class TCUTGraphic : public TFormatGraphic {
public:
    static TGraphicClass StaticClass();
    TGraphicClass ClassType() const override { return StaticClass(); }

    // The palette file the next load reads; empty, or a name no file has, means 256 grays.
    const std::string& PaletteFile() const { return paletteFile_; }
    void SetPaletteFile(std::string fileName) { paletteFile_ = std::move(fileName); }

    // Remembers the picture's companion palette file (the name with its extension replaced
    // by ".pal"), then loads the picture as every graphic does.
    void LoadFromFile(const std::string& fileName) override;

    // Raises EInvalidGraphic "Stream read error in CUT file." for a picture whose data ends
    // before its last row and "Cannot load image. Palette in CUT file is invalid." for a
    // palette file that ends before its last colour; EConvertError for an image beyond the
    // size limit.
    void LoadFromStream(TStream& stream) override;

private:
    std::string paletteFile_;
};

}  // namespace pellumo
