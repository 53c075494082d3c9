// Frames of the transition control composed and painted (offscreen), beside the same frames
// composed by a control that is not shown (nothing to paint) and a plain full-frame copy: what
// painting adds to composing, against what a frame may cost at the default pace (40 ms).
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "base/large_buffers.h"
#include "platform/application.h"
#include "platform/form.h"
#include "transition/transition_view.h"

namespace pellumo {
namespace {

int WidthOf(int height) { return height * 16 / 9; }

// Frames alternate between two progresses, as a transition's frames follow one another.
// `firstFrames`: each frame is the first of a transition started afresh outside the time
// measured, the one frame that draws in a Swap and the pivot's that rewrites the whole screen.
void RunFrames(benchmark::State& state, bool shown, bool firstFrames = false) {
    const int height = static_cast<int>(state.range(1));
    const int width = WidthOf(height);
    TForm form;
    form.SetBounds(0, 0, width, height);
    TTransitionView view(&form);
    view.SetAutoSize(false);
    view.SetBounds(0, 0, width, height);
    if (shown) form.Show();
    for (int i = 0; i < 20; ++i) Application->ProcessMessages();
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);  // as slides arrive from the decoder
    picture.SetSize(width, height);
    view.Picture().Assign(picture);
    view.SetStyle(static_cast<TShowStyle>(state.range(0)));
    view.SetManual(true);
    view.StartTransition();
    int progress = 25;
    double compose = 0, paint = 0;
    for (auto _ : state) {
        if (firstFrames) {
            state.PauseTiming();
            view.StopTransition();
            view.StartTransition();
            state.ResumeTiming();
        }
        progress = progress == 25 ? 50 : 25;
        view.SetProgress(progress);  // composes, then paints what changed
        compose += view.LastFrameTimes().composeMs;
        paint += view.LastFrameTimes().paintMs;
    }
    state.counters["compose"] = benchmark::Counter(compose, benchmark::Counter::kAvgIterations);
    state.counters["paint"] = benchmark::Counter(paint, benchmark::Counter::kAvgIterations);
    view.StopTransition();
    state.SetLabel(view.StyleName());
}

void ComposeAndPaint(benchmark::State& state) { RunFrames(state, true); }
void ComposeOnly(benchmark::State& state) { RunFrames(state, false); }
void FirstComposeAndPaint(benchmark::State& state) { RunFrames(state, true, true); }
void FirstComposeOnly(benchmark::State& state) { RunFrames(state, false, true); }

void FullFrameCopy(benchmark::State& state) {
    const int height = static_cast<int>(state.range(0));
    TBitmap source, target;
    for (TBitmap* bitmap : {&source, &target}) {
        bitmap->SetPixelFormat(pfDevice);
        bitmap->SetSize(WidthOf(height), height);
    }
    target.Canvas().Draw(0, 0, source);  // warm, as the frames are
    for (auto _ : state) {
        target.Canvas().Draw(0, 0, source);
        benchmark::ClobberMemory();
    }
}

const std::vector<std::int64_t> kStyles{0, 5, 56, 118, 119};
BENCHMARK(ComposeAndPaint)
    ->ArgNames({"style", "height"})
    ->ArgsProduct({kStyles, {1080, 2160}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(ComposeOnly)->ArgNames({"style", "height"})->ArgsProduct({kStyles, {1080, 2160}})->Unit(benchmark::kMillisecond);
BENCHMARK(FirstComposeAndPaint)
    ->ArgNames({"style", "height"})
    ->ArgsProduct({kStyles, {1080, 2160}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(FirstComposeOnly)
    ->ArgNames({"style", "height"})
    ->ArgsProduct({kStyles, {1080, 2160}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(FullFrameCopy)->ArgName("height")->Arg(1080)->Arg(2160)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pellumo

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    pellumo::KeepLargeBuffersForReuse();  // as the player runs
    pellumo::TApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
