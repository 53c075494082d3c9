// CMYK, CIE L*a*b* and luma/chroma data to RGB- or BGR-ordered rows. None of them uses the
// gamma table, swaps bytes or writes alpha.
#include <array>
#include <optional>

#include "imaging/color/row_converters.h"

namespace pellumo {
namespace {

using namespace color_rows;
using TRgb = std::array<unsigned, 3>;

struct TModelRow {
    TChannels in;
    std::size_t targetStep;      // bytes a target pixel: 3 samples, or 4 when the target has alpha
    std::size_t redAt, blueAt;   // bytes into the target pixel
};

enum class TTargetOrder { rgb, bgr };

// The row's layout, or false when a depth is not handled (the row is then left alone).
bool PlanModelRow(const TColorManager& manager, const TRowJob& job, TTargetOrder order, bool planar,
                  std::size_t channels, TModelRow& row) {
    const unsigned sourceBits = manager.SourceBitsPerSample(), targetBits = manager.TargetBitsPerSample();
    if ((sourceBits != 8 && sourceBits != 16) || (targetBits != 8 && targetBits != 16)) return false;
    const std::size_t inBytes = sourceBits / 8, outBytes = targetBits / 8;
    row.in = planar ? Planar(job.source, channels, inBytes) : Interleaved(job.source[0], channels, inBytes);
    row.targetStep = (manager.TargetOptions().Contains(soAlpha) ? 4 : 3) * outBytes;
    row.redAt = (order == TTargetOrder::rgb ? 0 : 2) * outBytes;
    row.blueAt = (order == TTargetOrder::rgb ? 2 : 0) * outBytes;
    return true;
}

// Writes pixel(k), red, green and blue already on the target's scale, for every selected pixel.
template <unsigned OutBytes, class Pixel>
void ModelRow(const TRowJob& job, const TModelRow& row, Pixel pixel) {
    ForSelectedPixels(job.count, job.mask, job.target, row.targetStep, [&](std::size_t k, std::uint8_t* out) {
        const TRgb rgb = pixel(k);
        Write<OutBytes>(out + row.redAt, rgb[0]);
        Write<OutBytes>(out + OutBytes, rgb[1]);
        Write<OutBytes>(out + row.blueAt, rgb[2]);
    });
}

// Runs `body` with the source and target sample widths as compile-time constants.
template <class Body>
void WithDepths(const TColorManager& manager, Body&& body) {
    const bool wideIn = manager.SourceBitsPerSample() == 16, wideOut = manager.TargetBitsPerSample() == 16;
    if (!wideIn && !wideOut)
        body(std::integral_constant<unsigned, 1>{}, std::integral_constant<unsigned, 1>{});
    else if (!wideIn)
        body(std::integral_constant<unsigned, 1>{}, std::integral_constant<unsigned, 2>{});
    else if (!wideOut)
        body(std::integral_constant<unsigned, 2>{}, std::integral_constant<unsigned, 1>{});
    else
        body(std::integral_constant<unsigned, 2>{}, std::integral_constant<unsigned, 2>{});
}

// --- CMYK -------------------------------------------------------------------------------------

// One colour sample from its ink x and the black ink k, on the target's scale.
template <unsigned InBytes, unsigned OutBytes>
unsigned CmykComponent(std::uint32_t x, std::uint32_t k) {
    if constexpr (InBytes == 1) {
        const std::uint8_t value = Clamp255(255 - static_cast<int>(x + k - x * k / 255));
        return OutBytes == 1 ? value : Widen(value);
    } else {
        const auto ink = static_cast<std::uint16_t>(x + k - x * k / 65535);
        if constexpr (OutBytes == 1)
            return Clamp255(255 - static_cast<int>(std::uint32_t{ink} * 255 / 65535));
        else
            return static_cast<std::uint16_t>(65535 - ink);
    }
}

void ConvertCmyk(const TColorManager& manager, const TRowJob& job, TTargetOrder order) {
    TModelRow row;
    if (!PlanModelRow(manager, job, order, job.source.size() == 4, 4, row)) return;
    WithDepths(manager, [&](auto inBytes, auto outBytes) {
        constexpr unsigned kIn = decltype(inBytes)::value, kOut = decltype(outBytes)::value;
        ModelRow<kOut>(job, row, [&](std::size_t k) {
            const std::uint32_t black = Read<kIn>(row.in.At(3, k));
            return TRgb{CmykComponent<kIn, kOut>(Read<kIn>(row.in.At(0, k)), black),
                        CmykComponent<kIn, kOut>(Read<kIn>(row.in.At(1, k)), black),
                        CmykComponent<kIn, kOut>(Read<kIn>(row.in.At(2, k)), black)};
        });
    });
}

// --- CIE L*a*b* -----------------------------------------------------------------------------

constexpr long double kLabLinearLimit = 7.9996L;
constexpr long double kLabLinearY = 903.3L;
constexpr long double kLabLinearA = 3893.5L;
constexpr long double kLabLinearB = 1557.4L;
constexpr long double kLabOffset = 16.0L;
constexpr long double kLabScale = 116.0L;
constexpr long double kLabA = 500.0L;
constexpr long double kLabB = 200.0L;
constexpr long double kLabStoredL = 2.55L;
constexpr long double kXyzToRgb[3][3] = {
    {2.998L, -1.458L, -0.541L},
    {-0.952L, 1.893L, 0.059L},
    {0.099L, -0.198L, 1.099L},
};

// A colour value to 0..255: times 255, rounded ties to even, clamped.
unsigned LabChannel(long double value) {
    const long double scaled = value * 255.0L;
    if (!(scaled > 0.0L)) return 0;
    if (scaled >= 255.0L) return 255;
    return static_cast<unsigned>(RoundHalfEven(scaled));
}

// The quotients of one pixel that depend on a single sample: below the linear limit
// y = L / 903.3 and a* / 3893.5, b* / 1557.4; above it t = (L + 16) / 116 and a* / 500,
// b* / 200.
struct TLabTerms {
    bool linear;
    long double lightness, a, b;
};

long double LightnessTerm(long double l) {
    return l < kLabLinearLimit ? l / kLabLinearY : (l + kLabOffset) / kLabScale;
}
long double ATerm(long double a, bool linear) { return linear ? a / kLabLinearA : a / kLabA; }
long double BTerm(long double b, bool linear) { return linear ? b / kLabLinearB : b / kLabB; }

TRgb LabToRgb(const TLabTerms& terms) {
    long double x, y, z;
    if (terms.linear) {
        y = terms.lightness;
        x = y + terms.a;
        z = y - terms.b;
    } else {
        const long double t = terms.lightness, tx = t + terms.a, tz = t - terms.b;
        x = tx * tx * tx;
        y = t * t * t;
        z = tz * tz * tz;
    }
    TRgb rgb;
    for (std::size_t c = 0; c < 3; ++c)
        rgb[c] = LabChannel(kXyzToRgb[c][0] * x + kXyzToRgb[c][1] * y + kXyzToRgb[c][2] * z);
    return rgb;
}

// How the stored samples read: L* scaled or not, a* and b* with an offset or signed.
struct TLabScales {
    bool scaledL, offsetAB;
    long double Lightness(unsigned stored) const {
        return scaledL ? stored / kLabStoredL : static_cast<long double>(stored);
    }
    // 16-bit samples without the offset: their first byte in memory, signed.
    long double Chroma(const std::uint8_t* sample, unsigned stored) const {
        return offsetAB ? static_cast<long double>(static_cast<int>(stored) - 128)
                        : static_cast<long double>(static_cast<std::int8_t>(sample[0]));
    }
};

// Every quotient of an 8-bit source, for each possible byte, made once a row; the pixels then
// only add, multiply and round. The quotients are those the pixels would compute themselves.
struct TLabByteTerms {
    std::array<bool, 256> linear;
    std::array<long double, 256> lightness, linearA, cubeA, linearB, cubeB;

    explicit TLabByteTerms(const TLabScales& scales) {
        for (unsigned v = 0; v < 256; ++v) {
            const long double l = scales.Lightness(v);
            const auto byte = static_cast<std::uint8_t>(v);
            const long double chroma = scales.Chroma(&byte, v);
            linear[v] = l < kLabLinearLimit;
            lightness[v] = LightnessTerm(l);
            linearA[v] = ATerm(chroma, true);
            cubeA[v] = ATerm(chroma, false);
            linearB[v] = BTerm(chroma, true);
            cubeB[v] = BTerm(chroma, false);
        }
    }
    TLabTerms Terms(unsigned l, unsigned a, unsigned b) const {
        const bool lin = linear[l];
        return {lin, lightness[l], lin ? linearA[a] : cubeA[a], lin ? linearB[b] : cubeB[b]};
    }
};

void ConvertLab(const TColorManager& manager, const TRowJob& job, TTargetOrder order) {
    TModelRow row;
    if (!PlanModelRow(manager, job, order, job.source.size() > 1, 3, row)) return;
    const TLabScales scales{manager.SourceOptions().Contains(soLabScaledL),
                            manager.SourceOptions().Contains(soLabOffsetAB)};
    std::optional<TLabByteTerms> byteTerms;
    if (manager.SourceBitsPerSample() == 8) byteTerms.emplace(scales);
    WithDepths(manager, [&](auto inBytes, auto outBytes) {
        constexpr unsigned kIn = decltype(inBytes)::value, kOut = decltype(outBytes)::value;
        ModelRow<kOut>(job, row, [&](std::size_t k) {
            const std::uint8_t* l = row.in.At(0, k);
            const std::uint8_t* a = row.in.At(1, k);
            const std::uint8_t* b = row.in.At(2, k);
            if constexpr (kIn == 1) {
                TRgb rgb = LabToRgb(byteTerms->Terms(*l, *a, *b));
                if constexpr (kOut == 2)
                    for (unsigned& value : rgb) value = Widen(value);
                return rgb;
            } else {
                // 16-bit samples, on the 8-bit scale; the 0..255 results are stored as they are.
                const long double lightness = scales.Lightness(Load16(l));
                const bool linear = lightness < kLabLinearLimit;
                return LabToRgb({linear, LightnessTerm(lightness), ATerm(scales.Chroma(a, Load16(a)), linear),
                                 BTerm(scales.Chroma(b, Load16(b)), linear)});
            }
        });
    });
}

// --- Luma/chroma ------------------------------------------------------------------------------

constexpr float kLumaScale = 1.3584f;
constexpr float kRedFromC2 = 1.8215f;
constexpr float kGreenFromC2 = 0.9271435f;
constexpr float kGreenFromC1 = 0.4302726f;
constexpr float kBlueFromC1 = 2.2179f;

// Rounded, ties to even; even from 16-bit samples the values stay far inside the int range.
std::array<int, 3> YccToRgb(unsigned luma, float c1, float c2) {
    const float y = kLumaScale * static_cast<float>(luma);
    return {static_cast<int>(RoundHalfEven(y + kRedFromC2 * c2)),
            static_cast<int>(RoundHalfEven(y - kGreenFromC2 * c2 - kGreenFromC1 * c1)),
            static_cast<int>(RoundHalfEven(y + kBlueFromC1 * c1))};
}

void ConvertYcc(const TColorManager& manager, const TRowJob& job, TTargetOrder order) {
    TModelRow row;
    if (!PlanModelRow(manager, job, order, job.source.size() > 1, 3, row)) return;
    WithDepths(manager, [&](auto inBytes, auto outBytes) {
        constexpr unsigned kIn = decltype(inBytes)::value, kOut = decltype(outBytes)::value;
        constexpr float kOffset1 = kIn == 1 ? 156.0f : 40092.0f, kOffset2 = kIn == 1 ? 137.0f : 35209.0f;
        ModelRow<kOut>(job, row, [&](std::size_t k) {
            const std::array<int, 3> values =
                YccToRgb(Read<kIn>(row.in.At(0, k)), static_cast<float>(Read<kIn>(row.in.At(1, k))) - kOffset1,
                         static_cast<float>(Read<kIn>(row.in.At(2, k))) - kOffset2);
            TRgb rgb;
            for (std::size_t c = 0; c < 3; ++c) {
                if constexpr (kIn == 1) {
                    const std::uint8_t clamped = Clamp255(values[c]);
                    rgb[c] = kOut == 1 ? clamped : Widen(clamped);
                } else {
                    // 16-bit data is not clamped: the value wraps to 16 bits.
                    const auto wrapped = static_cast<std::uint16_t>(values[c]);
                    rgb[c] = kOut == 1 ? Narrow(wrapped) : wrapped;
                }
            }
            return rgb;
        });
    });
}

}  // namespace

void ConvertCmykToRgb(const TColorManager& manager, const TRowJob& job) {
    ConvertCmyk(manager, job, TTargetOrder::rgb);
}
void ConvertCmykToBgr(const TColorManager& manager, const TRowJob& job) {
    ConvertCmyk(manager, job, TTargetOrder::bgr);
}
void ConvertLabToRgb(const TColorManager& manager, const TRowJob& job) {
    ConvertLab(manager, job, TTargetOrder::rgb);
}
void ConvertLabToBgr(const TColorManager& manager, const TRowJob& job) {
    ConvertLab(manager, job, TTargetOrder::bgr);
}
void ConvertYccToRgb(const TColorManager& manager, const TRowJob& job) {
    ConvertYcc(manager, job, TTargetOrder::rgb);
}
void ConvertYccToBgr(const TColorManager& manager, const TRowJob& job) {
    ConvertYcc(manager, job, TTargetOrder::bgr);
}

}  // namespace pellumo
