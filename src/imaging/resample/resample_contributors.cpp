#include "imaging/resample/resample_contributors.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/format.h"
#include "base/integer_math.h"
#include "raster/graphic.h"

namespace pellumo {
namespace {

// Weight = Round(value), ties to even; values a 32-bit weight cannot hold come only from a
// caller's kernel gone wrong, and rounding them would be undefined.
std::int32_t RoundWeight(double value) {
    if (!(std::fabs(value) < 2147483647.0))
        throw EInvalidGraphicOperation(
            Format("Noyau de filtre invalide : poids %s hors limites", {std::to_string(value)}));
    return static_cast<std::int32_t>(Round(value));
}

// Mirrors once at each end, then clamps: a source shorter than the kernel's reach would
// otherwise mirror past its other end.
std::int32_t SourceIndex(std::int64_t j, std::int64_t length) {
    std::int64_t index = j;
    if (j < 0)
        index = -j;
    else if (j >= length)
        index = 2 * length - j - 1;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(index, 0, length - 1));
}

}  // namespace

float ResampleScale(int targetLength, int sourceLength) {
    if (sourceLength == 1) return static_cast<float>(targetLength);
    // The quotient of the two integers rounded once to float, as a wider intermediate gives.
    return static_cast<float>(static_cast<long double>(targetLength - 1) / (sourceLength - 1));
}

TContributorLists BuildContributorLists(int outputCount, int sourceLength, float scale, TFilterKernel kernel,
                                        float radius) {
    TContributorLists lists;
    lists.starts_.reserve(static_cast<std::size_t>(std::max(outputCount, 0)) + 1);
    if (scale == 0.0f) scale = 0.1f;
    const bool enlarging = scale >= 1.0f;
    // Reducing widens the kernel by 1/scale and lowers it by scale.
    const float width = enlarging ? radius : radius / scale;
    for (int i = 0; i < outputCount; ++i) {
        if (sourceLength > 0) {
            const auto centre = static_cast<float>(static_cast<long double>(i) / scale);
            // The bounds come from the exact difference, not one rounded to float.
            const auto first = static_cast<std::int64_t>(std::floor(static_cast<long double>(centre) - width));
            const auto last = static_cast<std::int64_t>(std::ceil(static_cast<long double>(centre) + width));
            for (std::int64_t j = first; j <= last; ++j) {
                const long double offset = static_cast<long double>(centre) - static_cast<long double>(j);
                double value;
                if (enlarging)
                    value = static_cast<double>(kernel(static_cast<float>(offset))) * 256.0;
                else  // kernel value times scale is exact in double; only the final rounding counts
                    value = static_cast<double>(kernel(static_cast<float>(offset * scale))) *
                            static_cast<double>(scale) * 256.0;
                const std::int32_t weight = RoundWeight(value);
                if (weight != 0) lists.contributors_.push_back({weight, SourceIndex(j, sourceLength)});
            }
        }
        lists.starts_.push_back(lists.contributors_.size());
    }
    return lists;
}

std::uint8_t WeightedChannel(std::int32_t sum, std::int32_t weightSum) {
    // 64 bits: a wrapped sum of INT32_MIN over a weight sum of -1 must not trap. An arithmetic
    // shift, so that a negative sum is dark, not 2^24 - 1 clamped to white.
    const std::int64_t value = weightSum != 0 ? std::int64_t{sum} / weightSum : std::int64_t{sum} >> 8;
    return static_cast<std::uint8_t>(std::clamp<std::int64_t>(value, 0, 255));
}

float WeightSumReciprocal(std::int32_t weightSum) {
    // Rounded up, so that an exact multiple of the weight sum never lands just below its quotient.
    return std::nextafter(static_cast<float>(1.0 / weightSum), 2.0f);
}

}  // namespace pellumo
