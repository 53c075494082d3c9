#include "imaging/formats/cut_graphic.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "base/memory_stream.h"
#include "raster/pixels.h"

namespace pellumo {
namespace {

using probe::PixelAt;
using probe::Rgb;
using TBytes = std::vector<std::uint8_t>;

// 3 x 2: a run of three 5s, then the literal 1, 2, 3. Each row starts with its two-byte length.
const TBytes kPicture{3, 0, 2, 0, 0, 0, /* row 0 */ 3, 0, 0x83, 5, 0, /* row 1 */ 5, 0, 0x03, 1, 2, 3, 0};

// A palette file of `count` colours, colour i = (i, 2i, 255 - i), each sample stored as a
// 16-bit value whose high byte is noise; entries skip the last bytes of each 512-byte block.
TBytes PaletteFile(int count, std::size_t size = 0) {
    TBytes file(512, 0);
    file[0] = 'A', file[1] = 'H';
    file[12] = static_cast<std::uint8_t>(count - 1), file[13] = static_cast<std::uint8_t>((count - 1) >> 8);
    std::size_t at = 40;
    for (int i = 0; i < count; ++i) {
        if (at + 6 > 512) {
            file.resize(file.size() + 512, 0);
            at = 0;
        }
        const std::size_t offset = file.size() - 512 + at;
        const int samples[3] = {i, 2 * i, 255 - i};
        for (int c = 0; c < 3; ++c) {
            file[offset + 2 * static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(samples[c]);
            file[offset + 2 * static_cast<std::size_t>(c) + 1] = 0x7E;
        }
        at += 6;
    }
    file.resize(size != 0 ? size : file.size() - 512 + at);
    return file;
}

class CUTGraphicTest : public ::testing::Test {
protected:
    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("pellumo-cut-" + std::to_string(::getpid()));
    void SetUp() override { std::filesystem::create_directories(folder); }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string Write(const char* name, const TBytes& bytes) const {
        std::ofstream((folder / name).string(), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                                         static_cast<std::streamsize>(bytes.size()));
        return (folder / name).string();
    }
};

std::string LoadError(const TBytes& file) {
    TCUTGraphic cut;
    TMemoryStream stream(file);
    try {
        cut.LoadFromStream(stream);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(loaded)";
}

TEST_F(CUTGraphicTest, PaletteFileBesideThePictureElseGrays) {
    TCUTGraphic cut;
    cut.LoadFromFile(Write("alone.cut", kPicture));
    EXPECT_EQ(cut.PixelFormat(), pf8bit);
    EXPECT_EQ(cut.Palette(), GrayPalette());
    EXPECT_EQ(cut.ScanLine(0)[2], 5);
    EXPECT_EQ(cut.ScanLine(1)[2], 3);
    EXPECT_EQ(PixelAt(cut, 0, 0), (Rgb{5, 5, 5}));

    // 100 colours run into the second block of the palette file.
    Write("picture.pal", PaletteFile(100));
    cut.LoadFromFile(Write("picture.cut", kPicture));
    EXPECT_EQ(cut.PaletteFile(), (folder / "picture.pal").string());
    ASSERT_EQ(cut.Palette().size(), 100u);
    EXPECT_EQ(PixelAt(cut, 0, 0), (Rgb{5, 10, 250}));
    EXPECT_EQ(cut.Palette()[78], (TPaletteEntry{78, 156, 177, 0}));  // the first entry of block two
    EXPECT_EQ(cut.Palette()[99], (TPaletteEntry{99, 198, 156, 0}));
}

TEST_F(CUTGraphicTest, PaletteFilesBeyond256ColoursAreClippedAndShortOnesRefused) {
    TCUTGraphic cut;
    cut.SetPaletteFile(Write("big.pal", PaletteFile(300)));
    TMemoryStream stream(kPicture);
    cut.LoadFromStream(stream);
    ASSERT_EQ(cut.Palette().size(), 256u);
    EXPECT_EQ(cut.Palette()[255], (TPaletteEntry{255, 254, 0, 0}));

    cut.SetPaletteFile(Write("short.pal", PaletteFile(100, 600)));
    stream.SetPosition(0);
    try {
        cut.LoadFromStream(stream);
        ADD_FAILURE() << "a palette file cut short loaded";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Cannot load image. Palette in CUT file is invalid.");
    }
}

TEST(CUTGraphic, DataThatEndsBeforeTheLastRowIsAReadError) {
    const std::string ended = "Stream read error in CUT file.";
    EXPECT_EQ(LoadError({3, 0}), ended);
    EXPECT_EQ(LoadError(TBytes(kPicture.begin(), kPicture.end() - 1)), ended);
    EXPECT_EQ(LoadError(TBytes(kPicture.begin(), kPicture.end() - 7)), ended);
    // A header promising far more pixels than the data can make.
    EXPECT_EQ(LoadError({0xFF, 0x3F, 0xFF, 0x3F, 0, 0, 0, 0, 0}), ended);
}

}  // namespace
}  // namespace pellumo
