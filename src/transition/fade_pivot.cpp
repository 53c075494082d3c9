// Fade and pivot: the two styles that compute every pixel of every frame, so both loops work on
// whole rows with integer arithmetic only.
#include "transition/fade_pivot.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <vector>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "raster/bitmap.h"

namespace pellumo {
namespace {

bool Is32Bit(const TBitmap& bitmap) { return BitsPerPixel(bitmap.PixelFormat()) == 32; }

std::uint8_t Mix(unsigned old, unsigned picture, unsigned keep, unsigned take) {
    return static_cast<std::uint8_t>((old * keep + picture * take) / 100u);
}

// One row of the mix. The sum never exceeds 255 × 100, so it fits 16 bits, and there a
// division by 100 is exactly a multiply-high by 5243 and a shift by 3: with SSE2, eight
// channels at a time, the unused bytes put back from the old display afterwards.
void BlendRow(std::uint8_t* screen, const std::uint8_t* old, const std::uint8_t* picture, std::size_t bytes,
              std::uint16_t keep, std::uint16_t take) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i keepFactor = _mm_set1_epi16(static_cast<short>(keep));
    const __m128i takeFactor = _mm_set1_epi16(static_cast<short>(take));
    const __m128i hundredth = _mm_set1_epi16(5243);
    const __m128i unusedBytes = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const auto mix = [&](__m128i oldChannels, __m128i newChannels) {
        const __m128i sum =
            _mm_add_epi16(_mm_mullo_epi16(oldChannels, keepFactor), _mm_mullo_epi16(newChannels, takeFactor));
        return _mm_srli_epi16(_mm_mulhi_epu16(sum, hundredth), 3);
    };
    for (; i + 16 <= bytes; i += 16) {
        const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(old + i));
        const __m128i fresh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(picture + i));
        const __m128i mixed = _mm_packus_epi16(mix(_mm_unpacklo_epi8(before, zero), _mm_unpacklo_epi8(fresh, zero)),
                                               mix(_mm_unpackhi_epi8(before, zero), _mm_unpackhi_epi8(fresh, zero)));
        const __m128i kept = _mm_or_si128(_mm_andnot_si128(unusedBytes, mixed), _mm_and_si128(unusedBytes, before));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(screen + i), kept);
    }
#endif
    for (; i < bytes; ++i) screen[i] = (i & 3u) != 3u ? Mix(old[i], picture[i], keep, take) : old[i];
}

// floor(a / b) for b > 0.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// The columns [First, Last) of a row, within [0, count), whose coordinate
// centre + ((start + x·step) >> 16) lies in [0, limit). The shift floors, so the test on the
// coordinate is a test on the sum: coordinate ≥ k exactly when the sum ≥ k·65536.
struct TRun {
    std::int64_t First;
    std::int64_t Last;
};
TRun RunInside(std::int64_t centre, std::int64_t start, std::int64_t step, std::int64_t limit, std::int64_t count) {
    const std::int64_t low = -centre * 65536;            // the sum's least value inside
    const std::int64_t high = (limit - centre) * 65536;  // and the first past the far edge
    TRun run{0, count};
    if (step > 0) {
        run.First = -FloorDiv(start - low, step);  // ceil((low − start) / step)
        run.Last = -FloorDiv(start - high, step);
    } else if (step < 0) {
        run.First = FloorDiv(start - high, -step) + 1;
        run.Last = FloorDiv(start - low, -step) + 1;
    } else if (start < low || start >= high) {
        run.Last = 0;
    }
    run.First = std::clamp<std::int64_t>(run.First, 0, count);
    run.Last = std::clamp<std::int64_t>(run.Last, 0, count);
    return run;
}

// Copies the old display onto the columns of `before` that are not in `now` (empty: none).
void PutBackOldDisplay(std::uint8_t* row, const std::uint8_t* oldRow, TScreenTrace::TColumns before,
                       TScreenTrace::TColumns now) {
    if (now.First >= now.Last) now = {before.Last, before.Last};
    const auto copy = [&](int from, int to) {
        const std::size_t start = std::size_t{4} * static_cast<std::size_t>(from);
        if (from < to) std::memcpy(row + start, oldRow + start, std::size_t{4} * static_cast<std::size_t>(to - from));
    };
    copy(before.First, std::min(before.Last, now.First));
    copy(std::max(before.First, now.Last), before.Last);
}

std::atomic<TPivotRunLoop> pivotRunLoop{TPivotRunLoop::Quicker};

#if defined(__SSE2__)
// What the run loops need of a frame's turn: the picture, the sines in 16.16 and the pivot.
struct TTurn {
    const std::uint8_t* Source;
    std::int64_t Cs, Sn;
    int Cx, Cy;
    int StridePixels, Width, Height;
};

// The picture's pixels come from memory along a slanted line, where the processor cannot guess
// the next row's address: the pixel that lies this many rows further down, where the loop
// will be soon, is asked for ahead; the lines next to it come along. At 3840×2160, where the
// picture never stays in the cache, a turned frame takes about 5 ms instead of 7.
constexpr std::int64_t kPrefetchRows = 8;

void PrefetchRowsAhead(const TTurn& turn, std::int64_t across, std::int64_t down) {
    const auto sx = std::clamp<std::int64_t>(turn.Cx + ((across - kPrefetchRows * turn.Sn) >> 16), 0, turn.Width - 1);
    const auto sy = std::clamp<std::int64_t>(turn.Cy + ((down + kPrefetchRows * turn.Cs) >> 16), 0, turn.Height - 1);
    // Written out: in these loops GCC drops the intrinsic's prefetch as if it were dead code.
    asm volatile("prefetcht0 %0" : : "m"(turn.Source[4 * (sy * turn.StridePixels + sx)]));
}

// The start of a run, four pixels at a time, for pictures small enough that the sums fit 32
// bits and a source position fits two 16-bit halves: the offsets of four source pixels come
// from one multiply-add. `across` and `down` are the sums at the run's first pixel. Returns
// the pixels copied, a multiple of four; the caller copies the rest.
std::int64_t RotateRunFourAtATime(const TTurn& turn, std::uint8_t* target, std::int64_t count, std::int64_t across,
                                  std::int64_t down) {
    // Converted modulo 2^32 (C++20): the lanes of pixels past the run may wrap, and are not used.
    const auto lanes = [](std::int64_t start, std::int64_t step) {
        return _mm_set_epi32(static_cast<std::int32_t>(start + 3 * step), static_cast<std::int32_t>(start + 2 * step),
                             static_cast<std::int32_t>(start + step), static_cast<std::int32_t>(start));
    };
    __m128i acrossLanes = lanes(across, turn.Cs);
    __m128i downLanes = lanes(down, turn.Sn);
    const __m128i acrossStep = _mm_set1_epi32(static_cast<std::int32_t>(4 * turn.Cs));
    const __m128i downStep = _mm_set1_epi32(static_cast<std::int32_t>(4 * turn.Sn));
    const __m128i centreX = _mm_set1_epi32(turn.Cx);
    const __m128i centreY = _mm_set1_epi32(turn.Cy);
    const __m128i toOffset = _mm_set1_epi32(1 | (turn.StridePixels << 16));  // sx·1 + sy·stride
    std::int64_t done = 0;
    for (; done + 4 <= count; done += 4, target += 16, across += 4 * turn.Cs, down += 4 * turn.Sn) {
        // Every other time, once every eight pixels as in the gather loop: at full HD, 8 %
        // less time than every time.
        if ((done & 4) == 0) PrefetchRowsAhead(turn, across, down);
        const __m128i sx = _mm_add_epi32(_mm_srai_epi32(acrossLanes, 16), centreX);
        const __m128i sy = _mm_add_epi32(_mm_srai_epi32(downLanes, 16), centreY);
        alignas(16) std::int32_t offsets[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(offsets),
                        _mm_madd_epi16(_mm_or_si128(sx, _mm_slli_epi32(sy, 16)), toOffset));
        for (int k = 0; k < 4; ++k)
            std::memcpy(target + 4 * k, turn.Source + std::size_t{4} * static_cast<std::size_t>(offsets[k]), 4);
        acrossLanes = _mm_add_epi32(acrossLanes, acrossStep);
        downLanes = _mm_add_epi32(downLanes, downStep);
    }
    return done;
}

// The same eight pixels at a time, with the processor's gather where it has one (AVX2): the
// loads of the eight source pixels are one instruction. The same offsets, so the same pixels.
__attribute__((target("avx2"))) std::int64_t RotateRunEightAtATime(const TTurn& turn, std::uint8_t* target,
                                                                    std::int64_t count, std::int64_t across,
                                                                    std::int64_t down) {
    alignas(32) std::int32_t acrossStart[8], downStart[8];
    for (int k = 0; k < 8; ++k) {  // modulo 2^32, as the four-at-a-time lanes
        acrossStart[k] = static_cast<std::int32_t>(across + k * turn.Cs);
        downStart[k] = static_cast<std::int32_t>(down + k * turn.Sn);
    }
    __m256i acrossLanes = _mm256_load_si256(reinterpret_cast<const __m256i*>(acrossStart));
    __m256i downLanes = _mm256_load_si256(reinterpret_cast<const __m256i*>(downStart));
    const __m256i acrossStep = _mm256_set1_epi32(static_cast<std::int32_t>(8 * turn.Cs));
    const __m256i downStep = _mm256_set1_epi32(static_cast<std::int32_t>(8 * turn.Sn));
    const __m256i centreX = _mm256_set1_epi32(turn.Cx);
    const __m256i centreY = _mm256_set1_epi32(turn.Cy);
    const __m256i toOffset = _mm256_set1_epi32(1 | (turn.StridePixels << 16));
    const auto* pixels = reinterpret_cast<const int*>(turn.Source);
    std::int64_t done = 0;
    for (; done + 8 <= count; done += 8, target += 32, across += 8 * turn.Cs, down += 8 * turn.Sn) {
        PrefetchRowsAhead(turn, across, down);
        const __m256i sx = _mm256_add_epi32(_mm256_srai_epi32(acrossLanes, 16), centreX);
        const __m256i sy = _mm256_add_epi32(_mm256_srai_epi32(downLanes, 16), centreY);
        const __m256i offsets = _mm256_madd_epi16(_mm256_or_si256(sx, _mm256_slli_epi32(sy, 16)), toOffset);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(target), _mm256_i32gather_epi32(pixels, offsets, 4));
        acrossLanes = _mm256_add_epi32(acrossLanes, acrossStep);
        downLanes = _mm256_add_epi32(downLanes, downStep);
    }
    return done;
}

using TRotateRun = std::int64_t (*)(const TTurn&, std::uint8_t*, std::int64_t, std::int64_t, std::int64_t);

// The run loop a pivot's frames take: the quicker on this processor, unless the tests name
// one. A gather is one instruction, but AMD's cores run it as a sequence of microcode: on this
// project's AMD host a pivot frame at 3840×2160 took 12 ms with it and 6.5 ms with four plain
// loads, where on an Intel host the gather had been the quicker. Timing both on a small
// picture at start-up could not tell them apart: the gap shows only when the picture is out
// of the caches. Both give the same pixels.
TRotateRun RunLoop() {
    static const bool hasGather = __builtin_cpu_supports("avx2");
    static const bool gatherIsQuicker = hasGather && !__builtin_cpu_is("amd");
    switch (pivotRunLoop.load(std::memory_order_relaxed)) {
        case TPivotRunLoop::FourAtATime: return RotateRunFourAtATime;
        case TPivotRunLoop::Gather: return hasGather ? RotateRunEightAtATime : RotateRunFourAtATime;
        case TPivotRunLoop::Quicker: break;
    }
    return gatherIsQuicker ? RotateRunEightAtATime : RotateRunFourAtATime;
}
#endif

}  // namespace

void BlendBitmaps(TBitmap& screen, const TBitmap& picture, int p, const TBitmap* old) {
    if (!Is32Bit(screen) || !Is32Bit(picture)) return;
    const int width = std::min(screen.Width(), picture.Width());
    const int height = std::min(screen.Height(), picture.Height());
    if (width <= 0 || height <= 0) return;
    p = std::clamp(p, 0, 100);
    const auto take = static_cast<std::uint16_t>(p);
    const auto keep = static_cast<std::uint16_t>(100 - p);
    const std::size_t bytes = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = screen.ScanLine(y);
        BlendRow(row, old != nullptr ? old->ScanLine(y) : row, picture.ScanLine(y), bytes, keep, take);
    }
}

TRect RotateBitmap(TBitmap& screen, const TBitmap& picture, int cx, int cy, double angle, const TBitmap* old,
                   TScreenTrace* trace) {
    if (!Is32Bit(screen) || !Is32Bit(picture)) return {};
    const int width = picture.Width();
    const int height = picture.Height();
    const int outWidth = std::min(width, screen.Width());
    const int outHeight = std::min(height, screen.Height());
    if (outWidth <= 0 || outHeight <= 0 || !std::isfinite(angle)) return {};

    using TColumns = TScreenTrace::TColumns;
    const bool traced = trace != nullptr && old != nullptr && trace->Screen == &screen && trace->Old == old &&
                        trace->Width == outWidth && trace->Rows.size() == static_cast<std::size_t>(outHeight);
    if (old == nullptr && trace != nullptr) {  // what lies around the runs is the caller's
        trace->Forget();
        trace = nullptr;
    }
    if (trace != nullptr && !traced)
        *trace = {.Screen = &screen, .Old = old, .Width = outWidth, .Rows = std::vector<TColumns>(outHeight)};
    // Without `old` the caller has placed the old display: the whole picture changed.
    TRect changed = old != nullptr ? TRect{} : TRect{0, 0, outWidth, outHeight};

    // Truncation toward zero, once per frame.
    const auto sn = static_cast<std::int64_t>(static_cast<std::int32_t>(std::sin(angle) * 65536.0));
    const auto cs = static_cast<std::int64_t>(static_cast<std::int32_t>(std::cos(angle) * 65536.0));
    // 64-bit sums: in 32 bits dx·cos − dy·sin overflows once the offsets from the pivot add up
    // to 32768 pixels, which a wide panorama reaches; below that both give the same numbers.
    const std::uint8_t* source = picture.ScanLine(0);
    const std::size_t stride = picture.RowBytes();
#if defined(__SSE2__)
    // |sum| ≤ (|dx| + |dy|)·65536, and positions inside the picture below 32768 fit 16 bits.
    const bool fourAtATime = std::int64_t{outWidth} + outHeight + std::abs(std::int64_t{cx}) +
                                     std::abs(std::int64_t{cy}) < 32768 &&
                             stride / 4 < 32768 && width < 32768 && height < 32768;
    const TTurn turn{source, cs, sn, cx, cy, static_cast<int>(stride / 4), width, height};
    const TRotateRun rotateRun = RunLoop();
#endif

    // Source and target are different bitmaps, so the order of the pixels does not matter.
    // Along a row both sums are linear in x, so the pixels that map inside the picture form one
    // run; the loops copy just that run, stepping the sums instead of multiplying. Sixteen rows
    // go side by side, a short stretch of each in turn: the rows of a stretch read the same few
    // hundred source lines, which stay in the nearest cache, where one row after the other finds
    // them gone (at 3840×2160, 15 to 25 % less time than two rows of 1024 pixels).
    constexpr int kRowsTogether = 16;
    constexpr std::int64_t kStretch = 128;
    struct TRowRun {
        std::int64_t First, Last, Across, Down;
    };
    for (int top = 0; top < outHeight; top += kRowsTogether) {
        const int rows = std::min(kRowsTogether, outHeight - top);
        TRowRun runs[kRowsTogether];
        for (int i = 0; i < rows; ++i) {
            const int y = top + i;
            const std::int64_t dy = std::int64_t{y} - cy;
            const std::int64_t dx0 = -std::int64_t{cx};
            TRowRun& run = runs[i];
            run.Across = dx0 * cs - dy * sn;
            run.Down = dx0 * sn + dy * cs;
            const TRun alongX = RunInside(cx, run.Across, cs, width, outWidth);
            const TRun alongY = RunInside(cy, run.Down, sn, height, outWidth);
            run.First = std::max(alongX.First, alongY.First);
            run.Last = std::min(alongX.Last, alongY.Last);
            if (old != nullptr) {
                const TColumns now = run.First < run.Last
                                         ? TColumns{static_cast<int>(run.First), static_cast<int>(run.Last)}
                                         : TColumns{};
                // A row the trace does not know may hold anything: all of it is put back.
                const TColumns before = traced ? trace->Rows[y] : TColumns{0, outWidth};
                PutBackOldDisplay(screen.ScanLine(y), old->ScanLine(y), before, now);
                changed = UnionRect(changed, TRect{before.First, y, before.Last, y + 1});
                changed = UnionRect(changed, TRect{now.First, y, now.Last, y + 1});
                if (trace != nullptr) trace->Rows[y] = now;
            }
        }
        for (std::int64_t from = 0; from < outWidth; from += kStretch) {
            for (int i = 0; i < rows; ++i) {
                const TRowRun& run = runs[i];
                const std::int64_t first = std::max(run.First, from);
                const std::int64_t last = std::min(run.Last, from + kStretch);
                if (first >= last) continue;
                std::uint8_t* target = screen.ScanLine(top + i) + static_cast<std::size_t>(first) * 4;
                std::int64_t across = run.Across + first * cs;
                std::int64_t down = run.Down + first * sn;
                std::int64_t x = first;
#if defined(__SSE2__)
                if (fourAtATime) {
                    const std::int64_t copied = rotateRun(turn, target, last - first, across, down);
                    x += copied;
                    target += copied * 4;
                    across += copied * cs;
                    down += copied * sn;
                }
#endif
                for (; x < last; ++x, across += cs, down += sn, target += 4) {
                    const auto sx = static_cast<std::size_t>(cx + (across >> 16));
                    const auto sy = static_cast<std::size_t>(cy + (down >> 16));
                    std::memcpy(target, source + sy * stride + sx * 4, 4);
                }
            }
        }
    }
    return changed;
}

void SetPivotRunLoop(TPivotRunLoop loop) { pivotRunLoop.store(loop, std::memory_order_relaxed); }

double PivotAngle(int p) {
    return static_cast<double>(static_cast<long double>(100 - p) * std::numbers::pi_v<long double> / 200.0L);
}

}  // namespace pellumo
