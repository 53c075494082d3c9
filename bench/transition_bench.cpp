// Composing frames of every style at full HD, beside a plain full-frame copy (the least a frame
// costs: every frame starts by copying the old display).
#include <benchmark/benchmark.h>

#include "raster/bitmap.h"
#include "transition/render_frame.h"
#include "transition/style_names.h"

namespace pellumo {
namespace {

TBitmap Picture(int width, int height, std::uint8_t seed) {
    TBitmap bitmap;
    bitmap.SetSize(width, height);  // device format, as the control's bitmaps are
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (std::size_t i = 0; i < bitmap.RowBytes(); ++i) row[i] = static_cast<std::uint8_t>(i * 7 + y + seed);
    }
    return bitmap;
}

void ComposeFrame(benchmark::State& state) {
    const auto style = static_cast<TShowStyle>(state.range(0));
    const int progress = static_cast<int>(state.range(1));
    TBitmap picture = Picture(1920, 1080, 1), old = Picture(1920, 1080, 2), screen = Picture(1920, 1080, 3);
    for (auto _ : state) {
        RenderFrame(TFrame{picture, old, screen, style, 4, progress, {}, {}, {}, {}});
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::string(StyleNameOf(style)));
}
BENCHMARK(ComposeFrame)->ArgsProduct({benchmark::CreateDenseRange(0, 127, 1), {25, 50, 75}})->Unit(benchmark::kMicrosecond);

void FullFrameCopy(benchmark::State& state) {
    TBitmap picture = Picture(1920, 1080, 1), screen = Picture(1920, 1080, 3);
    for (auto _ : state) {
        screen.Canvas().Draw(0, 0, picture);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(FullFrameCopy)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pellumo
