// Composing frames of every style at full HD and 4K, beside a plain full-frame copy (the least
// a frame costs: every frame starts by copying the old display).
#include <benchmark/benchmark.h>

#include <map>

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

// The new picture, the old display and the screen of a 16:9 frame `height` rows high, made
// once per size: 768 cases would otherwise spend more time filling pictures than composing.
struct TFrameBitmaps {
    TBitmap picture, old, screen;
};
TFrameBitmaps& FrameBitmaps(int height) {
    static std::map<int, TFrameBitmaps> sizes;
    auto found = sizes.find(height);
    if (found == sizes.end()) {
        const int width = height * 16 / 9;
        found = sizes.emplace(height, TFrameBitmaps{Picture(width, height, 1), Picture(width, height, 2),
                                                    Picture(width, height, 3)}).first;
    }
    return found->second;
}

void ComposeFrame(benchmark::State& state) {
    const auto style = static_cast<TShowStyle>(state.range(0));
    const int progress = static_cast<int>(state.range(1));
    TFrameBitmaps& bitmaps = FrameBitmaps(static_cast<int>(state.range(2)));
    const TFrame frame{bitmaps.picture, bitmaps.old, bitmaps.screen, style, 4, progress, {}, {}, {}, {}};
    // One frame untimed first: the runs are short, and a running transition's frames are warm.
    RenderFrame(frame);
    for (auto _ : state) {
        RenderFrame(frame);
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::string(StyleNameOf(style)));
}
BENCHMARK(ComposeFrame)
    ->ArgNames({"style", "p", "height"})
    ->ArgsProduct({benchmark::CreateDenseRange(0, 127, 1), {25, 50, 75}, {1080, 2160}})
    ->Unit(benchmark::kMicrosecond);

void FullFrameCopy(benchmark::State& state) {
    TFrameBitmaps& bitmaps = FrameBitmaps(static_cast<int>(state.range(0)));
    bitmaps.screen.Canvas().Draw(0, 0, bitmaps.picture);  // warm, as the frames are
    for (auto _ : state) {
        bitmaps.screen.Canvas().Draw(0, 0, bitmaps.picture);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(FullFrameCopy)->ArgName("height")->Arg(1080)->Arg(2160)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pellumo
