#pragma once

// The row converters and the small pieces they share. Internal to the colour manager.

#include <array>
#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>

#include "base/byte_order.h"
#include "imaging/color/color_manager.h"

namespace pellumo {

// One call of ConvertRow, after the manager has checked the buffers against its settings.
struct TRowJob {
    std::span<const std::uint8_t* const> source;
    std::uint8_t* target;
    std::uint32_t count;
    std::uint8_t mask;
};

// Palette indices, by which side is 16 bits wide.
void ConvertIndexedNarrowToNarrow(const TColorManager& manager, const TRowJob& job);
void ConvertIndexed16ToNarrow(const TColorManager& manager, const TRowJob& job);
void ConvertIndexedNarrowTo16(const TColorManager& manager, const TRowJob& job);
void ConvertIndexed16To16(const TColorManager& manager, const TRowJob& job);
// Gray with or without alpha, one target sample per pixel.
void ConvertGray(const TColorManager& manager, const TRowJob& job);
// RGB-type data: RGB to RGB and BGR to BGR keep the order, the other two exchange red and blue.
void ConvertRgbKeepOrder(const TColorManager& manager, const TRowJob& job);
void ConvertRgbExchangeOrder(const TColorManager& manager, const TRowJob& job);
// 8-bit RGB pixels to BGR or back; `out` may be `in` itself.
void ExchangeRedAndBlue(const std::uint8_t* in, std::uint8_t* out, std::size_t count);
// The colour models, each for an RGB-ordered and a BGR-ordered target.
void ConvertCmykToRgb(const TColorManager& manager, const TRowJob& job);
void ConvertCmykToBgr(const TColorManager& manager, const TRowJob& job);
void ConvertLabToRgb(const TColorManager& manager, const TRowJob& job);
void ConvertLabToBgr(const TColorManager& manager, const TRowJob& job);
void ConvertYccToRgb(const TColorManager& manager, const TRowJob& job);
void ConvertYccToBgr(const TColorManager& manager, const TRowJob& job);

namespace color_rows {

// Byte counts of whole rows are 64-bit products of a 32-bit pixel count and a few bytes; they
// and the pointer steps below must not wrap.
static_assert(sizeof(std::size_t) >= 8, "row sizes need a 64-bit size_t");

// 16 bits to 8: only 65535 gives 255.
constexpr std::uint16_t Narrow(std::uint32_t value) { return static_cast<std::uint16_t>(value * 255u / 65535u); }
// 8 bits to 16: exact multiples of 257.
constexpr std::uint16_t Widen(std::uint32_t value) { return static_cast<std::uint16_t>(value * 65535u / 255u); }

// 16-bit samples in machine order, at any address.
inline std::uint16_t Load16(const std::uint8_t* p) {
    std::uint16_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}
inline void Store16(std::uint8_t* p, std::uint32_t value) {
    const auto word = static_cast<std::uint16_t>(value);
    std::memcpy(p, &word, sizeof word);
}

// One sample of 1 or 2 bytes.
template <unsigned Bytes>
unsigned Read(const std::uint8_t* sample) {
    if constexpr (Bytes == 1)
        return *sample;
    else
        return Load16(sample);
}
template <unsigned Bytes>
void Write(std::uint8_t* sample, unsigned value) {
    if constexpr (Bytes == 1)
        *sample = static_cast<std::uint8_t>(value);
    else
        Store16(sample, value);
}

// Round to nearest, ties to even, without a library call: after adding 1.5 x 2^(digits - 1)
// no fraction bits are left, so the addition itself rounds in the default rounding mode. Valid
// for |value| < 2^(digits - 2), far beyond any colour value here. Needs arithmetic in the
// type's own precision (no excess precision, no fast-math reassociation).
static_assert(FLT_EVAL_METHOD == 0, "float arithmetic must round to float");
template <class Real>
inline constexpr Real kRoundingBias = [] {
    Real bias = 1.5;
    for (int i = 1; i < std::numeric_limits<Real>::digits; ++i) bias *= 2;
    return bias;
}();
template <class Real>
long long RoundHalfEven(Real value) {
    return static_cast<long long>((value + kRoundingBias<Real>) - kRoundingBias<Real>);
}

inline std::uint8_t Clamp255(int value) {
    return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

// The per-row choices, as types, so that the pixel loops carry no test of the settings.
struct TNoGamma {
    unsigned operator()(unsigned value) const { return value; }
};
struct TWithGamma {
    const TGammaTable* table;
    unsigned operator()(unsigned value) const { return (*table)[value]; }
};
struct TNoSwap {
    unsigned operator()(unsigned value) const { return value; }
};
struct TWithSwap {
    unsigned operator()(unsigned value) const { return SwapShort(static_cast<std::uint16_t>(value)); }
};

template <class Body>
void WithGamma(const TColorManager& manager, Body&& body) {
    if (manager.TargetOptions().Contains(soApplyGamma))
        body(TWithGamma{&manager.GammaTable()});
    else
        body(TNoGamma{});
}

template <class Body>
void WithSwap(const TColorManager& manager, Body&& body) {
    if (manager.SourceOptions().Contains(soByteSwap))
        body(TWithSwap{});
    else
        body(TNoSwap{});
}

// Where each source sample of the k-th converted pixel lies: first[channel] + k * step.
struct TChannels {
    std::array<const std::uint8_t*, 4> first{};
    std::size_t step = 0;
    const std::uint8_t* At(std::size_t channel, std::size_t pixel) const { return first[channel] + pixel * step; }
};

// `channels` samples of `bytesPerSample` bytes each, one pixel after another in one row.
inline TChannels Interleaved(const std::uint8_t* row, std::size_t channels, std::size_t bytesPerSample) {
    TChannels result;
    for (std::size_t c = 0; c < channels && c < result.first.size(); ++c) result.first[c] = row + c * bytesPerSample;
    result.step = channels * bytesPerSample;
    return result;
}

// The first `channels` planes of the source, one sample per pixel each.
inline TChannels Planar(std::span<const std::uint8_t* const> planes, std::size_t channels,
                        std::size_t bytesPerSample) {
    TChannels result;
    for (std::size_t c = 0; c < channels && c < result.first.size(); ++c) result.first[c] = planes[c];
    result.step = bytesPerSample;
    return result;
}

// Calls convert(k, targetPixel) for every pixel the mask selects, k counting the converted
// pixels; the target steps over every pixel, converted or not.
template <class Convert>
inline void ForSelectedPixels(std::uint32_t count, std::uint8_t mask, std::uint8_t* target, std::size_t targetStep,
                              Convert&& convert) {
    if (mask == 0xFF) {
        for (std::size_t i = 0; i < count; ++i) convert(i, target + i * targetStep);
        return;
    }
    std::size_t converted = 0;
    unsigned bit = 0x80;
    for (std::size_t i = 0; i < count; ++i) {
        if ((mask & bit) != 0) convert(converted++, target + i * targetStep);
        bit = bit == 1 ? 0x80 : bit >> 1;
    }
}

}  // namespace color_rows
}  // namespace pellumo
