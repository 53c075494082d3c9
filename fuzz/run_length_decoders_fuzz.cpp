// The run-length decoders on hostile blocks: the first bytes choose the decoder, the target's
// size and the sizes it is promised; the rest is the packed data.
#include <algorithm>
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

// Decoded a line at a time (each line exactly sized, for the sanitizer), the packets give the
// bytes they give decoded in one go.
template <class TLineDecoder>
void LinesGiveTheWhole(TLineDecoder byLine, TLineDecoder whole, std::size_t lineSize, std::size_t lineCount) {
    std::vector<std::uint8_t> expected(lineSize * lineCount), decoded;
    expected.resize(whole.Decode(expected));
    for (std::size_t i = 0; i < lineCount; ++i) {
        std::vector<std::uint8_t> line(lineSize);
        line.resize(byLine.Decode(line));
        decoded.insert(decoded.end(), line.begin(), line.end());
    }
    if (decoded != expected) __builtin_trap();
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
    const std::size_t lineLength = 1 + data[1] % 97, lineCount = 1 + data[2] % 31;
    LinesGiveTheWhole(pellumo::TPCXLineDecoder(packed), pellumo::TPCXLineDecoder(packed), lineLength, lineCount);
    const std::int32_t depth = 8 * (1 + data[3] % 4);
    LinesGiveTheWhole(pellumo::TTargaLineDecoder(packed, depth), pellumo::TTargaLineDecoder(packed, depth),
                      lineLength * static_cast<std::size_t>(depth / 8), lineCount);
    return 0;
}
