// The LZW decoders on hostile blocks: the first byte chooses the decoder (even: TIFF; odd: GIF
// with the initial code size in the high bits), the second the target's size / 16, the next
// two the promised output size; the rest is the packed data.
#include <cstdint>
#include <memory>
#include <vector>

#include "base/exceptions.h"
#include "imaging/compression/lzw_decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    std::unique_ptr<pellumo::TDecoder> decoder;
    if (data[0] % 2 == 0)
        decoder = std::make_unique<pellumo::TTIFFLZWDecoder>();
    else
        decoder = std::make_unique<pellumo::TGIFLZWDecoder>(static_cast<std::uint8_t>(data[0] >> 1));
    std::vector<std::uint8_t> target(static_cast<std::size_t>(data[1]) * 16);
    const auto promised = static_cast<std::int32_t>(data[2] | (data[3] << 8));
    const std::vector<std::uint8_t> packed(data + 4, data + size);  // exactly sized, for the sanitizer
    pellumo::TPackedBytes source(packed);
    pellumo::TUnpackedBytes dest(target);
    try {
        decoder->DecodeBlock(source, dest, static_cast<std::int32_t>(packed.size()), promised);
    } catch (const pellumo::Exception&) {
    }
    return 0;
}
