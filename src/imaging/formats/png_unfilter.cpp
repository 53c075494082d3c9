#include "imaging/formats/png_unfilter.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pellumo {
namespace {

enum TFilterType : std::uint8_t { ftNone, ftSub, ftUp, ftAverage, ftPaeth };

#if defined(__SSE2__)
// Average and Paeth depend on the byte just decoded on the left, so a row cannot be taken
// sixteen bytes at once; but the channels of one pixel are independent: they are worked out
// together, in 16-bit lanes, one pixel a step. The pixel left of the first and the one above
// it count as zero, which gives the first pixel's rule (b alone) from the same formula.
// Four bytes are loaded where the row has them: the byte past a 3-byte pixel rides along in a
// lane whose result is never stored. Put together byte by byte, the load would have to wait
// for the small stores to drain.
template <std::size_t Bpp>
__m128i LoadPixel(const std::uint8_t* bytes, bool fourBytesThere) {
    std::uint32_t value = 0;
    if (Bpp == 4 || fourBytesThere) std::memcpy(&value, bytes, 4);
    else value = bytes[0] | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16;
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(value)), _mm_setzero_si128());
}

template <std::size_t Bpp>
void StorePixel(std::uint8_t* bytes, __m128i lanes) {
    const auto value = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(lanes, lanes)));
    if constexpr (Bpp == 4) {
        std::memcpy(bytes, &value, 4);
    } else {
        const auto low = static_cast<std::uint16_t>(value);
        std::memcpy(bytes, &low, 2);
        bytes[2] = static_cast<std::uint8_t>(value >> 16);
    }
}

__m128i Absolute(__m128i lanes) { return _mm_max_epi16(lanes, _mm_sub_epi16(_mm_setzero_si128(), lanes)); }

__m128i Select(__m128i mask, __m128i ifSet, __m128i ifClear) {
    return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
}

// Returns the bytes done: the whole pixels of the row.
template <std::size_t Bpp, TFilterType Type>
std::size_t UnfilterPixels(std::uint8_t* x, const std::uint8_t* b, std::size_t n) {
    const __m128i lowByte = _mm_set1_epi16(0xFF);
    __m128i left = _mm_setzero_si128(), aboveLeft = _mm_setzero_si128();
    std::size_t i = 0;
    for (; i + Bpp <= n; i += Bpp) {
        const bool fourBytesThere = i + 4 <= n;
        const __m128i above = LoadPixel<Bpp>(b + i, fourBytesThere);
        __m128i predicted;
        if constexpr (Type == ftAverage) {
            predicted = _mm_srli_epi16(_mm_add_epi16(left, above), 1);
        } else {
            const __m128i towardA = _mm_sub_epi16(above, aboveLeft);  // b - c, p - a
            const __m128i towardB = _mm_sub_epi16(left, aboveLeft);   // a - c, p - b
            const __m128i pa = Absolute(towardA), pb = Absolute(towardB);
            const __m128i pc = Absolute(_mm_add_epi16(towardA, towardB));
            const __m128i notA = _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc));
            predicted = Select(notA, Select(_mm_cmpgt_epi16(pb, pc), aboveLeft, above), left);
        }
        left = _mm_and_si128(_mm_add_epi16(LoadPixel<Bpp>(x + i, fourBytesThere), predicted), lowByte);
        StorePixel<Bpp>(x + i, left);
        aboveLeft = above;
    }
    return i;
}
#endif

// The bytes of the row the processor's vector code has undone, from the first.
template <std::size_t Bpp, TFilterType Type>
std::size_t UnfilterWhole(std::uint8_t* x, const std::uint8_t* b, std::size_t n) {
#if defined(__SSE2__)
    if constexpr (Bpp == 3 || Bpp == 4) return UnfilterPixels<Bpp, Type>(x, b, n);
#endif
    return 0;
}

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
        case ftAverage: {
            std::size_t i = UnfilterWhole<Bpp, ftAverage>(x, b, n);
            for (; i < lead; ++i) x[i] = static_cast<std::uint8_t>(x[i] + (b[i] >> 1));
            for (; i < n; ++i) x[i] = static_cast<std::uint8_t>(x[i] + ((unsigned{x[i - Bpp]} + b[i]) >> 1));
            break;
        }
        case ftPaeth: {
            // With no byte on the left, a and c are 0 and the predictor is b.
            std::size_t i = UnfilterWhole<Bpp, ftPaeth>(x, b, n);
            for (; i < lead; ++i) x[i] = static_cast<std::uint8_t>(x[i] + b[i]);
            for (; i < n; ++i) x[i] = static_cast<std::uint8_t>(x[i] + PaethPredictor(x[i - Bpp], b[i], b[i - Bpp]));
            break;
        }
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
