#include "imaging/formats/targa_graphic.h"

#include <algorithm>
#include <array>
#include <vector>

#include "base/byte_order.h"
#include "base/image_limits.h"
#include "base/stream.h"
#include "imaging/compression/run_length_decoders.h"
#include "raster/bounded_reader.h"
#include "imaging/image_messages.h"

namespace pellumo {
namespace {

constexpr std::string_view kFormatName = "Targa";
constexpr std::size_t kHeaderSize = 18;
constexpr std::uint8_t kTopDown = 0x20;
constexpr std::uint8_t kRightToLeft = 0x10;
constexpr std::size_t kColorMapEntries = 256;  // entries beyond are read past; 256 are written

struct TTargaHeader {
    std::uint8_t IdLength;
    std::uint8_t ColorMapType;
    std::uint8_t ImageType;
    std::uint16_t ColorMapLength;
    std::uint8_t ColorMapEntrySize;
    std::uint16_t Width;
    std::uint16_t Height;
    std::uint8_t PixelSize;
    std::uint8_t ImageDescriptor;
};

[[noreturn]] void InvalidFormat() { RaiseImageError(image_messages::kInvalidFormat, kFormatName); }

TTargaHeader ReadHeader(TBoundedReader& file) {
    std::array<std::uint8_t, kHeaderSize> b{};
    file.Read(b.data(), b.size());
    return {b[0], b[1], b[2], GetLE16(&b[5]), b[7], GetLE16(&b[12]), GetLE16(&b[14]), b[16], b[17]};
}

TPixelFormat PixelFormatOf(std::uint8_t pixelSize) {
    switch (pixelSize) {
        case 8: return pf8bit;
        case 15:
        case 16: return pf15bit;
        case 24: return pf24bit;
        case 32: return pf32bit;
        default: InvalidFormat();  // a row size no bitmap format matches would overrun the rows
    }
}

bool IsGray(std::uint8_t imageType) { return imageType == 3 || imageType == 11; }

// The colour map's entries; beyond 256, they are read past and dropped.
TPalette ReadColorMap(TBoundedReader& file, const TTargaHeader& header) {
    const std::size_t entrySize = header.ColorMapEntrySize == 24 ? 3 : header.ColorMapEntrySize == 32 ? 4 : 2;
    const std::vector<std::uint8_t> bytes = file.ReadBytes(header.ColorMapLength * entrySize);
    TPalette palette;
    for (std::size_t i = 0; i < std::min<std::size_t>(header.ColorMapLength, kColorMapEntries); ++i) {
        const std::uint8_t* e = &bytes[i * entrySize];
        if (entrySize >= 3) {
            palette.push_back({e[2], e[1], e[0], 0});
        } else {
            const std::uint16_t w = GetLE16(e);
            palette.push_back({static_cast<std::uint8_t>(((w & 0x7C00) >> 10) * 8),
                               static_cast<std::uint8_t>(((w & 0x3E0) >> 5) * 8),
                               static_cast<std::uint8_t>((w & 0x1F) * 8), 0});
        }
    }
    return palette;
}

// Bytes per pixel of what a bitmap of this format writes; sub-byte formats go through 8 bits.
std::size_t BytesPerPixel(TPixelFormat format) {
    switch (format) {
        case pf1bit:
        case pf4bit:
        case pf8bit: return 1;
        case pf15bit:
        case pf16bit: return 2;
        case pf24bit: return 3;
        default: return 4;  // pf32bit, and the device form, whose rows are 32-bit
    }
}

}  // namespace

TGraphicClass TTargaGraphic::StaticClass() {
    return GraphicClassOf<TTargaGraphic>("TTargaGraphic");
}

void TTargaGraphic::LoadFromStream(TStream& stream) {
    TBoundedReader file(stream, kFormatName);
    const TTargaHeader header = ReadHeader(file);
    imageId_.assign(header.IdLength, '\0');
    file.Read(imageId_.data(), imageId_.size());
    const TPixelFormat format = PixelFormatOf(header.PixelSize);
    const bool gray = IsGray(header.ImageType);
    // A gray image takes a gray ramp; a colour map it carries anyway is read past, so that the
    // pixels start where they are.
    TPalette palette;
    if (header.ColorMapType == 1) palette = ReadColorMap(file, header);
    if (gray) palette = GrayPalette();

    const std::size_t pixelSize = header.PixelSize / 8u + (header.PixelSize == 15 ? 1u : 0u);
    const std::size_t lineSize = std::size_t{header.Width} * pixelSize;
    const bool compressed = header.ImageType >= 9 && header.ImageType <= 11;
    const bool plain = header.ImageType >= 1 && header.ImageType <= 3;
    // A file without pixels of a kind read here would make a blank image of whatever size its
    // header claims, a gigabyte from a few bytes: it is no picture to show.
    if (!plain && !compressed) InvalidFormat();
    // Before anything large is allocated: the size within the image limit, and data enough
    // in the file for it (a run packet of 1 + pixelSize bytes gives at most 128 pixels); a
    // file with less was cut short.
    CheckedImageBytes(header.Width, header.Height, header.PixelSize);
    const std::uint64_t available = file.BytesLeft();
    const std::uint64_t pixelCount = std::uint64_t{header.Width} * header.Height;
    if ((plain && available < pixelCount * pixelSize) ||
        (compressed && available / (1 + pixelSize) * 128 + 128 < pixelCount))
        file.ReadError();
    TBitmap image;
    image.SetPixelFormat(format);
    if (!palette.empty()) image.SetPalette(std::move(palette));
    image.SetSize(header.Width, header.Height);
    // Packets may run across rows; the stream ends up just past the packets used.
    const std::int64_t start = file.Position();
    const std::vector<std::uint8_t> packed = compressed ? file.ReadAtMost(available) : std::vector<std::uint8_t>{};
    TTargaLineDecoder decoder(packed, header.PixelSize);
    const bool topDown = (header.ImageDescriptor & kTopDown) != 0;
    // Rows stored from the right edge come out mirrored unless turned back.
    const bool rightToLeft = (header.ImageDescriptor & kRightToLeft) != 0;
    std::vector<std::uint8_t> mirrored(rightToLeft ? lineSize : 0);
    for (int i = 0; i < header.Height && lineSize > 0; ++i) {
        std::uint8_t* to = image.ScanLine(topDown ? i : header.Height - 1 - i);
        const std::span<std::uint8_t> line(rightToLeft ? mirrored.data() : to, lineSize);
        if (compressed) {
            const std::size_t written = decoder.Decode(line);
            std::fill(line.begin() + static_cast<std::ptrdiff_t>(written), line.end(), std::uint8_t{0});  // past the data
        } else {
            file.Read(line.data(), line.size());
        }
        if (rightToLeft)
            for (std::size_t x = 0; x < header.Width; ++x)
                std::copy_n(line.data() + (header.Width - 1 - x) * pixelSize, pixelSize, to + x * pixelSize);
    }
    if (compressed) file.Seek(start + static_cast<std::int64_t>(decoder.Consumed()));
    Assign(std::move(image));
}

void TTargaGraphic::SaveToStream(TStream& stream) const {
    if (Empty()) return;
    // The header holds 16-bit sizes: a larger picture cannot be written, rather than cut.
    if (Width() > 0xFFFF || Height() > 0xFFFF) RaiseImageError(image_messages::kTargaTooLarge);
    TBitmap rows;
    rows.Assign(*this);
    if (rows.PixelFormat() == pf1bit || rows.PixelFormat() == pf4bit) rows.SetPixelFormat(pf8bit);
    if (rows.PixelFormat() == pfDevice) rows.SetPixelFormat(pf32bit);
    // Targa's 16-bit pixels are 5-5-5; 5-6-5 pixels are narrowed to that layout.
    if (rows.PixelFormat() == pf16bit) rows.SetPixelFormat(pf15bit);
    const std::size_t pixelSize = BytesPerPixel(rows.PixelFormat());
    const bool mapped = pixelSize == 1;

    std::array<std::uint8_t, kHeaderSize> header{};
    header[0] = static_cast<std::uint8_t>(imageId_.size() % 256);
    header[1] = mapped ? 1 : 0;
    header[2] = mapped ? 9 : 10;
    PutLE16(&header[5], 256);
    header[7] = 24;
    PutLE16(&header[12], static_cast<std::uint16_t>(Width()));
    PutLE16(&header[14], static_cast<std::uint16_t>(Height()));
    header[16] = static_cast<std::uint8_t>(pixelSize * 8);
    // The rows go out top row first, whatever order the bitmap keeps them in.
    header[17] = kTopDown;
    stream.WriteBuffer(header.data(), header.size());
    stream.WriteBuffer(imageId_.data(), header[0]);

    if (mapped) {
        std::array<std::uint8_t, 3 * kColorMapEntries> colorMap{};  // entries the palette lacks stay 0
        const TPalette& palette = rows.Palette();
        for (std::size_t i = 0; i < std::min(palette.size(), kColorMapEntries); ++i) {
            colorMap[3 * i] = palette[i].peBlue;
            colorMap[3 * i + 1] = palette[i].peGreen;
            colorMap[3 * i + 2] = palette[i].peRed;
        }
        stream.WriteBuffer(colorMap.data(), colorMap.size());
    }

    TTargaRLEDecoder encoder(static_cast<std::int32_t>(pixelSize * 8));
    const auto width = static_cast<std::uint32_t>(Width());
    std::vector<std::uint8_t> packed(encoder.MaxEncodedSize(width));
    for (int y = 0; y < Height(); ++y) {
        std::uint32_t stored = 0;
        encoder.EncodeBlock(std::span<const std::uint8_t>(rows.ScanLine(y), width * pixelSize), packed, width, stored);
        stream.WriteBuffer(packed.data(), stored);
    }
}

}  // namespace pellumo
