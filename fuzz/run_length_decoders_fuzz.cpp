// The run-length decoders on hostile blocks: the first bytes choose the decoder, the target's
// size and the sizes it is promised; the rest is the packed data.
#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/compression/run_length_decoders.h"

namespace {

std::unique_ptr<pellumo::TDecoder> DecoderOf(std::uint8_t choice) {
    using namespace pellumo;
    switch (choice % 11) {
        case 0: return std::make_unique<TPackbitsRLEDecoder>();
        case 1: return std::make_unique<TPCXRLEDecoder>();
        case 2: return std::make_unique<TPSPRLEDecoder>();
        case 3: return std::make_unique<TRLADecoder>();
        case 4: return std::make_unique<TSGIRLEDecoder>(1);
        case 5: return std::make_unique<TSGIRLEDecoder>(2);
        case 6: return std::make_unique<TCUTRLEDecoder>();
        case 7: return std::make_unique<TTargaRLEDecoder>(8);
        case 8: return std::make_unique<TTargaRLEDecoder>(16);
        case 9: return std::make_unique<TTargaRLEDecoder>(24);
        default: return std::make_unique<TTargaRLEDecoder>(32);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::unique_ptr<pellumo::TDecoder> decoder = DecoderOf(data[0]);
    std::vector<std::uint8_t> target(static_cast<std::size_t>(data[1]) * 16);
    const auto promised = static_cast<std::int32_t>(data[2] | (data[3] << 8));
    const std::vector<std::uint8_t> packed(data + 4, data + size);  // exactly sized, for the sanitizer
    pellumo::TPackedBytes source(packed);
    pellumo::TUnpackedBytes dest(target);
    decoder->DecodeBlock(source, dest, promised, promised);
    // What the Targa encoder packs, its decoder gives back.
    pellumo::TTargaRLEDecoder targa(24);
    const auto pixels = static_cast<std::uint32_t>(packed.size() / 3);
    std::vector<std::uint8_t> encoded(targa.MaxEncodedSize(pixels));
    std::uint32_t stored = 0;
    targa.EncodeBlock(packed, encoded, pixels, stored);
    std::vector<std::uint8_t> decoded(pixels * 3u);
    pellumo::TPackedBytes again(encoded.data(), stored);
    pellumo::TUnpackedBytes out(decoded);
    targa.DecodeBlock(again, out, 0, static_cast<std::int32_t>(pixels));
    if (!std::equal(decoded.begin(), decoded.end(), packed.begin())) __builtin_trap();
    return 0;
}
