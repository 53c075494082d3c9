#include "imaging/formats/pcx_graphic.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "base/memory_stream.h"
#include "imaging/formats/format_registry.h"
#include "raster/picture.h"
#include "raster/pixels.h"

namespace pellumo {
namespace {

using probe::PixelAt;
using probe::Rgb;
using TBytes = std::vector<std::uint8_t>;

struct TLayout {
    std::uint8_t Bits = 8;
    std::uint8_t Planes = 1;
    std::uint16_t BytesPerLine = 0;
    int Width = 1, Height = 1;
    std::uint8_t Encoding = 0;
    std::uint8_t Version = 5;
    std::uint16_t PaletteInfo = 1;
    std::uint8_t Manufacturer = 10;
    std::uint16_t XMin = 0, YMin = 0;
};

void Put16(TBytes& b, std::size_t at, int value) {
    b[at] = static_cast<std::uint8_t>(value);
    b[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

// A header whose colour map holds entry i = (16 i, 1, 2).
TBytes Header(const TLayout& l) {
    TBytes h(128, 0);
    h[0] = l.Manufacturer;
    h[1] = l.Version;
    h[2] = l.Encoding;
    h[3] = l.Bits;
    Put16(h, 4, l.XMin);
    Put16(h, 6, l.YMin);
    Put16(h, 8, l.XMin + l.Width - 1);
    Put16(h, 10, l.YMin + l.Height - 1);
    for (int i = 0; i < 16; ++i) {
        h[16 + 3 * i] = static_cast<std::uint8_t>(16 * i);
        h[17 + 3 * i] = 1;
        h[18 + 3 * i] = 2;
    }
    h[65] = l.Planes;
    Put16(h, 66, l.BytesPerLine);
    Put16(h, 68, l.PaletteInfo);
    return h;
}

TBytes operator+(TBytes a, const TBytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void Load(TPCXGraphic& pcx, const TBytes& file) {
    TMemoryStream stream(file);
    pcx.LoadFromStream(stream);
}

std::string LoadError(const TBytes& file) {
    TPCXGraphic pcx;
    try {
        Load(pcx, file);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(loaded)";
}

TEST(PCXGraphic, HeaderPaletteOrTheDefaultSixteenColoursForVersion3) {
    const TLayout layout{.Bits = 4, .BytesPerLine = 2, .Width = 4};
    TPCXGraphic pcx;
    Load(pcx, Header(layout) + TBytes{0x12, 0x3F, 0, 0});
    EXPECT_EQ(pcx.PixelFormat(), pf4bit);
    EXPECT_EQ(PixelAt(pcx, 0, 0), (Rgb{16, 1, 2}));
    EXPECT_EQ(PixelAt(pcx, 3, 0), (Rgb{240, 1, 2}));
    TLayout v3 = layout;
    v3.Version = 3;
    Load(pcx, Header(v3) + TBytes{0x12, 0x3F, 0, 0});
    EXPECT_EQ(pcx.Palette(), DefaultPalette(4));
    // Gray when the header says so.
    TLayout gray = layout;
    gray.PaletteInfo = 2;
    Load(pcx, Header(gray) + TBytes{0xF0, 0, 0, 0});
    EXPECT_EQ(PixelAt(pcx, 0, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(PixelAt(pcx, 1, 0), (Rgb{0, 0, 0}));
}

TEST(PCXGraphic, FourPlanesMakeSixteenColoursHighNibbleFirst) {
    // Pixel 0 has the bits of planes 0 and 3 (value 9), pixel 1 of plane 1 (value 2).
    const TLayout layout{.Bits = 1, .Planes = 4, .BytesPerLine = 1, .Width = 2};
    TPCXGraphic pcx;
    Load(pcx, Header(layout) + TBytes{0x80, 0x40, 0x00, 0x80});
    EXPECT_EQ(pcx.PixelFormat(), pf4bit);
    EXPECT_EQ(pcx.ScanLine(0)[0], 0x92);
    EXPECT_EQ(PixelAt(pcx, 0, 0), (Rgb{144, 1, 2}));
    // Planes far wider than the image: the extra pixels are cut at the scan line (two rows,
    // so an overrun of the first would show in the second).
    TLayout wide{.Bits = 1, .Planes = 4, .BytesPerLine = 40, .Width = 3, .Height = 2};
    TBytes rows(2 * 160, 0xFF);
    rows[160] = 0;  // row 1, plane 0: pixel 0 loses bit 0
    Load(pcx, Header(wide) + rows);
    EXPECT_EQ(pcx.ScanLine(0)[0], 0xFF);
    EXPECT_EQ(pcx.ScanLine(1)[0], 0xEE);
    EXPECT_EQ(pcx.ScanLine(1)[1], 0xE0);  // pixel 3 is beyond the width and stays 0
}

TEST(PCXGraphic, EightBitPaletteBlockOrGrayOrThePreviousPalette) {
    const TLayout layout{.Bits = 8, .BytesPerLine = 2, .Width = 2, .Encoding = 1};
    // Run-length coded: a run of two 5s.
    const TBytes data{0xC2, 5};
    TBytes block(769, 0);
    block[0] = 12;
    block[1 + 15] = 200;  // entry 5 red
    TPCXGraphic pcx;
    Load(pcx, Header(layout) + data + block);
    EXPECT_EQ(pcx.PixelFormat(), pf8bit);
    EXPECT_EQ(PixelAt(pcx, 1, 0), (Rgb{200, 0, 0}));
    // Without the mark, PaletteInfo 1 leaves the palette an 8-bit bitmap starts with.
    block[0] = 0;
    Load(pcx, Header(layout) + data + block);
    EXPECT_EQ(pcx.Palette(), DefaultPalette(8));
    TLayout gray = layout;
    gray.PaletteInfo = 2;
    Load(pcx, Header(gray) + data + block);
    EXPECT_EQ(PixelAt(pcx, 0, 0), (Rgb{5, 5, 5}));
}

TEST(PCXGraphic, ThreePlanesGiveTrueColourAndFirstByte205LoadsToo) {
    for (const std::uint8_t maker : {std::uint8_t{10}, std::uint8_t{205}}) {
        TLayout layout{.Bits = 8, .Planes = 3, .BytesPerLine = 2, .Width = 2, .Manufacturer = maker};
        TPCXGraphic pcx;
        Load(pcx, Header(layout) + TBytes{255, 0, 0, 0, 0, 7});  // red plane, green, blue
        EXPECT_EQ(pcx.PixelFormat(), pf24bit);
        EXPECT_EQ(PixelAt(pcx, 0, 0), (Rgb{255, 0, 0}));
        EXPECT_EQ(PixelAt(pcx, 1, 0), (Rgb{0, 0, 7}));
    }
}

// Every byte as a run of one: valid run-length data for any bytes.
TBytes Packed(const TBytes& bytes) {
    TBytes packed;
    for (const std::uint8_t b : bytes) packed.insert(packed.end(), {0xC1, b});
    return packed;
}

TEST(PCXGraphic, FourEightBitPlanesGiveColourWithAlpha) {
    // Three pixels a row in planes of four bytes: the fourth byte of each plane is padding,
    // which must not leak into a pixel.
    const TLayout layout{.Bits = 8, .Planes = 4, .BytesPerLine = 4, .Width = 3, .Height = 2};
    TBytes data;
    for (int y = 0; y < 2; ++y)
        for (int plane = 0; plane < 4; ++plane)
            for (int x = 0; x < 4; ++x)
                data.push_back(x == 3 ? 0x99 : static_cast<std::uint8_t>(plane * 60 + y * 20 + x * 5 + 1));
    for (const std::uint8_t encoding : {std::uint8_t{0}, std::uint8_t{1}}) {
        SCOPED_TRACE(encoding == 1 ? "run-length" : "raw");
        TLayout l = layout;
        l.Encoding = encoding;
        TPCXGraphic pcx;
        Load(pcx, Header(l) + (encoding == 1 ? Packed(data) : data));
        ASSERT_EQ(pcx.PixelFormat(), pf32bit);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                const auto sample = [&](int plane) { return plane * 60 + y * 20 + x * 5 + 1; };
                const std::uint8_t* p = pcx.ScanLine(y) + 4 * x;
                EXPECT_EQ((std::vector<int>{p[0], p[1], p[2], p[3]}),
                          (std::vector<int>{sample(2), sample(1), sample(0), sample(3)}))
                    << x << "," << y;
            }
    }
}

TEST(PCXGraphic, OneGraphicLoadsLayoutsInTurnWithoutCarryingOneIntoTheNext) {
    // The colour manager is kept from load to load: alpha must come and go with the fourth
    // plane, and one plane must be indexed again after colour.
    TPCXGraphic pcx;
    const TBytes rgba{10, 20, 30, 40};
    Load(pcx, Header({.Bits = 8, .Planes = 4, .BytesPerLine = 1}) + rgba);
    EXPECT_EQ(pcx.PixelFormat(), pf32bit);
    EXPECT_EQ(pcx.ScanLine(0)[3], 40);
    Load(pcx, Header({.Bits = 8, .Planes = 3, .BytesPerLine = 1}) + TBytes{50, 60, 70});
    EXPECT_EQ(pcx.PixelFormat(), pf24bit);
    EXPECT_EQ(PixelAt(pcx, 0, 0), (Rgb{50, 60, 70}));
    TBytes block(769, 0);
    block[0] = 12;
    block[1 + 3 * 7] = 123;  // entry 7 red
    Load(pcx, Header({.Bits = 8, .BytesPerLine = 1}) + TBytes{7} + block);
    EXPECT_EQ(pcx.PixelFormat(), pf8bit);
    EXPECT_EQ(PixelAt(pcx, 0, 0), (Rgb{123, 0, 0}));
    Load(pcx, Header({.Bits = 8, .Planes = 4, .BytesPerLine = 1}) + rgba);
    EXPECT_EQ(PixelAt(pcx, 0, 0), (Rgb{10, 20, 30}));
    EXPECT_EQ(pcx.ScanLine(0)[3], 40);
}

TEST(PCXGraphic, EveryPlaneAndDepthCombinationReadsAsMeantOrIsRefused) {
    // What each layout gives; the rest must be refused, not read as something else.
    const std::map<std::pair<int, int>, TPixelFormat> readable{
        {{1, 1}, pf1bit}, {{2, 1}, pf4bit},  {{4, 1}, pf4bit},  {{8, 1}, pf8bit},
        {{1, 4}, pf4bit}, {{8, 3}, pf24bit}, {{8, 4}, pf32bit}};
    for (const int bits : {1, 2, 3, 4, 8, 16, 32}) {
        for (const int planes : {0, 1, 2, 3, 4, 5}) {
            SCOPED_TRACE(std::to_string(bits) + " bits x " + std::to_string(planes) + " planes");
            // Rows wide enough for any of them, and a palette block.
            const TLayout layout{.Bits = static_cast<std::uint8_t>(bits),
                                 .Planes = static_cast<std::uint8_t>(planes),
                                 .BytesPerLine = 8,
                                 .Width = 2};
            TBytes file = Header(layout) + TBytes(8 * 5, 0x5A) + TBytes(769, 0);
            file[file.size() - 769] = 12;
            const auto expected = readable.find({bits, planes});
            TPCXGraphic pcx;
            if (expected == readable.end()) {
                EXPECT_THROW(Load(pcx, file), Exception);
            } else {
                ASSERT_NO_THROW(Load(pcx, file));
                EXPECT_EQ(pcx.PixelFormat(), expected->second);
            }
        }
    }
    // Layouts the colour manager takes but no bitmap holds as meant say so in the format's words.
    const std::string colorFormat = "Invalid color format in PCX file.";
    for (const auto& [bits, planes] : {std::pair{1, 3}, {4, 3}, {16, 1}, {16, 3}, {16, 4}, {2, 4}}) {
        const TLayout layout{.Bits = static_cast<std::uint8_t>(bits),
                             .Planes = static_cast<std::uint8_t>(planes),
                             .BytesPerLine = 8,
                             .Width = 2};
        EXPECT_EQ(LoadError(Header(layout) + TBytes(8 * 4, 0)), colorFormat) << bits << " bits x " << planes;
    }
}

TEST(PCXGraphic, OneBitRowsAndWindowOrigin) {
    TLayout layout{.Bits = 1, .BytesPerLine = 2, .Width = 10, .Height = 2, .Encoding = 1, .XMin = 3, .YMin = 7};
    TPCXGraphic pcx;
    Load(pcx, Header(layout) + TBytes{0xC2, 0xFF, 0xC1, 0xC0, 0x00});  // 0xC0 as a run of one
    EXPECT_EQ(pcx.PixelFormat(), pf1bit);
    EXPECT_EQ(pcx.Width(), 10);
    EXPECT_EQ(pcx.Height(), 2);
    EXPECT_EQ(PixelAt(pcx, 9, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(PixelAt(pcx, 1, 1), (Rgb{255, 255, 255}));
    EXPECT_EQ(PixelAt(pcx, 2, 1), (Rgb{0, 0, 0}));
}

TEST(PCXGraphic, HostileHeadersAreRefused) {
    const std::string invalid = "Cannot load image. Invalid or unexpected PCX or SCR image format.";
    TLayout ok{.Bits = 8, .BytesPerLine = 2, .Width = 2};
    TBytes file = Header(ok) + TBytes(2 + 769, 0);
    file[0] = 11;
    EXPECT_EQ(LoadError(file), invalid);
    // Inverted windows.
    TBytes inverted = Header(ok) + TBytes(2 + 769, 0);
    Put16(inverted, 8, 0);
    Put16(inverted, 4, 5);
    EXPECT_EQ(LoadError(inverted), invalid);
    inverted = Header(ok) + TBytes(2 + 769, 0);
    Put16(inverted, 6, 1);
    EXPECT_EQ(LoadError(inverted), invalid);
    // Rows shorter than their pixels; data too short for the image, which was cut short.
    TLayout narrow = ok;
    narrow.BytesPerLine = 1;
    EXPECT_EQ(LoadError(Header(narrow) + TBytes(800, 0)), invalid);
    const std::string cutShort = "Stream read error in PCX file.";
    TLayout tall{.Bits = 8, .BytesPerLine = 10000, .Width = 10000, .Height = 10000, .Encoding = 1};
    EXPECT_EQ(LoadError(Header(tall) + TBytes(800, 0xFF)), cutShort);
    TLayout raw{.Bits = 1, .BytesPerLine = 2, .Width = 16, .Height = 4};
    EXPECT_EQ(LoadError(Header(raw) + TBytes(7, 0)), cutShort);
    // Layouts no bitmap holds.
    TLayout custom{.Bits = 2, .Planes = 4, .BytesPerLine = 2, .Width = 2};
    EXPECT_EQ(LoadError(Header(custom) + TBytes(8, 0)), "Invalid color format in PCX file.");
    TLayout twoPlanes{.Bits = 1, .Planes = 2, .BytesPerLine = 2, .Width = 2};
    EXPECT_THROW(Load(*std::make_unique<TPCXGraphic>(), Header(twoPlanes) + TBytes(4, 0)), EColorConversionError);
    EXPECT_EQ(LoadError(TBytes(100, 10)), cutShort);  // a header cut short
}

TEST(PCXGraphic, IsRegisteredAndWritesNothing) {
    FormatRegistry();
    for (const char* extension : {"pcx", "PCC", "scr"})
        EXPECT_EQ(TPicture::FindGraphicClass(extension), TPCXGraphic::StaticClass()) << extension;
    EXPECT_FALSE(TPCXGraphic::StaticClass()->Writes);
    TPCXGraphic pcx;
    Load(pcx, Header({.Bits = 8, .Planes = 3, .BytesPerLine = 1}) + TBytes{1, 2, 3});
    TMemoryStream out;
    pcx.SaveToStream(out);
    EXPECT_EQ(out.Size(), 0);
}

}  // namespace
}  // namespace pellumo
