// RGB-type data in either order, with or without alpha, 8 or 16 bits a sample.
#include "imaging/color/row_converters.h"

#include <array>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__)
#include <tmmintrin.h>
#endif

namespace pellumo {
namespace {

using namespace color_rows;

void ExchangeRedAndBluePlain(const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint8_t first = in[3 * k];
        out[3 * k] = in[3 * k + 2];
        out[3 * k + 1] = in[3 * k + 1];
        out[3 * k + 2] = first;
    }
}

#if defined(__x86_64__)
bool HasByteShuffles() {
    static const bool shuffles = __builtin_cpu_supports("ssse3");
    return shuffles;
}

// Four pixels a step with one byte shuffle, stored as twelve bytes: a store reaching into the
// next step's bytes would stall that step's load when the row is converted in place.
__attribute__((target("ssse3"))) void ExchangeRedAndBlueShuffled(const std::uint8_t* in, std::uint8_t* out,
                                                                 std::size_t count) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 12, 13, 14, 15);
    std::size_t k = 0;
    for (; k + 6 <= count; k += 4) {  // the 16 bytes read stay inside the row
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * k));
        const __m128i exchanged = _mm_shuffle_epi8(pixels, order);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 3 * k), exchanged);
        const auto last = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(exchanged, 8)));
        std::memcpy(out + 3 * k + 8, &last, sizeof last);
    }
    ExchangeRedAndBluePlain(in + 3 * k, out + 3 * k, count - k);
}
#endif


struct TRgbRow {
    TChannels in;
    std::size_t targetSamples;   // 3, or 4 when the target has alpha
    std::size_t redAt, blueAt;   // target sample of source channels 0 and 2
};

template <unsigned InBytes, unsigned OutBytes, bool CopyAlpha, class Color, class Alpha>
void RgbRow(const TRowJob& job, const TRgbRow& row, Color color, Alpha alpha) {
    const std::size_t red = row.redAt * OutBytes, green = OutBytes, blue = row.blueAt * OutBytes;
    ForSelectedPixels(job.count, job.mask, job.target, row.targetSamples * OutBytes,
                      [&](std::size_t k, std::uint8_t* out) {
                          Write<OutBytes>(out + red, color(Read<InBytes>(row.in.At(0, k))));
                          Write<OutBytes>(out + green, color(Read<InBytes>(row.in.At(1, k))));
                          Write<OutBytes>(out + blue, color(Read<InBytes>(row.in.At(2, k))));
                          if constexpr (CopyAlpha)
                              Write<OutBytes>(out + 3 * OutBytes, alpha(Read<InBytes>(row.in.At(3, k))));
                      });
}

template <unsigned InBytes, unsigned OutBytes, class Color, class Alpha>
void RgbRow(const TRowJob& job, const TRgbRow& row, bool copyAlpha, Color color, Alpha alpha) {
    if (copyAlpha)
        RgbRow<InBytes, OutBytes, true>(job, row, color, alpha);
    else
        RgbRow<InBytes, OutBytes, false>(job, row, color, alpha);
}

// Three planes' samples side by side: first, second, third for each pixel.
void InterleavePlanesPlain(const std::uint8_t* first, const std::uint8_t* second, const std::uint8_t* third,
                           std::uint8_t* out, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k, out += 3) {
        out[0] = first[k];
        out[1] = second[k];
        out[2] = third[k];
    }
}

#if defined(__x86_64__)
// For each 16 bytes of three interleaved blocks and each plane: the plane's sample that goes
// to each byte, or -1 (the shuffle's zero) where another plane's goes.
constexpr auto kInterleaveOrder = [] {
    std::array<std::array<std::array<std::int8_t, 16>, 3>, 3> order{};
    for (int block = 0; block < 3; ++block)
        for (int plane = 0; plane < 3; ++plane)
            for (int i = 0; i < 16; ++i) {
                const int at = 16 * block + i;
                order[block][plane][i] = static_cast<std::int8_t>(at % 3 == plane ? at / 3 : -1);
            }
    return order;
}();

// Sixteen pixels a step: each 16 bytes written is three byte shuffles, one per plane, put
// together.
__attribute__((target("ssse3"))) void InterleavePlanesShuffled(const std::uint8_t* first, const std::uint8_t* second,
                                                               const std::uint8_t* third, std::uint8_t* out,
                                                               std::size_t count) {
    __m128i order[3][3];
    for (std::size_t block = 0; block < 3; ++block)
        for (std::size_t plane = 0; plane < 3; ++plane)
            order[block][plane] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kInterleaveOrder[block][plane].data()));
    std::size_t k = 0;
    for (; k + 16 <= count; k += 16) {
        const __m128i samples[3] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(first + k)),
                                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(second + k)),
                                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(third + k))};
        for (std::size_t block = 0; block < 3; ++block) {
            const __m128i bytes = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(samples[0], order[block][0]),
                                                            _mm_shuffle_epi8(samples[1], order[block][1])),
                                               _mm_shuffle_epi8(samples[2], order[block][2]));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * k + 16 * block), bytes);
        }
    }
    InterleavePlanesPlain(first + k, second + k, third + k, out + 3 * k, count - k);
}
#endif

void InterleavePlanes(const std::uint8_t* first, const std::uint8_t* second, const std::uint8_t* third,
                      std::uint8_t* out, std::size_t count) {
#if defined(__x86_64__)
    if (HasByteShuffles()) return InterleavePlanesShuffled(first, second, third, out, count);
#endif
    InterleavePlanesPlain(first, second, third, out, count);
}

void ConvertRgbFamily(const TColorManager& manager, const TRowJob& job, bool exchange) {
    const unsigned sourceBits = manager.SourceBitsPerSample(), targetBits = manager.TargetBitsPerSample();
    if ((sourceBits != 8 && sourceBits != 16) || (targetBits != 8 && targetBits != 16)) return;

    const bool sourceAlpha = manager.SourceOptions().Contains(soAlpha);
    const bool targetAlpha = manager.TargetOptions().Contains(soAlpha);
    const bool copyAlpha = sourceAlpha && targetAlpha;
    const std::size_t inBytes = sourceBits / 8;
    TRgbRow row;
    row.in = job.source.size() == 1 ? Interleaved(job.source[0], sourceAlpha ? 4 : 3, inBytes)
                                    : Planar(job.source, copyAlpha ? 4 : 3, inBytes);
    row.targetSamples = targetAlpha ? 4 : 3;
    row.redAt = exchange ? 2 : 0;
    row.blueAt = exchange ? 0 : 2;

    // The commonest row of all: 8-bit RGB to a 24-bit bitmap, every pixel.
    if (sourceBits == 8 && targetBits == 8 && exchange && !sourceAlpha && !targetAlpha && job.mask == 0xFF &&
        job.source.size() == 1 && !manager.TargetOptions().Contains(soApplyGamma)) {
        ExchangeRedAndBlue(job.source[0], job.target, job.count);
        return;
    }
    // The commonest planar row (Photoshop, SGI, planar TIFF): three 8-bit planes to a 24-bit
    // bitmap, every pixel; the planes are read straight rather than through the row's cursor.
    if (sourceBits == 8 && targetBits == 8 && !copyAlpha && !targetAlpha && job.mask == 0xFF &&
        job.source.size() >= 3 && !manager.TargetOptions().Contains(soApplyGamma)) {
        InterleavePlanes(job.source[exchange ? 2 : 0], job.source[1], job.source[exchange ? 0 : 2], job.target,
                         job.count);
        return;
    }
    WithGamma(manager, [&](auto gamma) {
        WithSwap(manager, [&](auto swap) {
            if (sourceBits == 8 && targetBits == 8)
                RgbRow<1, 1>(job, row, copyAlpha, gamma, TNoGamma{});
            else if (sourceBits == 8)
                RgbRow<1, 2>(job, row, copyAlpha, [&](unsigned v) { return swap(Widen(gamma(v))); },
                             [&](unsigned v) { return swap(Widen(v)); });
            else if (targetBits == 8)
                RgbRow<2, 1>(job, row, copyAlpha, [&](unsigned v) { return gamma(Narrow(swap(v))); },
                             [&](unsigned v) { return Narrow(swap(v)); });
            else
                RgbRow<2, 2>(job, row, copyAlpha, swap, swap);
        });
    });
}

}  // namespace

void ExchangeRedAndBlue(const std::uint8_t* in, std::uint8_t* out, std::size_t count) {
#if defined(__x86_64__)
    if (HasByteShuffles()) return ExchangeRedAndBlueShuffled(in, out, count);
#endif
    ExchangeRedAndBluePlain(in, out, count);
}

void ConvertRgbKeepOrder(const TColorManager& manager, const TRowJob& job) {
    ConvertRgbFamily(manager, job, false);
}

void ConvertRgbExchangeOrder(const TColorManager& manager, const TRowJob& job) {
    ConvertRgbFamily(manager, job, true);
}

}  // namespace pellumo
