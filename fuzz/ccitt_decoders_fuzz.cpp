// The CCITT fax decoders on hostile blocks: the first byte chooses the decoder (bit 0: Group 3
// or modified Huffman) and the bit order (bit 1), the next two give the row width, the fourth
// the number of rows of room; the rest is the packed data.
#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/compression/ccitt_decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const bool swapBits = (data[0] & 2) != 0;
    const std::uint32_t width = data[1] | (data[2] << 8);
    std::unique_ptr<pellumo::TDecoder> decoder;
    if (data[0] & 1)
        decoder = std::make_unique<pellumo::TCCITTMHDecoder>(0, swapBits, width);
    else
        decoder = std::make_unique<pellumo::TCCITTFax3Decoder>(0, swapBits, width);
    std::vector<std::uint8_t> target((width + 7) / 8 * data[3]);
    const std::vector<std::uint8_t> packed(data + 4, data + size);  // exactly sized, for the sanitizer
    pellumo::TPackedBytes source(packed);
    pellumo::TUnpackedBytes dest(target);
    decoder->DecodeBlock(source, dest, static_cast<std::int32_t>(packed.size()), static_cast<std::int32_t>(target.size()));
    return 0;
}
