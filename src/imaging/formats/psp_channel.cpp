#include "imaging/formats/psp_channel.h"

#include <zlib.h>

#include <algorithm>

#include "imaging/compression/lz77_decoder.h"
#include "imaging/compression/run_length_decoders.h"
#include "imaging/image_messages.h"

namespace pellumo {
namespace {

// The most bytes one packed byte can give: a two-byte run makes 127, a deflate match 1032.
std::uint64_t MaxExpansion(std::uint16_t compression) {
    switch (compression) {
        case kRunLength: return 64;
        case kDeflate: return 1032;
        default: return 1;
    }
}

[[noreturn]] void CompressionError() { RaiseImageError(image_messages::kCompressionError, kPSPFormatName); }

void Inflate(const std::vector<std::uint8_t>& packed, std::vector<std::uint8_t>& plane) {
    TLZ77Decoder decoder(Z_FINISH);  // each channel is one whole stream
    decoder.BeginDecoding();
    TPackedBytes source(packed);
    TUnpackedBytes dest(plane);
    decoder.DecodeBlock(source, dest, static_cast<std::int32_t>(packed.size()), static_cast<std::int32_t>(plane.size()));
    // A stream cut short leaves the plane unfilled; one that gives more than the plane holds
    // is still a whole plane.
    const int result = decoder.LastResult();
    if (result == Z_NEED_DICT || (result < 0 && decoder.OutputLeft() > 0)) CompressionError();
    decoder.EndDecoding();
}

}  // namespace

std::vector<std::uint8_t> ReadChannelPlane(TBoundedReader& reader, const TPSPChannelLayout& layout,
                                           std::uint32_t compressedLength) {
    const std::uint64_t planeSize = std::uint64_t{layout.RowSize} * layout.Rows;
    if (compressedLength * MaxExpansion(layout.Compression) < planeSize) CompressionError();
    const std::vector<std::uint8_t> packed = reader.ReadBytes(compressedLength);
    std::vector<std::uint8_t> plane(static_cast<std::size_t>(planeSize), 0);
    switch (layout.Compression) {
        case kRunLength: {
            TPSPRLEDecoder decoder;
            TPackedBytes source(packed);
            TUnpackedBytes dest(plane);
            decoder.DecodeBlock(source, dest, static_cast<std::int32_t>(packed.size()),
                                static_cast<std::int32_t>(plane.size()));
            break;
        }
        case kDeflate: Inflate(packed, plane); break;
        default: std::copy_n(packed.begin(), std::min(packed.size(), plane.size()), plane.begin());
    }
    return plane;
}

}  // namespace pellumo
