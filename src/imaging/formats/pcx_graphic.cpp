#include "imaging/formats/pcx_graphic.h"

#include <algorithm>
#include <array>
#include <limits>
#include <span>
#include <vector>

#include "base/byte_order.h"
#include "base/image_limits.h"
#include "base/stream.h"
#include "imaging/compression/run_length_decoders.h"
#include "imaging/image_messages.h"
#include "raster/bounded_reader.h"

namespace pellumo {
namespace {

constexpr std::string_view kSignatureName = "PCX or SCR";
constexpr std::string_view kFormatName = "PCX";
constexpr std::size_t kHeaderSize = 128;
constexpr std::int64_t kPaletteBlockSize = 769;  // the byte 12 and 256 entries
constexpr std::uint8_t kPaletteBlockMark = 12;
constexpr std::size_t kHeaderColors = 16;
// One run packet (two bytes) gives at most 63 bytes.
constexpr std::uint64_t kMaxRunLength = 63;

struct TPCXHeader {
    std::uint8_t Manufacturer;
    std::uint8_t Version;
    std::uint8_t Encoding;
    std::uint8_t BitsPerPixel;
    std::uint16_t XMin, YMin, XMax, YMax;
    std::array<std::uint8_t, 3 * kHeaderColors> ColorMap;
    std::uint8_t ColorPlanes;
    std::uint16_t BytesPerLine;
    std::uint16_t PaletteInfo;
};

[[noreturn]] void InvalidFormat() { RaiseImageError(image_messages::kInvalidFormat, kSignatureName); }
[[noreturn]] void InvalidColorFormat() { RaiseImageError(image_messages::kInvalidColorFormat, kFormatName); }

TPCXHeader ReadHeader(TBoundedReader& file) {
    std::array<std::uint8_t, kHeaderSize> b{};
    file.Read(b.data(), b.size());
    TPCXHeader header{b[0], b[1], b[2], b[3], GetLE16(&b[4]), GetLE16(&b[6]), GetLE16(&b[8]), GetLE16(&b[10]),
                      {}, b[65], GetLE16(&b[66]), GetLE16(&b[68])};
    std::copy_n(&b[16], header.ColorMap.size(), header.ColorMap.begin());
    return header;
}

void SetupColorManager(TColorManager& manager, const TPCXHeader& header) {
    manager.SetSourceBitsPerSample(header.BitsPerPixel);
    manager.SetSourceSamplesPerPixel(header.ColorPlanes);
    manager.SetTargetBitsPerSample(header.BitsPerPixel == 2 ? 4 : header.BitsPerPixel);
    manager.SetTargetSamplesPerPixel(header.ColorPlanes);
    // One plane is indexed on both sides; said outright, since a manager that already had one
    // sample per pixel from the last load does not switch the schemes again. Three planes are
    // red, green and blue, a fourth is alpha.
    const bool alpha = header.ColorPlanes == 4;
    manager.SetSourceColorScheme(header.ColorPlanes == 1 ? scIndexed : alpha ? scRGBA : scRGB);
    manager.SetTargetColorScheme(header.ColorPlanes == 1 ? scIndexed : alpha ? scBGRA : scBGR);
}

// The layouts a bitmap holds as they are meant: indices of 1, 2, 4 or 8 bits in one plane,
// sixteen colours in four 1-bit planes, and colour in three 8-bit planes, or four with alpha.
// Anything else (indices spread over two or three 1-bit planes, planes of 16 bits) would be
// read as something it is not.
bool IsReadableLayout(const TPCXHeader& header) {
    switch (header.ColorPlanes) {
        case 1: return header.BitsPerPixel != 16;  // the manager has refused any other depth
        case 3: return header.BitsPerPixel == 8;
        case 4: return header.BitsPerPixel == 1 || header.BitsPerPixel == 8;
        default: return false;
    }
}

// The 256-colour block at the end of an 8-bit file, if the file has one.
bool ReadPaletteBlock(TBoundedReader& file, std::int64_t dataStart, std::array<std::uint8_t, 768>& entries) {
    const std::int64_t blockStart = file.Size() - kPaletteBlockSize;
    if (blockStart < dataStart) return false;  // too short to hold pixels and the block
    const std::int64_t position = file.Position();
    file.Seek(blockStart);
    const bool found = file.ReadU8() == kPaletteBlockMark;
    if (found) file.Read(entries.data(), entries.size());
    file.Seek(position);
    return found;
}

// Sixteen colours from four 1-bit planes, two pixels a byte, high nibble first.
void MergePlanes(const std::uint8_t* row, std::size_t bytesPerLine, std::size_t pixels, std::uint8_t* target) {
    for (std::size_t x = 0; x < pixels; ++x) {
        const std::size_t byte = x / 8;
        const unsigned shift = 7 - static_cast<unsigned>(x % 8);
        unsigned value = 0;
        for (std::size_t plane = 0; plane < 4; ++plane)
            value |= ((row[plane * bytesPerLine + byte] >> shift) & 1u) << plane;
        if (x % 2 == 0)
            target[x / 2] = static_cast<std::uint8_t>(value << 4);
        else
            target[x / 2] = static_cast<std::uint8_t>(target[x / 2] | value);
    }
}

}  // namespace

TGraphicClass TPCXGraphic::StaticClass() {
    return GraphicClassOf<TPCXGraphic>("TPCXGraphic", false);
}

void TPCXGraphic::LoadFromStream(TStream& stream) {
    ReleaseHandle();
    TBoundedReader file(stream, kFormatName);
    const TPCXHeader header = ReadHeader(file);
    const std::int64_t dataStart = file.Position();
    std::int64_t dataSize = static_cast<std::int64_t>(file.BytesLeft());
    if (header.Manufacturer != 10 && header.Manufacturer != 205) InvalidFormat();

    TColorManager& manager = ColorManager();
    SetupColorManager(manager, header);
    if (!IsReadableLayout(header)) InvalidColorFormat();
    const bool sixteenColours = header.ColorPlanes == 4 && header.BitsPerPixel == 1;
    const bool colour = header.ColorPlanes != 1 && !sixteenColours;
    const TPixelFormat format = sixteenColours ? pf4bit : manager.PixelFormatFor(1);
    TBitmap image;
    image.SetPixelFormat(format);
    if (format == pf8bit) dataSize = std::max<std::int64_t>(dataSize - kPaletteBlockSize, 0);

    if (!colour) {
        if (header.Version == 3 && format != pf1bit) {
            image.SetPalette(DefaultPalette(4));
        } else if (format == pf1bit) {
            image.SetPalette(manager.MakeGrayPalette(false));
        } else if (format == pf4bit) {
            const std::uint8_t* plane = header.ColorMap.data();
            image.SetPalette(header.PaletteInfo == 2 ? manager.MakeGrayPalette(false)
                                                     : manager.MakeColorPalette({&plane, 1}, 0, kHeaderColors, false));
        } else if (format == pf8bit) {
            std::array<std::uint8_t, 768> entries{};
            if (ReadPaletteBlock(file, dataStart, entries)) {
                const std::uint8_t* plane = entries.data();
                image.SetPalette(manager.MakeColorPalette({&plane, 1}, 0, 256, false));
            } else if (header.PaletteInfo == 2) {
                image.SetPalette(manager.MakeGrayPalette(false));
            }
        }
    }

    // An inverted window has no size at all.
    if (header.XMax < header.XMin || header.YMax < header.YMin) InvalidFormat();
    const std::int64_t width = std::int64_t{header.XMax} - header.XMin + 1;
    const std::int64_t height = std::int64_t{header.YMax} - header.YMin + 1;
    CheckedImageBytes(width, height, BitsPerPixel(format));
    const std::size_t bytesPerLine = header.BytesPerLine;
    const std::size_t lineBytes = std::size_t{header.ColorPlanes} * bytesPerLine;
    const std::uint64_t imageBytes = std::uint64_t{lineBytes} * static_cast<std::uint64_t>(height);
    const bool compressed = header.Encoding == 1;
    // Before allocating: the rows must hold their pixels, and the file must hold data enough
    // to fill the image (a file with less was cut short), so that a lying header cannot make us
    // allocate or read beyond it.
    const auto count = static_cast<std::uint32_t>(width);
    const std::size_t sourcePlanes = colour ? header.ColorPlanes : 1;
    const std::size_t planeBytes = colour ? bytesPerLine : lineBytes;
    if (sixteenColours) {
        if (bytesPerLine == 0) InvalidFormat();
    } else if (manager.SourcePlaneBytes(count, 0xFF, sourcePlanes) > planeBytes) {
        InvalidFormat();
    }
    const auto available = static_cast<std::uint64_t>(dataSize);
    if (imageBytes > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) InvalidFormat();
    if ((!compressed && available < imageBytes) || (compressed && available / 2 * kMaxRunLength < imageBytes))
        file.ReadError();

    image.SetSize(static_cast<int>(width), static_cast<int>(height));
    if (!sixteenColours && manager.TargetRowBytes(count) > image.RowBytes()) InvalidColorFormat();

    // Line by line, each turned into pixels while it is in the cache. Lines the data does not
    // reach stay 0.
    std::vector<std::uint8_t> line(lineBytes);
    const std::vector<std::uint8_t> packed = compressed ? file.ReadBytes(available) : std::vector<std::uint8_t>{};
    TPCXLineDecoder decoder(packed);
    // Pixels the planes carry beyond the width are cut off at the scan line.
    const std::size_t sixteenColourPixels = std::min<std::size_t>(count, bytesPerLine * 8);
    for (int y = 0; y < image.Height(); ++y) {
        if (compressed) {
            const std::size_t decoded = decoder.Decode(line);
            std::fill(line.begin() + static_cast<std::ptrdiff_t>(decoded), line.end(), std::uint8_t{0});
        } else {
            file.Read(line.data(), line.size());
        }
        const std::uint8_t* row = line.data();
        std::uint8_t* target = image.ScanLine(y);
        if (sixteenColours) {
            MergePlanes(row, bytesPerLine, sixteenColourPixels, target);
        } else if (colour) {
            const std::array<const std::uint8_t*, 4> planes{row, row + planeBytes, row + 2 * planeBytes,
                                                            row + 3 * planeBytes};
            manager.ConvertRow(std::span(planes.data(), sourcePlanes), target, count);
        } else {
            manager.ConvertRow(row, target, count);
        }
    }
    Assign(std::move(image));
}

}  // namespace pellumo
