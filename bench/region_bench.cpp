// Building a criss-cross region at full HD and drawing a picture through it, beside a plain
// full-frame copy (the limit a clipped draw can reach).
#include <benchmark/benchmark.h>

#include "raster/bitmap.h"
#include "raster/canvas.h"
#include "raster/region.h"

namespace pellumo {
namespace {

constexpr int kWidth = 1920, kHeight = 1080;

// Row bars growing from the right and column bars growing from the bottom, 5 pixels thick
// every 10, each band united in turn: the shape of a criss-cross frame a quarter of the way in.
TRegion CrissCross(int rowLength, int columnLength) {
    TRegion region;
    for (int y = 0; y < kHeight + 5; y += 10)
        CombineRgn(region, region, CreateRectRgn(kWidth - rowLength, y, kWidth, y + 5), RGN_OR);
    for (int x = 0; x < kWidth + 5; x += 10)
        CombineRgn(region, region, CreateRectRgn(x, kHeight - columnLength, x + 5, kHeight), RGN_OR);
    return region;
}

TBitmap Picture(std::uint8_t seed) {
    TBitmap bitmap;
    bitmap.SetSize(kWidth, kHeight);  // pfDevice: 32 bits, as the transition bitmaps are
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (std::size_t i = 0; i < bitmap.RowBytes(); ++i) row[i] = static_cast<std::uint8_t>(i * 7 + y + seed);
    }
    return bitmap;
}

void BuildCrissCrossRegion(benchmark::State& state) {
    std::size_t rects = 0;
    for (auto _ : state) {
        TRegion region = CrissCross(kWidth / 2, kHeight / 2);
        rects = region.RectCount();  // reading the region merges the bands
        benchmark::DoNotOptimize(rects);
    }
    state.counters["rects"] = static_cast<double>(rects);
}
BENCHMARK(BuildCrissCrossRegion)->Unit(benchmark::kMicrosecond);

void DrawThroughCrissCrossRegion(benchmark::State& state) {
    TBitmap screen = Picture(1);
    const TBitmap picture = Picture(2);
    const TRegion region = CrissCross(kWidth / 2, kHeight / 2);
    for (auto _ : state) {
        SelectClipRgn(screen.Canvas(), &region);
        screen.Canvas().Draw(0, 0, picture);
        SelectClipRgn(screen.Canvas(), nullptr);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(DrawThroughCrissCrossRegion)->Unit(benchmark::kMicrosecond);

void PlainFullFrameCopy(benchmark::State& state) {
    TBitmap screen = Picture(1);
    const TBitmap picture = Picture(2);
    for (auto _ : state) {
        screen.Canvas().Draw(0, 0, picture);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(PlainFullFrameCopy)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace pellumo
