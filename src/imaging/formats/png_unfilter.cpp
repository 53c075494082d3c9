#include "imaging/formats/png_unfilter.h"

#include <algorithm>

namespace pellumo {
namespace {

enum TFilterType : std::uint8_t { ftNone, ftSub, ftUp, ftAverage, ftPaeth };

// The distance to the left byte is a constant here, so that the compiler can keep each
// channel's running value in a register and unroll the pixel.
template <std::size_t Bpp>
void Unfilter(std::uint8_t type, std::uint8_t* x, const std::uint8_t* b, std::size_t n) {
    const std::size_t lead = std::min(Bpp, n);
    switch (type) {
        case ftSub:
            for (std::size_t i = Bpp; i < n; ++i) x[i] = static_cast<std::uint8_t>(x[i] + x[i - Bpp]);
            break;
        case ftUp:
            for (std::size_t i = 0; i < n; ++i) x[i] = static_cast<std::uint8_t>(x[i] + b[i]);
            break;
        case ftAverage:
            for (std::size_t i = 0; i < lead; ++i) x[i] = static_cast<std::uint8_t>(x[i] + (b[i] >> 1));
            for (std::size_t i = Bpp; i < n; ++i)
                x[i] = static_cast<std::uint8_t>(x[i] + ((unsigned{x[i - Bpp]} + b[i]) >> 1));
            break;
        case ftPaeth:
            // With no byte on the left, a and c are 0 and the predictor is b.
            for (std::size_t i = 0; i < lead; ++i) x[i] = static_cast<std::uint8_t>(x[i] + b[i]);
            for (std::size_t i = Bpp; i < n; ++i)
                x[i] = static_cast<std::uint8_t>(x[i] + PaethPredictor(x[i - Bpp], b[i], b[i - Bpp]));
            break;
        default: break;  // None, and the types no encoder writes: the bytes stay as stored
    }
}

}  // namespace

void UnfilterRow(std::span<std::uint8_t> row, std::span<const std::uint8_t> previous, std::size_t bytesPerPixel) {
    if (row.empty()) return;
    const std::uint8_t type = row[0];
    if (type == ftNone || type > ftPaeth) return;
    // A line above shorter than this one is the caller's mistake: nothing is read past it.
    if (type != ftSub && previous.size() < row.size()) return;
    const std::size_t n = row.size() - 1;
    std::uint8_t* x = row.data() + 1;
    const std::uint8_t* b = type == ftSub ? nullptr : previous.data() + 1;
    switch (bytesPerPixel) {
        case 1: Unfilter<1>(type, x, b, n); break;
        case 2: Unfilter<2>(type, x, b, n); break;
        case 3: Unfilter<3>(type, x, b, n); break;
        case 4: Unfilter<4>(type, x, b, n); break;
        case 6: Unfilter<6>(type, x, b, n); break;
        case 8: Unfilter<8>(type, x, b, n); break;
        default: break;  // no image layout has another pixel size
    }
}

}  // namespace pellumo
