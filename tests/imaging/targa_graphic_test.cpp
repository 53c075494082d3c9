#include "imaging/formats/targa_graphic.h"

#include <gtest/gtest.h>

#include "base/memory_stream.h"
#include "raster/picture.h"
#include "raster/pixels.h"

namespace pellumo {
namespace {

using probe::PixelAt;
using probe::Rgb;
using TBytes = std::vector<std::uint8_t>;

TBytes Header(std::uint8_t imageType, int width, int height, std::uint8_t pixelSize, std::uint8_t descriptor = 0,
              std::uint8_t colorMapType = 0, std::uint16_t mapLength = 0, std::uint8_t mapEntrySize = 0) {
    TBytes h(18, 0);
    h[1] = colorMapType;
    h[2] = imageType;
    h[5] = static_cast<std::uint8_t>(mapLength);
    h[6] = static_cast<std::uint8_t>(mapLength >> 8);
    h[7] = mapEntrySize;
    h[12] = static_cast<std::uint8_t>(width);
    h[13] = static_cast<std::uint8_t>(width >> 8);
    h[14] = static_cast<std::uint8_t>(height);
    h[15] = static_cast<std::uint8_t>(height >> 8);
    h[16] = pixelSize;
    h[17] = descriptor;
    return h;
}

TBytes operator+(TBytes a, const TBytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TTargaGraphic Load(const TBytes& file) {
    TMemoryStream stream(file);
    TTargaGraphic targa;
    targa.LoadFromStream(stream);
    return targa;
}

TEST(TargaGraphic, BottomUpAndTopDownTwinsGiveTheSameBitmap) {
    const TBytes top = {1, 2, 3, 4, 5, 6}, bottom = {7, 8, 9, 10, 11, 12};
    const TTargaGraphic bottomUp = Load(Header(2, 2, 2, 24) + bottom + top);
    const TTargaGraphic topDown = Load(Header(2, 2, 2, 24, 0x20) + top + bottom);
    // Stored from the right edge: each row's pixels in reverse.
    const TTargaGraphic mirrored = Load(Header(2, 2, 2, 24, 0x30) + TBytes{4, 5, 6, 1, 2, 3, 10, 11, 12, 7, 8, 9});
    for (const TTargaGraphic* t : {&bottomUp, &topDown, &mirrored}) {
        EXPECT_EQ(t->PixelFormat(), pf24bit);
        EXPECT_EQ(PixelAt(*t, 0, 0), (Rgb{3, 2, 1}));
        EXPECT_EQ(PixelAt(*t, 1, 1), (Rgb{12, 11, 10}));
    }
}

TEST(TargaGraphic, ColourMapsAndGrayImages) {
    // A 16-bit colour map: 0x7FFF is white as 5-bit channels times 8.
    const TTargaGraphic mapped = Load(Header(1, 2, 1, 8, 0, 1, 2, 16) + TBytes{0xFF, 0x7F, 0x1F, 0x00} + TBytes{0, 1});
    EXPECT_EQ(mapped.PixelFormat(), pf8bit);
    EXPECT_EQ(PixelAt(mapped, 0, 0), (Rgb{248, 248, 248}));
    EXPECT_EQ(PixelAt(mapped, 1, 0), (Rgb{0, 0, 248}));

    // Gray, run-length: a ramp palette and 8-bit pixels; a run crossing into the next row.
    const TTargaGraphic gray = Load(Header(11, 2, 2, 8, 0x20) + TBytes{0x82, 77, 0x00, 5});
    EXPECT_EQ(gray.PixelFormat(), pf8bit);
    EXPECT_EQ(gray.Palette().size(), 256u);
    EXPECT_EQ(PixelAt(gray, 1, 0), (Rgb{77, 77, 77}));
    EXPECT_EQ(PixelAt(gray, 0, 1), (Rgb{77, 77, 77}));
    EXPECT_EQ(PixelAt(gray, 1, 1), (Rgb{5, 5, 5}));

    // A gray file that carries a colour map anyway: the map is read past, not taken as pixels.
    const TTargaGraphic grayWithMap = Load(Header(3, 1, 1, 8, 0, 1, 1, 24) + TBytes{9, 9, 9} + TBytes{200});
    EXPECT_EQ(PixelAt(grayWithMap, 0, 0), (Rgb{200, 200, 200}));
}

TEST(TargaGraphic, SavedFilesLoadBackWithTheirHeaders) {
    TTargaGraphic colour;
    colour.SetPixelFormat(pf24bit);
    colour.SetSize(130, 3);  // rows longer than one packet
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 130; ++x) probe::SetPixel(colour, x, y, {x % 3 == 0 ? 10 : 200, y * 50, x < 64 ? 0 : 255});
    colour.SetImageID("Pellumo");
    TMemoryStream saved;
    colour.SaveToStream(saved);
    const TBytes& bytes = saved.Bytes();
    EXPECT_EQ(bytes[0], 7);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(bytes[2], 10);
    EXPECT_EQ(bytes[5] | (bytes[6] << 8), 256);
    EXPECT_EQ(bytes[7], 24);
    EXPECT_EQ(bytes[17], 0x20);  // top row first, whatever order the bitmap keeps
    const TTargaGraphic back = Load(bytes);
    EXPECT_EQ(back.ImageID(), "Pellumo");
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 130; ++x) ASSERT_EQ(PixelAt(back, x, y), PixelAt(colour, x, y)) << x << "," << y;

    TTargaGraphic indexed;
    indexed.SetPixelFormat(pf4bit);
    indexed.SetSize(3, 2);
    indexed.SetPalette({{1, 2, 3, 0}, {250, 0, 0, 0}});
    indexed.ScanLine(1)[0] = 0x10;
    TMemoryStream small;
    indexed.SaveToStream(small);
    EXPECT_EQ(small.Bytes()[2], 9);
    EXPECT_EQ(small.Bytes()[16], 8);
    EXPECT_EQ(small.Bytes().size(), 18u + 768u + 2u + 4u);  // a run; a literal and a run
    const TTargaGraphic indexedBack = Load(small.Bytes());
    EXPECT_EQ(indexedBack.PixelFormat(), pf8bit);
    EXPECT_EQ(PixelAt(indexedBack, 0, 1), (Rgb{250, 0, 0}));
    EXPECT_EQ(PixelAt(indexedBack, 2, 0), (Rgb{1, 2, 3}));
}

TEST(TargaGraphic, RefusesWhatItCannotReadBeforeAllocatingForIt) {
    const struct {
        TBytes file;
        const char* message;
    } bad[] = {
        {Header(2, 2, 2, 24) + TBytes{1, 2, 3}, "Stream read error in Targa file."},         // pixels end early
        {Header(2, 60000, 4000, 8) + TBytes(100, 0), "Stream read error in Targa file."},    // far more pixels than bytes
        {Header(10, 65535, 4000, 8) + TBytes{0xFF, 1}, "Stream read error in Targa file."},  // even at the best packing
        {TBytes{0, 0, 2}, "Stream read error in Targa file."},                               // a header cut short
        {Header(2, 1, 1, 12) + TBytes{1, 2}, "Cannot load image. Invalid or unexpected Targa image format."},  // no such pixel size
        // No pixel data, a gigabyte of blank; a kind of data it does not read.
        {Header(0, 16000, 16000, 32), "Cannot load image. Invalid or unexpected Targa image format."},
        {Header(32, 16, 16, 8) + TBytes(300, 0), "Cannot load image. Invalid or unexpected Targa image format."},
    };
    for (const auto& [file, message] : bad) {
        try {
            Load(file);
            ADD_FAILURE() << file.size();
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), message) << file.size();
        }
    }
    // Run-length data that ends early leaves the rest of the image as it was: black.
    const TTargaGraphic partial = Load(Header(10, 4, 1, 24) + TBytes{0x81, 9, 9, 9});
    EXPECT_EQ(PixelAt(partial, 1, 0), (Rgb{9, 9, 9}));
    EXPECT_EQ(PixelAt(partial, 3, 0), (Rgb{0, 0, 0}));
}

TEST(TargaGraphic, IsRegisteredForItsFiveExtensions) {
    for (const char* extension : {"win", "vst", "vda", "TGA", "icb"})
        EXPECT_EQ(TPicture::FindGraphicClass(extension), TTargaGraphic::StaticClass()) << extension;
}

}  // namespace
}  // namespace pellumo
