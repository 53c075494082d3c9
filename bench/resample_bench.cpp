// The slide path's fine reduction: a 6000 x 4000 photograph to a 1920 x 1280 screen with the
// triangle filter. bench/resample_peer.py times the same work in Pillow.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

#include "imaging/formats/resample.h"
#include "raster/bitmap.h"

namespace pellumo {
namespace {

// Smooth gradients and waves with a little noise: the detail of a photograph, without a file.
TBitmap Photograph(int width, int height) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, height);
    std::mt19937 random(42);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const double wave = 40.0 * std::sin(x * 0.013) * std::cos(y * 0.009);
            const int noise = static_cast<int>(random() % 17) - 8;
            const double channels[3] = {255.0 * y / height, 128.0 + wave, 255.0 * x / width};
            for (int c = 0; c < 3; ++c)
                row[x * 3 + c] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(channels[c]) + noise, 0, 255));
        }
    }
    return bitmap;
}

void ReduceToScreenWithTriangle(benchmark::State& state) {
    TBitmap source = Photograph(6000, 4000);
    TBitmap target;
    for (auto _ : state) {
        ResampleBitmap(1920, 1280, rfTriangle, 0, source, target);
        benchmark::DoNotOptimize(target.ScanLine(0));
    }
    state.counters["Mpixel/s"] =
        benchmark::Counter(6000.0 * 4000.0, benchmark::Counter::kIsIterationInvariantRate, benchmark::Counter::kIs1000);
}
BENCHMARK(ReduceToScreenWithTriangle)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void ReduceToScreenWithLanczos(benchmark::State& state) {
    TBitmap source = Photograph(6000, 4000);
    TBitmap target;
    for (auto _ : state) {
        ResampleBitmap(1920, 1280, rfLanczos3, 0, source, target);
        benchmark::DoNotOptimize(target.ScanLine(0));
    }
}
BENCHMARK(ReduceToScreenWithLanczos)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pellumo
