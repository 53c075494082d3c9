// The slide path's fine reduction: a 6000 x 4000 photograph to a 1920 x 1280 screen with the
// triangle, Lanczos-3 and Mitchell filters, on one thread. bench/peers.py times the same work
// in Pillow and libvips, also on one thread. The triangle once more on all cores, by the
// wall clock, as the player runs it.
#include <benchmark/benchmark.h>

#include "imaging/resample/resample.h"
#include "photograph.h"

namespace pellumo {
namespace {

void ReduceToScreen(benchmark::State& state, TResampleFilter filter, int threads) {
    TBitmap source = bench::Photograph(6000, 4000);
    TBitmap target;
    for (auto _ : state) {
        ResampleBitmap(1920, 1280, filter, 0, source, target, threads);
        benchmark::DoNotOptimize(target.ScanLine(0));
    }
    state.counters["Mpixel/s"] =
        benchmark::Counter(6000.0 * 4000.0, benchmark::Counter::kIsIterationInvariantRate, benchmark::Counter::kIs1000);
}
BENCHMARK_CAPTURE(ReduceToScreen, Triangle, rfTriangle, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReduceToScreen, Lanczos3, rfLanczos3, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReduceToScreen, Mitchell, rfMitchell, 1)->Unit(benchmark::kMillisecond);

void ReduceToScreenOnAllCores(benchmark::State& state) { ReduceToScreen(state, rfTriangle, 0); }
BENCHMARK(ReduceToScreenOnAllCores)
    ->Name("ReduceToScreenOnAllCores/Triangle")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace pellumo
