#include "imaging/formats/psp_graphic.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>

#include "file_bytes.h"
#include "raster/pixels.h"

namespace pellumo {
namespace {

using probe::PixelAt;
using probe::Rgb;
using test::LoadInto;
using test::TFileBytes;
using TBytes = std::vector<std::uint8_t>;

constexpr int kWidth = 4, kHeight = 2;

struct TChannel {
    int Type;
    TBytes Plane;
    int BitmapType = 0;
};

struct TLayer {
    int Type;
    std::vector<TChannel> Channels;
};

struct TPSPLayout {
    int Version = 4;
    int BitDepth = 24;
    int Compression = 0;
    std::string_view Signature = "Paint Shop Pro Image File\n\x1a";
};

class TPSPFile {
public:
    explicit TPSPFile(const TPSPLayout& l) : l_(l) {
        file_.Text(l.Signature).PadTo(32).LE16(l.Version).LE16(0);
        TFileBytes attributes;
        if (l.Version == 4) attributes.LE32(46);
        attributes.LE32(kWidth).LE32(kHeight).Zeros(9).LE16(l.Compression).LE16(l.BitDepth).Zeros(21);
        file_.Bytes(Block(0, attributes));
    }

    // Entries blue = i, green = i + 1, red = i + 2.
    TPSPFile& Palette(int count) {
        TFileBytes palette;
        if (l_.Version == 4) palette.LE32(8);
        palette.LE32(count);
        for (int i = 0; i < count; ++i) palette.U8(i).U8(i + 1).U8(i + 2).U8(0);
        file_.Bytes(Block(2, palette));
        return *this;
    }

    TPSPFile& Layers(const std::vector<TLayer>& layers) {
        TFileBytes start;
        for (const TLayer& layer : layers) start.Bytes(Block(4, LayerContents(layer)));
        file_.Bytes(Block(3, start));
        return *this;
    }

    const TBytes& Data() const { return file_.Data(); }

private:
    TBytes Block(int id, const TFileBytes& contents) const {
        TFileBytes block;
        block.Text("~BK").U8(0).LE16(id);
        if (l_.Version == 3) block.LE32(0);
        return block.LE32(static_cast<std::uint32_t>(contents.Size())).Bytes(contents.Data()).Data();
    }

    TFileBytes LayerContents(const TLayer& layer) const {
        TFileBytes contents;
        TFileBytes info;
        info.U8(layer.Type).Zeros(114);
        if (l_.Version == 4) {
            contents.LE32(4 + 2 + 5 + 115).LE16(5).Text("Layer").Bytes(info.Data());
            contents.LE32(8).LE16(1).LE16(static_cast<std::uint32_t>(layer.Channels.size()));
        } else {
            contents.Text("Layer").PadTo(256).Bytes(info.Data()).LE16(1).LE16(static_cast<std::uint32_t>(layer.Channels.size()));
        }
        for (const TChannel& channel : layer.Channels) {
            const TBytes packed = Packed(channel.Plane);
            TFileBytes block;
            if (l_.Version == 4) block.LE32(16);
            block.LE32(static_cast<std::uint32_t>(packed.size())).LE32(static_cast<std::uint32_t>(channel.Plane.size()));
            block.LE16(channel.BitmapType).LE16(channel.Type).Bytes(packed);
            contents.Bytes(Block(5, block));
        }
        return contents;
    }

    TBytes Packed(const TBytes& plane) const {
        if (l_.Compression == 1) {
            TFileBytes packed;  // one literal packet
            return packed.U8(static_cast<std::uint32_t>(plane.size())).Bytes(plane).Data();
        }
        if (l_.Compression == 2) {
            uLongf size = compressBound(plane.size());
            TBytes packed(size);
            compress(packed.data(), &size, plane.data(), plane.size());
            packed.resize(size);
            return packed;
        }
        return plane;
    }

    TPSPLayout l_;
    TFileBytes file_;
};

std::uint8_t Sample(int c, int i) { return static_cast<std::uint8_t>(40 * c + 3 * i + 5); }

TBytes Plane(int c) {
    TBytes plane(kWidth * kHeight);
    for (std::size_t i = 0; i < plane.size(); ++i) plane[i] = Sample(c, static_cast<int>(i));
    return plane;
}

std::vector<TChannel> ColourChannels() { return {{1, Plane(0)}, {2, Plane(1)}, {3, Plane(2)}}; }

TEST(PSPGraphic, FloatingSelectionIsPassedOverAndCompressionTwinsAgree) {
    const TLayer floating{2, {{1, TBytes(8, 0xEE)}, {2, TBytes(8, 0xEE)}, {3, TBytes(8, 0xEE)}}};
    for (const int compression : {0, 1, 2}) {
        TPSPGraphic psp;
        ASSERT_EQ(LoadInto(psp, TPSPFile({.Compression = compression}).Layers({floating, {0, ColourChannels()}}).Data()), "");
        EXPECT_EQ(psp.PixelFormat(), pf24bit);
        EXPECT_EQ(PixelAt(psp, 3, 1), (Rgb{Sample(0, 7), Sample(1, 7), Sample(2, 7)})) << compression;
    }
}

TEST(PSPGraphic, PaletteEntriesAreBlueGreenRedAndClippedTo256) {
    TPSPGraphic psp;
    ASSERT_EQ(LoadInto(psp, TPSPFile({.BitDepth = 8}).Palette(300).Layers({{0, {{0, Plane(0)}}}}).Data()), "");
    EXPECT_EQ(psp.PixelFormat(), pf8bit);
    EXPECT_EQ(psp.Palette().size(), 256u);
    const int index = Sample(0, 6);
    EXPECT_EQ(PixelAt(psp, 2, 1), (Rgb{index + 2, index + 1, index}));
}

TEST(PSPGraphic, Version3WithUpperCaseSignatureSkipsMasksAndUnknownChannels) {
    const std::vector<TChannel> channels{
        {1, Plane(0)}, {7, TBytes(5, 0x11)}, {2, Plane(1)}, {3, Plane(2)}, {0, TBytes(8, 0x22), 1}};
    TPSPGraphic psp;
    ASSERT_EQ(LoadInto(psp, TPSPFile({.Version = 3, .Signature = "PAINT SHOP PRO IMAGE FILE"}).Layers({{0, channels}}).Data()), "");
    EXPECT_EQ(PixelAt(psp, 0, 0), (Rgb{Sample(0, 0), Sample(1, 0), Sample(2, 0)}));
}

TEST(PSPGraphic, RefusesVersionsCompressionsDepthsAndBrokenData) {
    TPSPGraphic psp;
    EXPECT_EQ(LoadInto(psp, TPSPFile({.Version = 5}).Data()),
              "Cannot load image. File versions other than 3 or 4 are not supported for PSP files.");
    EXPECT_EQ(LoadInto(psp, TPSPFile({.Compression = 3}).Layers({{0, ColourChannels()}}).Data()),
              "Cannot load image. The compression scheme is not supported for PSP files.");
    EXPECT_EQ(LoadInto(psp, TPSPFile({.BitDepth = 16}).Data()), "Invalid color format in PSP file.");
    EXPECT_EQ(LoadInto(psp, TPSPFile({.Signature = "Paint Shop Pro Image Fil"}).Data()),
              "Cannot load image. Invalid or unexpected PSP image format.");
    // No raster layer, and a layer without its blue channel.
    EXPECT_EQ(LoadInto(psp, TPSPFile({}).Data()), "Cannot load image. Invalid or unexpected PSP image format.");
    EXPECT_EQ(LoadInto(psp, TPSPFile({}).Layers({{0, {{1, Plane(0)}, {2, Plane(1)}}}}).Data()),
              "Cannot load image. Invalid or unexpected PSP image format.");
    // Deflate data that is not a zlib stream: the last channel's header check broken.
    TBytes broken = TPSPFile({.Compression = 2}).Layers({{0, ColourChannels()}}).Data();
    const TBytes zlibHeader{0x78, 0x9C};
    const auto last = std::find_end(broken.begin(), broken.end(), zlibHeader.begin(), zlibHeader.end());
    ASSERT_NE(last, broken.end());
    last[1] = 0;
    EXPECT_EQ(LoadInto(psp, broken), "Cannot load image. Compression error found in PSP file.");
    TBytes truncated = TPSPFile({}).Layers({{0, ColourChannels()}}).Data();
    truncated.resize(truncated.size() - 1);
    EXPECT_EQ(LoadInto(psp, truncated), "Stream read error in PSP file.");
}

}  // namespace
}  // namespace pellumo
