#pragma once

// The resampler's weights along one axis. Internal to the resampler; apart for its tests.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "imaging/resample/resample_kernels.h"

namespace pellumo {

// One source sample of one output sample: the kernel value in fixed point with 8 fractional
// bits, and the sample's index along the axis, always inside the source.
struct TContributor {
    std::int32_t Weight = 0;
    std::int32_t Pixel = 0;
    friend bool operator==(const TContributor&, const TContributor&) = default;
};

// One contributor list per output sample along an axis, stored end to end. Each list holds
// exactly the non-zero weights it was given, however many the radius lets through.
class TContributorLists {
public:
    int Count() const { return static_cast<int>(starts_.size()) - 1; }
    int ContributorCount(int output) const {
        return static_cast<int>(starts_[static_cast<std::size_t>(output) + 1] - starts_[static_cast<std::size_t>(output)]);
    }
    std::span<const TContributor> operator[](int output) const {
        const std::size_t start = starts_[static_cast<std::size_t>(output)];
        return {contributors_.data() + start, starts_[static_cast<std::size_t>(output) + 1] - start};
    }

private:
    friend TContributorLists BuildContributorLists(int, int, float, TFilterKernel, float);
    std::vector<std::size_t> starts_{0};
    std::vector<TContributor> contributors_;
};

// The scale of an axis: target over source length when the source has one sample, else so
// that the first and last samples of both line up.
float ResampleScale(int targetLength, int sourceLength);

// The lists for `outputCount` samples taken from `sourceLength` samples at `scale` (0 means a
// single output from a longer source and stands for 0.1). Indices past either end mirror
// back once and are then clamped, so a source shorter than the kernel's reach still reads
// only its own samples; an empty source gives empty lists. A kernel value that does not fit a
// 32-bit weight raises EInvalidGraphicOperation.
TContributorLists BuildContributorLists(int outputCount, int sourceLength, float scale, TFilterKernel kernel,
                                        float radius);

// A channel sum divided by its list's weight sum as the pixel takes it: truncated toward zero
// and clamped to 0..255. A zero weight sum divides by 256 instead, rounding down (an
// arithmetic shift by 8), so that a negative sum is black.
std::uint8_t WeightedChannel(std::int32_t sum, std::int32_t weightSum);

// The fast paths divide by multiplying with this float and truncating; once clamped to 0..255
// that is WeightedChannel exactly for weight sums 1..kMaxReciprocalWeightSum and channel sums
// below 2^24 in magnitude.
float WeightSumReciprocal(std::int32_t weightSum);
constexpr std::int32_t kMaxReciprocalWeightSum = 16447;

}  // namespace pellumo
