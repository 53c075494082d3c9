// One frame of the transition control at full HD, composed and painted (offscreen), against
// the 40 ms a frame may take at the default pace.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/application.h"
#include "platform/form.h"
#include "transition/transition_view.h"

namespace pellumo {
namespace {

void ComposeAndPaint(benchmark::State& state) {
    TForm form;
    form.SetBounds(0, 0, 1920, 1080);
    TTransitionView view(&form);
    view.SetAutoSize(false);
    view.SetBounds(0, 0, 1920, 1080);
    form.Show();
    for (int i = 0; i < 20; ++i) Application->ProcessMessages();
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);  // as slides arrive from the decoder
    picture.SetSize(1920, 1080);
    view.Picture().Assign(picture);
    view.SetStyle(static_cast<TShowStyle>(state.range(0)));
    view.SetManual(true);
    view.StartTransition();
    int progress = 25;
    for (auto _ : state) {
        progress = progress == 25 ? 50 : 25;
        view.SetProgress(progress);  // composes, then paints what changed
    }
    view.StopTransition();
    state.SetLabel(view.StyleName());
}
BENCHMARK(ComposeAndPaint)->Arg(0)->Arg(5)->Arg(56)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pellumo

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    pellumo::TApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
