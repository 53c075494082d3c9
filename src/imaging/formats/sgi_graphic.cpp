#include "imaging/formats/sgi_graphic.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "base/byte_order.h"
#include "base/image_limits.h"
#include "imaging/compression/run_length_decoders.h"
#include "raster/bounded_reader.h"
#include "imaging/image_messages.h"

namespace pellumo {
namespace {

constexpr std::string_view kFormatName = "sgi, bw or rgb(a)";
constexpr std::size_t kHeaderSize = 512;
constexpr std::uint16_t kMagic = 474;
constexpr std::uint8_t kRunLengthStorage = 1;
constexpr std::size_t kMaxPlanes = 4;

struct TSGIHeader {
    std::uint16_t Magic;
    std::uint8_t Storage;
    std::uint8_t BytesPerChannel;
    std::uint16_t XSize, YSize, ZSize;
};

[[noreturn]] void InvalidFormat() { RaiseImageError(image_messages::kInvalidFormat, kFormatName); }

TSGIHeader ReadHeader(TBoundedReader& reader) {
    std::array<std::uint8_t, kHeaderSize> b{};
    reader.Read(b.data(), b.size());
    return {GetBE16(&b[0]), b[2], b[3], GetBE16(&b[6]), GetBE16(&b[8]), GetBE16(&b[10])};
}

// Three channels are RGB, four RGBA; any other count shows its first channel as gray.
std::size_t PlanesShown(const TSGIHeader& header) {
    return header.ZSize == 3 || header.ZSize == 4 ? header.ZSize : 1;
}

void SetupColorManager(TColorManager& manager, const TSGIHeader& header, std::size_t planes) {
    manager.SetSourceOptions({soByteSwap});
    manager.SetSourceBitsPerSample(static_cast<std::uint8_t>(header.BytesPerChannel * 8));
    manager.SetTargetBitsPerSample(8);
    if (planes == 1) {
        // 16-bit gray goes through the manager too, which narrows it to the 8-bit rows.
        manager.SetSourceColorScheme(scIndexed);
        manager.SetTargetColorScheme(scIndexed);
        return;
    }
    const auto samples = static_cast<std::uint8_t>(planes);
    manager.SetSourceSamplesPerPixel(samples);
    manager.SetTargetSamplesPerPixel(samples);
    manager.SetSourceColorScheme(planes == 4 ? scRGBA : scRGB);
    manager.SetTargetColorScheme(planes == 4 ? scBGRA : scBGR);
}

// Brings channel rows of the file into buffers, from raw data or through the run-length
// tables.
class TSGIChannelRows {
public:
    TSGIChannelRows(TBoundedReader& reader, const TSGIHeader& header, std::int64_t base, std::size_t planes)
        : reader_(reader), header_(header), base_(base), rowBytes_(std::size_t{header.XSize} * header.BytesPerChannel) {
        const std::uint64_t rows = std::uint64_t{header.YSize} * header.ZSize;
        if (header.Storage == kRunLengthStorage) {
            starts_ = ReadTable(rows);
            lengths_ = ReadTable(rows);
            dataStart_ = kHeaderSize + 2 * 4 * rows;
            decoder_.emplace(header.BytesPerChannel);
        } else if (rowBytes_ * header.YSize * planes > reader.BytesLeft()) {
            reader.ReadError();  // before the bitmap is made for rows that are not there
        }
    }

    void Read(std::size_t channel, std::size_t row, std::vector<std::uint8_t>& buffer) {
        const std::size_t index = channel * header_.YSize + row;
        if (!decoder_) {
            reader_.Seek(base_ + static_cast<std::int64_t>(kHeaderSize + index * rowBytes_));
            reader_.Read(buffer.data(), buffer.size());
            return;
        }
        // A row inside the header or the tables is no row at all.
        if (starts_[index] < dataStart_) InvalidFormat();
        reader_.Seek(base_ + starts_[index]);
        const std::vector<std::uint8_t> packed = reader_.ReadAtMost(std::uint64_t{lengths_[index]} * header_.BytesPerChannel);
        std::fill(buffer.begin(), buffer.end(), 0);  // what a short row leaves out stays black
        TPackedBytes source(packed);
        TUnpackedBytes dest(buffer);
        decoder_->DecodeBlock(source, dest, static_cast<std::int32_t>(packed.size()), header_.XSize);
    }

private:
    std::vector<std::uint32_t> ReadTable(std::uint64_t entries) {
        const std::vector<std::uint8_t> bytes = reader_.ReadBytes(4 * entries);
        std::vector<std::uint32_t> table(entries);
        for (std::size_t i = 0; i < table.size(); ++i) table[i] = GetBE32(&bytes[4 * i]);
        return table;
    }

    TBoundedReader& reader_;
    const TSGIHeader& header_;
    std::int64_t base_;
    std::size_t rowBytes_;
    std::vector<std::uint32_t> starts_, lengths_;
    std::uint64_t dataStart_ = 0;
    std::optional<TSGIRLEDecoder> decoder_;
};

}  // namespace

TGraphicClass TSGIGraphic::StaticClass() {
    return GraphicClassOf<TSGIGraphic>("TSGIGraphic");
}

void TSGIGraphic::LoadFromStream(TStream& stream) {
    ReleaseHandle();
    TBoundedReader reader(stream, kFormatName);
    const std::int64_t base = reader.Position();
    const TSGIHeader header = ReadHeader(reader);
    if (header.Magic != kMagic || header.ZSize == 0 || (header.BytesPerChannel != 1 && header.BytesPerChannel != 2))
        InvalidFormat();
    const std::size_t planes = PlanesShown(header);
    TColorManager& manager = ColorManager();
    SetupColorManager(manager, header, planes);
    const TPixelFormat format = manager.PixelFormatFor(1);
    CheckedImageBytes(header.XSize, header.YSize, BitsPerPixel(format));
    TSGIChannelRows rows(reader, header, base, planes);

    TBitmap image;
    image.SetPixelFormat(format);
    if (planes == 1) image.SetPalette(manager.MakeGrayPalette(false));
    image.SetSize(header.XSize, header.YSize);

    std::array<std::vector<std::uint8_t>, kMaxPlanes> buffers;
    std::array<const std::uint8_t*, kMaxPlanes> sources{};
    for (std::size_t c = 0; c < planes; ++c) {
        buffers[c].resize(std::size_t{header.XSize} * header.BytesPerChannel);
        sources[c] = buffers[c].data();
    }
    for (std::size_t r = 0; r < header.YSize; ++r) {
        for (std::size_t c = 0; c < planes; ++c) rows.Read(c, r, buffers[c]);
        // The first row stored is the bottom one.
        manager.ConvertRow(std::span(sources.data(), planes), image.ScanLine(header.YSize - 1 - static_cast<int>(r)),
                           header.XSize);
    }
    Assign(std::move(image));
}

}  // namespace pellumo
