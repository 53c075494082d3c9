#include "imaging/resample/resample.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/format.h"
#include "base/image_limits.h"
#include "base/parallel_parts.h"
#include "imaging/resample/resample_contributors.h"
#include "raster/graphic.h"

namespace pellumo {
namespace {

constexpr std::size_t kBytesPerPixel = 3;

#if defined(__SSE2__)
// A vector register in a struct, so that containers keep its alignment.
struct TLanes {
    __m128i value;
};
#endif

// Per-thread scratch rows, so that threads resampling different bitmaps never share them.
// Unsigned, so that a sum that wraps (only a caller's extreme kernel can) stays defined; it is
// read back as the signed 32-bit value it stands for.
struct TChannelBuffers {
    std::vector<std::uint32_t> red, green, blue;
#if defined(__SSE2__)
    std::vector<TLanes> pairs;  // the fast horizontal pass's form of a source row
#endif
};
thread_local TChannelBuffers channelBuffers;

// Hands the buffers back when the operation ends, also when it fails.
class TChannelBuffersLease {
public:
    TChannelBuffersLease() = default;
    TChannelBuffersLease(const TChannelBuffersLease&) = delete;
    TChannelBuffersLease& operator=(const TChannelBuffersLease&) = delete;
    ~TChannelBuffersLease() { channelBuffers = TChannelBuffers{}; }
    TChannelBuffers& Buffers() { return channelBuffers; }
};

void SizeChannels(TChannelBuffers& buffers, std::size_t count) {
    buffers.red.assign(count, 0);
    buffers.green.assign(count, 0);
    buffers.blue.assign(count, 0);
}

std::int32_t WeightSum(std::span<const TContributor> list) {
    std::uint32_t sum = 0;
    for (const TContributor& c : list) sum += static_cast<std::uint32_t>(c.Weight);
    return static_cast<std::int32_t>(sum);
}

std::vector<std::int32_t> WeightSums(const TContributorLists& lists) {
    std::vector<std::int32_t> sums(static_cast<std::size_t>(lists.Count()));
    for (int i = 0; i < lists.Count(); ++i) sums[static_cast<std::size_t>(i)] = WeightSum(lists[i]);
    return sums;
}

// A list the fast paths reproduce exactly: a positive weight sum their reciprocal divides by
// exactly, and weights small enough that 16-bit weights and 32-bit sums never overflow.
bool FitsFastPath(std::span<const TContributor> list) {
    std::int64_t sum = 0, magnitude = 0;
    for (const TContributor& c : list) {
        sum += c.Weight;
        magnitude += std::abs(std::int64_t{c.Weight});
    }
    return sum >= 1 && sum <= kMaxReciprocalWeightSum && magnitude <= 32767;
}

bool AllFitFastPath(const TContributorLists& lists) {
    for (int i = 0; i < lists.Count(); ++i)
        if (!FitsFastPath(lists[i])) return false;
    return true;
}

// The weight of each source sample from `first` on, duplicates (from mirroring) added up:
// integer sums do not care how their terms are grouped.
struct TMergedWeights {
    std::int32_t first = 0;
    std::vector<std::int32_t> weights;
};

TMergedWeights MergeByPixel(std::span<const TContributor> list) {
    TMergedWeights merged;
    if (list.empty()) return merged;
    const auto [low, high] = std::minmax_element(list.begin(), list.end(),
                                                 [](const TContributor& a, const TContributor& b) { return a.Pixel < b.Pixel; });
    merged.first = low->Pixel;
    merged.weights.assign(static_cast<std::size_t>(high->Pixel - low->Pixel) + 1, 0);
    for (const TContributor& c : list) merged.weights[static_cast<std::size_t>(c.Pixel - merged.first)] += c.Weight;
    return merged;
}

// The rows between the passes. Only the source rows some target row reads are filtered and
// kept; rows are padded to whole 16-byte blocks, zeroed, for the block-wise vertical pass.
class TIntermediate {
public:
    TIntermediate(int width, int sourceHeight, const TContributorLists& rowLists)
        : slotOfRow_(static_cast<std::size_t>(sourceHeight), -1) {
        for (int i = 0; i < rowLists.Count(); ++i)
            for (const TContributor& c : rowLists[i]) slotOfRow_[static_cast<std::size_t>(c.Pixel)] = 0;
        std::int32_t slots = 0;
        for (std::int32_t& slot : slotOfRow_)
            if (slot == 0) slot = slots++;
        CheckedImageBytes(width, slots, 24);  // a size no bitmap could have is refused, not allocated
        rowBytes_ = static_cast<std::size_t>(width) * kBytesPerPixel;
        stride_ = (rowBytes_ + 1 + 15) / 16 * 16;  // one spare byte for 4-byte stores of 3-byte pixels
        pixels_ = std::make_unique_for_overwrite<std::uint8_t[]>(stride_ * static_cast<std::size_t>(slots));
    }

    bool Needed(int sourceRow) const { return slotOfRow_[static_cast<std::size_t>(sourceRow)] >= 0; }
    std::uint8_t* Row(int sourceRow) {
        return pixels_.get() + static_cast<std::size_t>(slotOfRow_[static_cast<std::size_t>(sourceRow)]) * stride_;
    }
    std::size_t RowBytes() const { return rowBytes_; }
    void ClearPadding(std::uint8_t* row) const { std::memset(row + rowBytes_, 0, stride_ - rowBytes_); }

private:
    std::vector<std::int32_t> slotOfRow_;  // -1: no target row reads it
    std::size_t rowBytes_ = 0;
    std::size_t stride_ = 0;
    std::unique_ptr<std::uint8_t[]> pixels_;
};

// The exact passes, in the plain form of the arithmetic: any list, any weights.

void FilterRowPlain(const std::uint8_t* source, int sourceWidth, const TContributorLists& lists,
                    const std::vector<std::int32_t>& weightSums, TChannelBuffers& buffers, std::uint8_t* out) {
    for (std::size_t x = 0; x < static_cast<std::size_t>(sourceWidth); ++x) {
        buffers.blue[x] = source[x * 3];
        buffers.green[x] = source[x * 3 + 1];
        buffers.red[x] = source[x * 3 + 2];
    }
    for (int i = 0; i < lists.Count(); ++i) {
        std::uint32_t blue = 0, green = 0, red = 0;
        for (const TContributor& c : lists[i]) {
            const auto w = static_cast<std::uint32_t>(c.Weight);
            const auto p = static_cast<std::size_t>(c.Pixel);
            blue += w * buffers.blue[p];
            green += w * buffers.green[p];
            red += w * buffers.red[p];
        }
        const std::int32_t weightSum = weightSums[static_cast<std::size_t>(i)];
        std::uint8_t* pixel = out + static_cast<std::size_t>(i) * kBytesPerPixel;
        pixel[0] = WeightedChannel(static_cast<std::int32_t>(blue), weightSum);
        pixel[1] = WeightedChannel(static_cast<std::int32_t>(green), weightSum);
        pixel[2] = WeightedChannel(static_cast<std::int32_t>(red), weightSum);
    }
}

// One target row from whole intermediate rows, one contributor at a time.
void FilterColumnsPlain(TIntermediate& intermediate, std::span<const TContributor> list, std::int32_t weightSum,
                        TChannelBuffers& buffers, std::uint8_t* out) {
    const std::size_t width = intermediate.RowBytes() / kBytesPerPixel;
    std::fill(buffers.blue.begin(), buffers.blue.end(), 0);
    std::fill(buffers.green.begin(), buffers.green.end(), 0);
    std::fill(buffers.red.begin(), buffers.red.end(), 0);
    for (const TContributor& c : list) {
        const auto w = static_cast<std::uint32_t>(c.Weight);
        const std::uint8_t* row = intermediate.Row(c.Pixel);
        for (std::size_t x = 0; x < width; ++x) {
            buffers.blue[x] += w * row[x * 3];
            buffers.green[x] += w * row[x * 3 + 1];
            buffers.red[x] += w * row[x * 3 + 2];
        }
    }
    for (std::size_t x = 0; x < width; ++x) {
        out[x * 3] = WeightedChannel(static_cast<std::int32_t>(buffers.blue[x]), weightSum);
        out[x * 3 + 1] = WeightedChannel(static_cast<std::int32_t>(buffers.green[x]), weightSum);
        out[x * 3 + 2] = WeightedChannel(static_cast<std::int32_t>(buffers.red[x]), weightSum);
    }
}

#if defined(__SSE2__)

// The fast passes: the same sums, two contributors per multiply-add (pmaddwd), and the
// division as a multiplication by a reciprocal that is exact for these lists.

// Pair j of a source row holds the channels of pixels j and j + 1 side by side, as 16-bit
// lanes: b(j) b(j+1) g(j) g(j+1) r(j) r(j+1) and two lanes that only ever meet weight 0.
void SplitRowIntoPairs(const std::uint8_t* source, int width, TLanes* pairs) {
    const __m128i zero = _mm_setzero_si128();
    int j = 0;
    for (; j + 6 <= width; j += 4) {  // four pairs from 16 bytes, all inside the row
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 3 * j));
        // Pairs j and j + 1 land at bytes 0 and 6 of `near`, pairs j + 2 and j + 3 of `far`.
        const __m128i near = _mm_unpacklo_epi8(here, _mm_srli_si128(here, 3));
        const __m128i far = _mm_unpacklo_epi8(_mm_srli_si128(here, 6), _mm_srli_si128(here, 9));
        pairs[j].value = _mm_unpacklo_epi8(near, zero);
        pairs[j + 1].value = _mm_unpacklo_epi8(_mm_srli_si128(near, 6), zero);
        pairs[j + 2].value = _mm_unpacklo_epi8(far, zero);
        pairs[j + 3].value = _mm_unpacklo_epi8(_mm_srli_si128(far, 6), zero);
    }
    for (; j + 3 <= width; ++j) {  // the 8 bytes read from pixel j stay inside the row
        const __m128i here = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(source + 3 * j));
        const __m128i next = _mm_srli_epi64(here, 24);
        pairs[j].value = _mm_unpacklo_epi8(_mm_unpacklo_epi8(here, next), zero);
    }
    for (; j < width; ++j) {
        const std::uint8_t* p = source + 3 * j;
        const bool hasNext = j + 1 < width;
        pairs[j].value = _mm_setr_epi16(p[0], hasNext ? p[3] : 0, p[1], hasNext ? p[4] : 0, p[2], hasNext ? p[5] : 0, 0, 0);
    }
}

// Two weights for the two pixels of a pair, repeated over the blue, green and red lanes.
__m128i PairWeights(std::int32_t first, std::int32_t second, bool allLanes) {
    const auto a = static_cast<short>(first), b = static_cast<short>(second);
    return allLanes ? _mm_setr_epi16(a, b, a, b, a, b, a, b) : _mm_setr_epi16(a, b, a, b, a, b, 0, 0);
}

class THorizontalPlan {
public:
    explicit THorizontalPlan(const TContributorLists& lists) {
        samples_.reserve(static_cast<std::size_t>(lists.Count()));
        for (int i = 0; i < lists.Count(); ++i) {
            TMergedWeights merged = MergeByPixel(lists[i]);
            if (merged.weights.size() % 2 != 0) merged.weights.push_back(0);
            samples_.push_back({merged.first, static_cast<std::int32_t>(merged.weights.size() / 2), weights_.size(),
                                WeightSumReciprocal(WeightSum(lists[i]))});
            for (std::size_t k = 0; k < merged.weights.size(); k += 2)
                weights_.push_back({PairWeights(merged.weights[k], merged.weights[k + 1], false)});
        }
    }

    void FilterRow(const TLanes* pairs, std::uint8_t* out) const {
        const __m128i zero = _mm_setzero_si128();
        for (const Sample& s : samples_) {
            const TLanes* p = pairs + s.first;
            const TLanes* w = weights_.data() + s.weightIndex;
            __m128i sum = zero;
            for (std::int32_t m = 0; m < s.pairCount; ++m) sum = _mm_add_epi32(sum, _mm_madd_epi16(p[2 * m].value, w[m].value));
            const __m128i quotient = _mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(sum), _mm_set1_ps(s.reciprocal)));
            // Saturating packs clamp to 0..255; the fourth byte is 0 and is overwritten by the
            // next pixel or lands in the row's padding.
            const int bytes = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(quotient, zero), zero));
            std::memcpy(out, &bytes, 4);
            out += kBytesPerPixel;
        }
    }

private:
    struct Sample {
        std::int32_t first;  // the pair of the window's first source pixel
        std::int32_t pairCount;
        std::size_t weightIndex;
        float reciprocal;
    };
    std::vector<Sample> samples_;
    std::vector<TLanes> weights_;
};

class TVerticalPlan {
public:
    TVerticalPlan(const TContributorLists& lists, TIntermediate& intermediate) {
        rows_.reserve(static_cast<std::size_t>(lists.Count()));
        for (int i = 0; i < lists.Count(); ++i) {
            const TMergedWeights merged = MergeByPixel(lists[i]);
            const std::size_t firstPair = pairs_.size();
            const std::uint8_t* pending = nullptr;
            std::int32_t pendingWeight = 0;
            for (std::size_t k = 0; k < merged.weights.size(); ++k) {
                if (merged.weights[k] == 0) continue;
                const std::uint8_t* row = intermediate.Row(merged.first + static_cast<std::int32_t>(k));
                if (pending == nullptr) {
                    pending = row;
                    pendingWeight = merged.weights[k];
                } else {
                    pairs_.push_back({pending, row, PairWeights(pendingWeight, merged.weights[k], true)});
                    pending = nullptr;
                }
            }
            if (pending != nullptr) pairs_.push_back({pending, pending, PairWeights(pendingWeight, 0, true)});
            rows_.push_back({firstPair, pairs_.size() - firstPair, WeightSumReciprocal(WeightSum(lists[i]))});
        }
    }

    // Target row i, 16 bytes at a time, every contributing row summed in registers.
    void FilterRow(int i, std::size_t rowBytes, std::uint8_t* out) const {
        const Row& r = rows_[static_cast<std::size_t>(i)];
        const TapPair* pairs = pairs_.data() + r.firstPair;
        const __m128 reciprocal = _mm_set1_ps(r.reciprocal);
        const __m128i zero = _mm_setzero_si128();
        for (std::size_t x = 0; x < rowBytes; x += 16) {
            __m128i sum0 = zero, sum1 = zero, sum2 = zero, sum3 = zero;
            for (std::size_t k = 0; k < r.pairCount; ++k) {
                const TapPair& t = pairs[k];
                const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t.first + x));
                const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t.second + x));
                const __m128i aLow = _mm_unpacklo_epi8(a, zero), aHigh = _mm_unpackhi_epi8(a, zero);
                const __m128i bLow = _mm_unpacklo_epi8(b, zero), bHigh = _mm_unpackhi_epi8(b, zero);
                sum0 = _mm_add_epi32(sum0, _mm_madd_epi16(_mm_unpacklo_epi16(aLow, bLow), t.weights));
                sum1 = _mm_add_epi32(sum1, _mm_madd_epi16(_mm_unpackhi_epi16(aLow, bLow), t.weights));
                sum2 = _mm_add_epi32(sum2, _mm_madd_epi16(_mm_unpacklo_epi16(aHigh, bHigh), t.weights));
                sum3 = _mm_add_epi32(sum3, _mm_madd_epi16(_mm_unpackhi_epi16(aHigh, bHigh), t.weights));
            }
            const auto divide = [&](__m128i s) {
                return _mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(s), reciprocal));
            };
            const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(divide(sum0), divide(sum1)),
                                                   _mm_packs_epi32(divide(sum2), divide(sum3)));
            if (x + 16 <= rowBytes) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), bytes);
            } else {  // the target's rows are padded to 4 bytes only
                alignas(16) std::uint8_t last[16];
                _mm_store_si128(reinterpret_cast<__m128i*>(last), bytes);
                std::memcpy(out + x, last, rowBytes - x);
            }
        }
    }

private:
    struct TapPair {
        const std::uint8_t* first;
        const std::uint8_t* second;
        __m128i weights;
    };
    struct Row {
        std::size_t firstPair;
        std::size_t pairCount;
        float reciprocal;
    };
    std::vector<Row> rows_;
    std::vector<TapPair> pairs_;
};

#endif  // __SSE2__

// Part `part` of `parts` of `count` rows: where it starts.
int PartStart(std::size_t part, std::size_t parts, int count) {
    return static_cast<int>(static_cast<std::int64_t>(count) * static_cast<std::int64_t>(part) /
                            static_cast<std::int64_t>(parts));
}

// Rows are independent in either pass, so the parts split them; every row is computed as one
// thread would compute it.
void ForRowsInParts(std::size_t parts, int count,
                    const std::function<void(TChannelBuffers&, int first, int end)>& body) {
    RunParts(parts, [&](std::size_t part) {
        TChannelBuffersLease lease;
        body(lease.Buffers(), PartStart(part, parts, count), PartStart(part + 1, parts, count));
    });
}

void FilterRows(const TBitmap& source, const TContributorLists& lists, TIntermediate& intermediate,
                std::size_t parts) {
    const int width = source.Width();
#if defined(__SSE2__)
    if (AllFitFastPath(lists)) {
        const THorizontalPlan plan(lists);
        ForRowsInParts(parts, source.Height(), [&](TChannelBuffers& buffers, int first, int end) {
            buffers.pairs.resize(static_cast<std::size_t>(width));
            for (int y = first; y < end; ++y) {
                if (!intermediate.Needed(y)) continue;
                std::uint8_t* out = intermediate.Row(y);
                SplitRowIntoPairs(source.ScanLine(y), width, buffers.pairs.data());
                plan.FilterRow(buffers.pairs.data(), out);
                intermediate.ClearPadding(out);
            }
        });
        return;
    }
#endif
    const std::vector<std::int32_t> weightSums = WeightSums(lists);
    ForRowsInParts(parts, source.Height(), [&](TChannelBuffers& buffers, int first, int end) {
        SizeChannels(buffers, static_cast<std::size_t>(width));
        for (int y = first; y < end; ++y) {
            if (!intermediate.Needed(y)) continue;
            std::uint8_t* out = intermediate.Row(y);
            FilterRowPlain(source.ScanLine(y), width, lists, weightSums, buffers, out);
            intermediate.ClearPadding(out);
        }
    });
}

void FilterColumns(TIntermediate& intermediate, const TContributorLists& lists, TBitmap& target,
                   std::size_t parts) {
#if defined(__SSE2__)
    if (AllFitFastPath(lists)) {
        const TVerticalPlan plan(lists, intermediate);
        ForRowsInParts(parts, target.Height(), [&](TChannelBuffers&, int first, int end) {
            for (int i = first; i < end; ++i) plan.FilterRow(i, intermediate.RowBytes(), target.ScanLine(i));
        });
        return;
    }
#endif
    ForRowsInParts(parts, target.Height(), [&](TChannelBuffers& buffers, int first, int end) {
        SizeChannels(buffers, static_cast<std::size_t>(target.Width()));
        for (int i = first; i < end; ++i)
            FilterColumnsPlain(intermediate, lists[i], WeightSum(lists[i]), buffers, target.ScanLine(i));
    });
}

void CheckRadius(float radius) {
    if (!(radius > 0.0f && radius <= kMaxFilterRadius))
        throw EInvalidGraphicOperation(Format("Rayon de filtre invalide : %s", {std::to_string(radius)}));
}

}  // namespace

void ResampleWithKernel(TFilterKernel kernel, float radius, const TBitmap& source, TBitmap& target, int threads) {
    if (kernel == nullptr) throw EInvalidGraphicOperation("Noyau de filtre absent");
    CheckRadius(radius);
    if (source.PixelFormat() != pf24bit || target.PixelFormat() != pf24bit)
        throw EInvalidGraphicOperation("Le rééchantillonnage demande des bitmaps de 24 bits");

    const int sourceWidth = source.Width(), sourceHeight = source.Height();
    const int targetWidth = target.Width(), targetHeight = target.Height();
    // Both axes' lists first: the row lists tell which source rows the target reads at all.
    const TContributorLists columnLists = BuildContributorLists(
        targetWidth, sourceWidth, ResampleScale(targetWidth, sourceWidth), kernel, radius);
    const TContributorLists rowLists = BuildContributorLists(
        targetHeight, sourceHeight, ResampleScale(targetHeight, sourceHeight), kernel, radius);

    TIntermediate intermediate(targetWidth, sourceHeight, rowLists);
    const std::size_t parts = threads > 0 ? static_cast<std::size_t>(threads)
                                          : PartsFor(std::uint64_t(sourceWidth) * std::uint64_t(sourceHeight),
                                                     kSmallestSharedPicture);
    FilterRows(source, columnLists, intermediate, parts);
    FilterColumns(intermediate, rowLists, target, parts);
}

void ResampleBitmap(int newWidth, int newHeight, TResampleFilter filter, float radius, TBitmap& source,
                    TBitmap& target, int threads) {
    if (static_cast<unsigned>(filter) >= static_cast<unsigned>(kResampleFilterCount))
        throw EInvalidGraphicOperation("Filtre de rééchantillonnage inconnu");
    if (radius == 0.0f) radius = kFilterRadii[filter];
    CheckRadius(radius);
    CheckedImageBytes(newWidth, newHeight, 24);

    // The image is made apart and handed over at the end: a failure leaves the target as it
    // was, a source that is the target itself is read whole, and the target's observers see
    // one change, with the pixels in place.
    TBitmap result;
    result.SetPixelFormat(pf24bit);
    result.SetWidth(newWidth);
    result.SetHeight(newHeight);
    source.SetPixelFormat(pf24bit);
    ResampleWithKernel(kFilterKernels[filter], radius, source, result, threads);
    target.Assign(std::move(result));
}

}  // namespace pellumo
