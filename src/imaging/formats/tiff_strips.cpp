#include "imaging/formats/tiff_strips.h"

#include <algorithm>
#include <limits>

#include "base/byte_order.h"
#include "imaging/compression/ccitt_decoders.h"
#include "imaging/compression/lzw_decoders.h"
#include "imaging/compression/run_length_decoders.h"
#include "imaging/image_messages.h"

namespace pellumo {
namespace {

constexpr std::uint32_t kT4TwoDimensional = 0x1;
constexpr std::uint32_t kT4Uncompressed = 0x2;
constexpr std::uint32_t kLsbFirstFillOrder = 2;
constexpr std::uint64_t kLargestBlock = std::numeric_limits<std::int32_t>::max();

[[noreturn]] void InvalidFormat() { RaiseImageError(image_messages::kInvalidFormat, kTIFFFormatName); }
[[noreturn]] void NotSupported() {
    RaiseImageError(image_messages::kNotSupported, image_messages::kCompressionScheme, kTIFFFormatName);
}

}  // namespace

// A PackBits run packet gives 128 bytes for 2; an LZW code of at least 9 bits gives at most a
// whole table's string; every CCITT code takes at least one bit and a row needs a code.
std::uint64_t LargestUnpacked(std::uint16_t compression, std::uint64_t packed, std::size_t rowBytes) {
    switch (compression) {
        case tiff_compression::kPackBits: return packed * 64 + 128;
        case tiff_compression::kLZW: return (packed * 8 / 9 + 1) * 4096;
        default: return std::min<std::uint64_t>(packed * 8 + 1, std::numeric_limits<std::uint32_t>::max()) * rowBytes;
    }
}

TTIFFStrips ReadStrips(const TTIFFDirectory& directory, std::uint32_t height, bool compressed) {
    TTIFFStrips strips;
    strips.Offsets = directory.ReadValues(tiff_tags::kStripOffsets);
    if (strips.Offsets.empty()) InvalidFormat();
    const std::size_t count = strips.Offsets.size();
    strips.ByteCounts = directory.ReadValues(tiff_tags::kStripByteCounts);
    // Uncompressed strips have a size without them; compressed ones have none.
    if (strips.ByteCounts.size() < count) {
        if (compressed) InvalidFormat();
        strips.ByteCounts.clear();
    }
    // A single strip holds the whole image, whatever RowsPerStrip says.
    std::vector<std::uint32_t> rowsPerStrip{height};
    if (count > 1) {
        rowsPerStrip = directory.ReadValues(tiff_tags::kRowsPerStrip);
        if (rowsPerStrip.empty() || std::find(rowsPerStrip.begin(), rowsPerStrip.end(), 0u) != rowsPerStrip.end())
            InvalidFormat();
    }
    std::uint32_t rowsLeft = height;
    strips.Rows.resize(count);
    for (std::size_t s = 0; s < count; ++s) {
        // Strips beyond the RowsPerStrip list repeat its last value.
        strips.Rows[s] = std::min(rowsPerStrip[std::min(s, rowsPerStrip.size() - 1)], rowsLeft);
        rowsLeft -= strips.Rows[s];
    }
    return strips;
}

std::unique_ptr<TDecoder> MakeDecoder(const TTIFFDirectory& directory, std::uint16_t compression, std::uint32_t width) {
    const std::uint32_t options = directory.GetValue(tiff_tags::kT4Options, 0);
    const bool swapBits = directory.GetValue(tiff_tags::kFillOrder, 1) == kLsbFirstFillOrder;
    switch (compression) {
        case tiff_compression::kNone: return nullptr;
        case tiff_compression::kModifiedHuffman: return std::make_unique<TCCITTMHDecoder>(options, swapBits, width);
        case tiff_compression::kGroup3:
            // Two-dimensional rows decoded by the one-dimensional rules would give noise.
            if (options & (kT4TwoDimensional | kT4Uncompressed)) NotSupported();
            return std::make_unique<TCCITTFax3Decoder>(options, swapBits, width);
        case tiff_compression::kLZW: return std::make_unique<TTIFFLZWDecoder>();
        case tiff_compression::kPackBits: return std::make_unique<TPackbitsRLEDecoder>();
        default: NotSupported();
    }
}

std::span<std::uint8_t> ReadStrip(const TTIFFDirectory& directory, TDecoder* decoder, std::uint16_t compression,
                                  const TTIFFStrips& strips, std::size_t strip, std::size_t stripBytes,
                                  std::size_t rowBytes, TStripBuffers& buffers) {
    // The fax decoders read either bit order themselves; other data is turned around first.
    const bool reverseBits = directory.GetValue(tiff_tags::kFillOrder, 1) == kLsbFirstFillOrder &&
                             compression != tiff_compression::kModifiedHuffman &&
                             compression != tiff_compression::kGroup3;
    // Data is read as far as the strip's byte count and the file go; a strip that starts
    // outside the file is a read error.
    directory.SeekData(strips.Offsets[strip], 0);
    TBoundedReader& file = directory.File();
    std::uint64_t packedSize = std::min<std::uint64_t>(file.BytesLeft(), kLargestBlock);
    if (strip < strips.ByteCounts.size()) packedSize = std::min<std::uint64_t>(packedSize, strips.ByteCounts[strip]);
    if (decoder == nullptr) packedSize = std::min<std::uint64_t>(packedSize, stripBytes);
    std::vector<std::uint8_t>& packed = buffers.Packed;
    packed.resize(static_cast<std::size_t>(packedSize));
    file.Read(packed.data(), packed.size());
    if (reverseBits) ReverseBits(packed.data(), packed.size());
    if (decoder == nullptr) return packed;
    const std::uint64_t unpackedSize =
        std::min({std::uint64_t{stripBytes}, LargestUnpacked(compression, packedSize, rowBytes), kLargestBlock});
    std::vector<std::uint8_t>& unpacked = buffers.Unpacked;
    unpacked.assign(static_cast<std::size_t>(unpackedSize), 0);
    TPackedBytes source(packed);
    TUnpackedBytes dest(unpacked);
    decoder->DecodeBlock(source, dest, static_cast<std::int32_t>(packedSize), static_cast<std::int32_t>(unpackedSize));
    return unpacked;
}

void UndoHorizontalDifferencing(std::uint8_t* row, std::uint32_t width, std::uint32_t samples, std::uint32_t bits,
                                bool bigEndian) {
    const std::size_t count = std::size_t{width} * samples;
    if (bits == 8) {
        for (std::size_t i = samples; i < count; ++i) row[i] = static_cast<std::uint8_t>(row[i] + row[i - samples]);
        return;
    }
    auto load = [&](std::size_t i) {
        const std::uint16_t value = GetLE16(row + 2 * i);
        return bigEndian ? SwapShort(value) : value;
    };
    for (std::size_t i = samples; i < count; ++i) {
        const auto sum = static_cast<std::uint16_t>(load(i) + load(i - samples));
        PutLE16(row + 2 * i, bigEndian ? SwapShort(sum) : sum);
    }
}

}  // namespace pellumo
