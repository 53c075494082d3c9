#include "imaging/formats/psd_graphic.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "base/byte_order.h"
#include "base/image_limits.h"
#include "raster/bounded_reader.h"
#include "imaging/formats/psd_channel_rows.h"
#include "imaging/image_messages.h"

namespace pellumo {
namespace {

constexpr std::string_view kFormatName = "PSD or PDD";
constexpr std::size_t kHeaderSize = 26;
constexpr std::array<std::uint8_t, 4> kSignature{'8', 'B', 'P', 'S'};
constexpr std::uint16_t kRaw = 0;
constexpr std::uint16_t kPackBits = 1;
constexpr std::size_t kMaxPlanes = 4;

enum TPSDMode : std::uint16_t {
    pmBitmap = 0,
    pmGray = 1,
    pmIndexed = 2,
    pmRGB = 3,
    pmCMYK = 4,
    pmMultichannel = 7,
    pmDuotone = 8,
    pmLab = 9,
};

struct TPSDHeader {
    std::uint16_t Channels;
    std::uint32_t Rows, Columns;
    std::uint16_t Depth, Mode;
};

[[noreturn]] void InvalidColorFormat() { RaiseImageError(image_messages::kInvalidColorFormat, kFormatName); }

TPSDHeader ReadHeader(TBoundedReader& reader) {
    std::array<std::uint8_t, kHeaderSize> b{};
    reader.Read(b.data(), b.size());
    if (!std::equal(kSignature.begin(), kSignature.end(), b.begin()))
        RaiseImageError(image_messages::kInvalidFormat, kFormatName);
    return {GetBE16(&b[12]), GetBE32(&b[14]), GetBE32(&b[18]), GetBE16(&b[22]), GetBE16(&b[24])};
}

bool SingleChannel(std::uint16_t mode) {
    return mode == pmBitmap || mode == pmGray || mode == pmIndexed || mode == pmDuotone;
}

// The channels shown, or 0 when the mode, depth and channel count have no conversion.
std::size_t PlanesShown(const TPSDHeader& h) {
    const bool wide = h.Depth == 8 || h.Depth == 16;
    switch (h.Mode) {
        case pmBitmap: return h.Depth == 1 && h.Channels >= 1 ? 1 : 0;
        case pmIndexed: return h.Depth == 8 && h.Channels >= 1 ? 1 : 0;
        case pmGray:
        case pmDuotone: return wide && h.Channels >= 1 ? 1 : 0;
        case pmRGB:
        case pmMultichannel: return wide && h.Channels >= 3 ? std::min<std::size_t>(h.Channels, kMaxPlanes) : 0;
        case pmCMYK: return wide && h.Channels >= 4 ? 4 : 0;
        // The L*a*b* conversion reads 8-bit scales only.
        case pmLab: return h.Depth == 8 && h.Channels >= 3 ? 3 : 0;
        default: return 0;
    }
}

void SetupColorManager(TColorManager& manager, const TPSDHeader& h, std::size_t planes) {
    manager.SetSourceOptions({soByteSwap});
    manager.SetSourceBitsPerSample(static_cast<std::uint8_t>(h.Depth));
    manager.SetTargetBitsPerSample(h.Depth == 16 ? 8 : static_cast<std::uint8_t>(h.Depth));
    if (SingleChannel(h.Mode)) {
        manager.SetSourceColorScheme(scIndexed);
        manager.SetTargetColorScheme(scIndexed);
        return;
    }
    // Alpha of a fourth channel only where the mode has three colours.
    const bool alpha = planes == 4 && h.Mode != pmCMYK;
    manager.SetSourceSamplesPerPixel(static_cast<std::uint8_t>(planes));
    manager.SetTargetSamplesPerPixel(alpha ? 4 : 3);
    switch (h.Mode) {
        case pmCMYK: manager.SetSourceColorScheme(scCMYK); break;
        case pmLab:
            manager.SourceOptions().Include(soLabScaledL);
            manager.SourceOptions().Include(soLabOffsetAB);
            manager.SetSourceColorScheme(scCIELab);
            break;
        default: manager.SetSourceColorScheme(alpha ? scRGBA : scRGB);
    }
    manager.SetTargetColorScheme(alpha ? scBGRA : scBGR);
}

// The palette of the colour mode data, which is read or skipped here.
TPalette ReadModePalette(TBoundedReader& reader, const TColorManager& manager, std::uint16_t mode) {
    const std::uint32_t length = reader.ReadBE32();
    if (mode != pmIndexed) {
        reader.Skip(length);
        if (mode == pmBitmap) return manager.MakeGrayPalette(true);
        // Duotone data is gray levels too; its inks are not shown.
        return SingleChannel(mode) ? manager.MakeGrayPalette(false) : TPalette{};
    }
    const std::vector<std::uint8_t> table = reader.ReadBytes(length);
    // Three planes of N bytes, red, green, blue; entries beyond 256 cannot be indexed.
    const std::size_t count = table.size() / 3;
    if (count == 0) RaiseImageError(image_messages::kInvalidPalette, kFormatName);
    const std::array<const std::uint8_t*, 3> planes{table.data(), table.data() + count, table.data() + 2 * count};
    return manager.MakeColorPalette(planes, 2, static_cast<std::uint32_t>(std::min<std::size_t>(count, 256)), false);
}

std::uint16_t ReadCompression(TBoundedReader& reader) {
    const std::uint16_t compression = reader.ReadBE16();
    if (compression != kRaw && compression != kPackBits)
        RaiseImageError(image_messages::kNotSupported, image_messages::kCompressionScheme, kFormatName);
    return compression;
}

// The file stores CMYK as 255 minus the ink, and 16-bit samples most significant byte first,
// while the CMYK conversion reads 16-bit samples in machine order.
void ToInk(std::vector<std::uint8_t>& row, std::uint16_t depth) {
    for (std::uint8_t& value : row) value = static_cast<std::uint8_t>(255 - value);
    if (depth != 16) return;
    for (std::size_t i = 0; i + 1 < row.size(); i += 2) {
        const std::uint16_t sample = GetBE16(&row[i]);
        std::memcpy(&row[i], &sample, sizeof sample);
    }
}

}  // namespace

TGraphicClass TPSDGraphic::StaticClass() {
    return GraphicClassOf<TPSDGraphic>("TPSDGraphic");
}

void TPSDGraphic::LoadFromStream(TStream& stream) {
    ReleaseHandle();
    TBoundedReader reader(stream, kFormatName);
    const TPSDHeader header = ReadHeader(reader);
    const std::size_t planes = PlanesShown(header);
    if (planes == 0) InvalidColorFormat();
    TColorManager& manager = ColorManager();
    SetupColorManager(manager, header, planes);
    const TPixelFormat format = manager.PixelFormatFor(1);
    CheckedImageBytes(header.Columns, header.Rows, BitsPerPixel(format));

    const TPalette palette = ReadModePalette(reader, manager, header.Mode);
    reader.Skip(reader.ReadBE32());  // image resources
    reader.Skip(reader.ReadBE32());  // layers and masks
    const bool packBits = ReadCompression(reader) == kPackBits;
    const std::size_t rowBytes = (std::size_t{header.Columns} * header.Depth + 7) / 8;
    TPSDChannelRows rows(reader, kFormatName, packBits, header.Channels, planes, header.Rows, rowBytes);

    TBitmap image;
    image.SetPixelFormat(format);
    if (IsIndexed(format)) image.SetPalette(palette);
    image.SetSize(static_cast<int>(header.Columns), static_cast<int>(header.Rows));
    std::array<std::vector<std::uint8_t>, kMaxPlanes> buffers;
    std::array<const std::uint8_t*, kMaxPlanes> sources{};
    // An image without columns has no pixels to read, however many rows it claims.
    const std::uint32_t rowsToRead = header.Columns == 0 ? 0 : header.Rows;
    for (std::uint32_t y = 0; y < rowsToRead; ++y) {
        for (std::size_t c = 0; c < planes; ++c) {
            rows.Read(c, y, buffers[c]);
            if (header.Mode == pmCMYK) ToInk(buffers[c], header.Depth);
            sources[c] = buffers[c].data();
        }
        manager.ConvertRow(std::span(sources.data(), planes), image.ScanLine(static_cast<int>(y)), header.Columns);
    }
    Assign(std::move(image));
}

}  // namespace pellumo
