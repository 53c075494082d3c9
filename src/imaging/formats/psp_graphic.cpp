#include "imaging/formats/psp_graphic.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <vector>

#include "base/byte_order.h"
#include "base/image_limits.h"
#include "raster/bounded_reader.h"
#include "imaging/formats/psp_channel.h"
#include "imaging/image_messages.h"
#include "raster/palette.h"

namespace pellumo {
namespace {

constexpr std::string_view kSignature = "Paint Shop Pro Image File";
constexpr std::size_t kHeaderSize = 36;
constexpr std::size_t kAttributesSize = 42;
constexpr std::size_t kVersion3NameSize = 256;
constexpr std::size_t kLayerInfoSize = 115;
constexpr std::uint8_t kBlockMark = '~';
constexpr std::uint16_t kPaletteBlock = 2;
constexpr std::uint16_t kLayerStartBlock = 3;
constexpr std::uint16_t kLayerBlock = 4;
// Layer types: 0 a normal raster layer; version 4 also loads type 1, and passes over
// floating selections (2) and anything beyond.
constexpr std::uint8_t kFirstSkippedVersion4Type = 2;

struct TPSPBlock {
    std::uint8_t Mark;
    std::uint16_t Id;
    std::int64_t End;  // where the block's contents end
};

[[noreturn]] void InvalidFormat() { RaiseImageError(image_messages::kInvalidFormat, kPSPFormatName); }

bool SignatureMatches(const std::array<std::uint8_t, kHeaderSize>& header) {
    for (std::size_t i = 0; i < kSignature.size(); ++i)
        if (std::tolower(header[i]) != std::tolower(static_cast<unsigned char>(kSignature[i]))) return false;
    return true;
}

class TPSPLoad {
public:
    TPSPLoad(TBoundedReader& reader, TColorManager& manager) : reader_(reader), manager_(manager) {}

    TBitmap Run();

private:
    std::optional<TPSPBlock> NextBlock();
    TPSPBlock RequireBlock();
    void ReadAttributes();
    void SetupColorManager();
    void ReadPalette();
    void ReadFirstLayer();
    void ReadChannels(std::size_t count);
    void ConvertLayer();

    TBoundedReader& reader_;
    TColorManager& manager_;
    std::uint16_t version_ = 0;
    TPSPChannelLayout layout_;
    std::int32_t width_ = 0, height_ = 0;
    std::uint16_t bitDepth_ = 0;
    TPixelFormat format_ = pf8bit;
    TPalette palette_;
    std::array<std::vector<std::uint8_t>, 3> planes_;  // index or red, green, blue
    bool loaded_ = false;
    TBitmap image_;
};

// The next block's header; none at the end of the file.
std::optional<TPSPBlock> TPSPLoad::NextBlock() {
    if (reader_.BytesLeft() == 0) return std::nullopt;
    std::array<std::uint8_t, 4> identifier{};
    reader_.Read(identifier.data(), identifier.size());
    const std::uint16_t id = reader_.ReadLE16();
    if (version_ == 3) reader_.ReadLE32();  // the initial chunk length
    const std::uint32_t length = reader_.ReadLE32();
    return TPSPBlock{identifier[0], id, reader_.Position() + length};
}

TPSPBlock TPSPLoad::RequireBlock() {
    const std::optional<TPSPBlock> block = NextBlock();
    if (!block) reader_.ReadError();
    return *block;
}

void TPSPLoad::ReadAttributes() {
    const TPSPBlock block = RequireBlock();
    if (version_ == 4) reader_.ReadLE32();  // the chunk length
    std::array<std::uint8_t, kAttributesSize> b{};
    reader_.Read(b.data(), b.size());
    width_ = static_cast<std::int32_t>(GetLE32(&b[0]));
    height_ = static_cast<std::int32_t>(GetLE32(&b[4]));
    layout_.Compression = GetLE16(&b[17]);
    bitDepth_ = GetLE16(&b[19]);
    reader_.Seek(block.End);
}

void TPSPLoad::SetupColorManager() {
    if (layout_.Compression > kDeflate)
        RaiseImageError(image_messages::kNotSupported, image_messages::kCompressionScheme, kPSPFormatName);
    switch (bitDepth_) {
        case 1: layout_.RowSize = (static_cast<std::size_t>(width_) + 7) / 8; break;
        case 4: layout_.RowSize = static_cast<std::size_t>(width_) / 2 + 1; break;
        case 8:
        case 24: layout_.RowSize = static_cast<std::size_t>(width_); break;
        default: RaiseImageError(image_messages::kInvalidColorFormat, kPSPFormatName);
    }
    manager_.SetSourceOptions({});
    const auto bits = static_cast<std::uint8_t>(bitDepth_ == 24 ? 8 : bitDepth_);
    manager_.SetSourceBitsPerSample(bits);
    manager_.SetTargetBitsPerSample(bits);
    if (bitDepth_ == 24) {
        manager_.SetSourceSamplesPerPixel(3);
        manager_.SetTargetSamplesPerPixel(3);
        manager_.SetSourceColorScheme(scRGB);
        manager_.SetTargetColorScheme(scBGR);
    } else {
        manager_.SetSourceColorScheme(scIndexed);
        manager_.SetTargetColorScheme(scIndexed);
    }
    format_ = manager_.PixelFormatFor(1);
    CheckedImageBytes(width_, height_, BitsPerPixel(format_));
    layout_.Rows = static_cast<std::size_t>(height_);
}

void TPSPLoad::ReadPalette() {
    if (version_ == 4) reader_.ReadLE32();  // the chunk length
    // Entries beyond 256 cannot be indexed; the block's end passes them over.
    const std::uint32_t count = std::min<std::uint32_t>(reader_.ReadLE32(), kMaxPaletteEntries);
    const std::vector<std::uint8_t> entries = reader_.ReadBytes(4 * std::uint64_t{count});
    const std::uint8_t* data = entries.data();
    palette_ = manager_.MakeColorPalette({&data, 1}, 1, count, true);
}

void TPSPLoad::ReadFirstLayer() {
    for (std::optional<TPSPBlock> layer = NextBlock(); layer && layer->Id == kLayerBlock; layer = NextBlock()) {
        std::uint8_t type = 0;
        if (version_ == 3) {
            reader_.Skip(kVersion3NameSize);
            type = reader_.ReadU8();
            reader_.Skip(kLayerInfoSize - 1);
            if (type != 0) {
                reader_.Seek(layer->End);
                continue;
            }
        } else {
            const std::int64_t chunk = reader_.Position();
            const std::uint32_t chunkLength = reader_.ReadLE32();
            reader_.Skip(reader_.ReadLE16());  // the name
            type = reader_.ReadU8();
            reader_.Seek(chunk + chunkLength);
            if (type >= kFirstSkippedVersion4Type) {
                reader_.Seek(layer->End);
                continue;
            }
        }
        const std::int64_t bitmapChunk = reader_.Position();
        const std::uint32_t bitmapChunkLength = version_ == 4 ? reader_.ReadLE32() : 0;
        reader_.ReadLE16();  // the bitmap count
        const std::uint16_t channels = reader_.ReadLE16();
        if (version_ == 4) reader_.Seek(bitmapChunk + bitmapChunkLength);
        ReadChannels(channels);
        ConvertLayer();
        return;
    }
}

void TPSPLoad::ReadChannels(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const TPSPBlock block = RequireBlock();
        if (version_ == 4) reader_.ReadLE32();  // the chunk length
        const std::uint32_t compressedLength = reader_.ReadLE32();
        reader_.ReadLE32();  // the uncompressed length: the image's size decides
        const std::uint16_t bitmapType = reader_.ReadLE16();
        const std::uint16_t channelType = reader_.ReadLE16();
        // Only the image bitmap's composite or colour channels; masks and unknown channels
        // are passed over whole, by the block's length.
        if (bitmapType == 0 && channelType <= 3)
            planes_[channelType == 0 ? 0 : channelType - 1] = ReadChannelPlane(reader_, layout_, compressedLength);
        // Never back into the data just read: a block length that ends inside it would let
        // every further channel decode the same bytes again.
        reader_.Seek(std::max(block.End, reader_.Position()));
    }
}

void TPSPLoad::ConvertLayer() {
    const std::size_t used = bitDepth_ == 24 ? 3 : 1;
    for (std::size_t c = 0; c < used; ++c)
        if (planes_[c].size() != layout_.RowSize * layout_.Rows) InvalidFormat();
    image_.SetPixelFormat(format_);
    if (IsIndexed(format_) && !palette_.empty()) image_.SetPalette(palette_);
    image_.SetSize(width_, height_);
    std::array<const std::uint8_t*, 3> sources{};
    // An image without columns has no pixels to convert, however many rows it claims.
    const int rowsToConvert = width_ == 0 ? 0 : height_;
    for (int y = 0; y < rowsToConvert; ++y) {
        for (std::size_t c = 0; c < used; ++c) sources[c] = planes_[c].data() + static_cast<std::size_t>(y) * layout_.RowSize;
        manager_.ConvertRow(std::span(sources.data(), used), image_.ScanLine(y), static_cast<std::uint32_t>(width_));
    }
    loaded_ = true;
}

TBitmap TPSPLoad::Run() {
    std::array<std::uint8_t, kHeaderSize> header{};
    reader_.Read(header.data(), header.size());
    if (!SignatureMatches(header)) InvalidFormat();
    version_ = GetLE16(&header[32]);
    if (version_ != 3 && version_ != 4)
        RaiseImageError(image_messages::kNotSupported, image_messages::kFileVersions, kPSPFormatName);
    ReadAttributes();
    SetupColorManager();
    for (std::optional<TPSPBlock> block = NextBlock(); block && block->Mark == kBlockMark && !loaded_;
         block = NextBlock()) {
        if (block->Id == kPaletteBlock) ReadPalette();
        if (block->Id == kLayerStartBlock) ReadFirstLayer();
        // A block that claims more than the file holds is the last one.
        if (block->End > reader_.Size()) break;
        reader_.Seek(block->End);
    }
    if (!loaded_) InvalidFormat();
    return std::move(image_);
}

}  // namespace

TGraphicClass TPSPGraphic::StaticClass() {
    return GraphicClassOf<TPSPGraphic>("TPSPGraphic");
}

void TPSPGraphic::LoadFromStream(TStream& stream) {
    ReleaseHandle();
    TBoundedReader reader(stream, kPSPFormatName);
    TPSPLoad load(reader, ColorManager());
    Assign(load.Run());
}

}  // namespace pellumo
