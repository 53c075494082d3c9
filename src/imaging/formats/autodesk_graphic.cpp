#include "imaging/formats/autodesk_graphic.h"

#include <array>
#include <string_view>

#include "base/byte_order.h"
#include "base/image_limits.h"
#include "raster/bounded_reader.h"
#include "imaging/image_messages.h"

namespace pellumo {
namespace {

constexpr std::string_view kFormatName = "Autodesk";
constexpr std::uint16_t kMagic = 0x9119;
constexpr std::size_t kHeaderSize = 32;

// 6-bit samples shifted to the top of a byte; the low two bits stay 0, as they always have.
constexpr std::uint8_t Widened(std::uint8_t sample) { return static_cast<std::uint8_t>(sample << 2); }

}  // namespace

TGraphicClass TAutodeskGraphic::StaticClass() {
    return GraphicClassOf<TAutodeskGraphic>("TAutodeskGraphic");
}

void TAutodeskGraphic::LoadFromStream(TStream& stream) {
    ReleaseHandle();
    TBoundedReader file(stream, kFormatName);
    std::array<std::uint8_t, kHeaderSize> header{};
    if (file.ReadSome(header.data(), 2) != 2 || GetLE16(header.data()) != kMagic)
        RaiseImageError(image_messages::kInvalidFormat, kFormatName);
    file.Read(header.data() + 2, kHeaderSize - 2);
    const std::uint16_t width = GetLE16(&header[2]);
    const std::uint16_t height = GetLE16(&header[4]);

    std::array<std::uint8_t, 3 * kMaxPaletteEntries> entries{};
    file.Read(entries.data(), entries.size());
    TPalette palette(kMaxPaletteEntries);
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = {Widened(entries[3 * i]), Widened(entries[3 * i + 1]), Widened(entries[3 * i + 2]), 0};

    CheckedImageBytes(width, height, 8);
    // Before the bitmap is allocated: the file must hold all its rows.
    if (file.BytesLeft() < std::uint64_t{width} * height)
        RaiseImageError(image_messages::kStreamReadError, kFormatName);
    TBitmap image;
    image.SetPixelFormat(pf8bit);
    image.SetPalette(std::move(palette));
    image.SetSize(width, height);
    for (int y = 0; y < height; ++y) file.Read(image.ScanLine(y), width);
    Assign(std::move(image));
}

}  // namespace pellumo
