#include "imaging/formats/autodesk_graphic.h"

#include <gtest/gtest.h>

#include "base/memory_stream.h"
#include "raster/pixels.h"

namespace pellumo {
namespace {

using probe::PixelAt;
using probe::Rgb;
using TBytes = std::vector<std::uint8_t>;

// A 2 x 2 cel whose colour i is (i mod 64, 63, 0) and whose pixels are 0, 1, 2, 63.
TBytes Cel() {
    TBytes file(32, 0);
    file[0] = 0x19, file[1] = 0x91, file[2] = 2, file[4] = 2;
    for (int i = 0; i < 256; ++i) file.insert(file.end(), {static_cast<std::uint8_t>(i % 64), 63, 0});
    file.insert(file.end(), {0, 1, 2, 63});
    return file;
}

std::string LoadError(const TBytes& file) {
    TAutodeskGraphic cel;
    TMemoryStream stream(file);
    try {
        cel.LoadFromStream(stream);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(loaded)";
}

TEST(AutodeskGraphic, SixBitPaletteWidenedAndRowsAsStored) {
    TAutodeskGraphic cel;
    TMemoryStream stream(Cel());
    cel.LoadFromStream(stream);
    EXPECT_EQ(cel.PixelFormat(), pf8bit);
    ASSERT_EQ(cel.Width(), 2);
    EXPECT_EQ(cel.ScanLine(1)[1], 63);
    EXPECT_EQ(PixelAt(cel, 0, 0), (Rgb{0, 252, 0}));
    EXPECT_EQ(PixelAt(cel, 1, 1), (Rgb{252, 252, 0}));
}

TEST(AutodeskGraphic, RefusesOtherMagicAndShortFiles) {
    TBytes other = Cel();
    other[1] = 0x92;
    EXPECT_EQ(LoadError(other), "Cannot load image. Invalid or unexpected Autodesk image format.");
    EXPECT_EQ(LoadError({0x19}), "Cannot load image. Invalid or unexpected Autodesk image format.");
    const TBytes cel = Cel();
    EXPECT_EQ(LoadError(TBytes(cel.begin(), cel.end() - 1)), "Stream read error in Autodesk file.");
    EXPECT_EQ(LoadError(TBytes(cel.begin(), cel.begin() + 500)), "Stream read error in Autodesk file.");
}

}  // namespace
}  // namespace pellumo
