// The slide path's fine reduction: a 6000 x 4000 photograph to a 1920 x 1280 screen with the
// triangle filter. bench/resample_peer.py times the same work in Pillow.
#include <benchmark/benchmark.h>

#include "imaging/formats/resample.h"
#include "photograph.h"

namespace pellumo {
namespace {

using bench::Photograph;

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
