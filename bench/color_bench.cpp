// The colour manager's common paths, one 4000-pixel row at a time, as the readers call it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <vector>

#include "imaging/color/color_manager.h"

namespace pellumo {
namespace {

constexpr std::uint32_t kRowPixels = 4000;

struct TPath {
    TColorScheme source, target;
    int sourceBits, targetBits;
    int sourceSamples;  // samples a source pixel, to size the row
    int targetBytes;    // bytes a target pixel
    TSampleOptions sourceOptions;
};

void ConvertRow(benchmark::State& state, TPath path) {
    TColorManager manager;
    manager.SetSourceColorScheme(path.source);
    manager.SetTargetColorScheme(path.target);
    manager.SetSourceBitsPerSample(static_cast<std::uint8_t>(path.sourceBits));
    manager.SetTargetBitsPerSample(static_cast<std::uint8_t>(path.targetBits));
    manager.SetSourceOptions(path.sourceOptions);

    std::vector<std::uint8_t> source(std::size_t{kRowPixels} * path.sourceSamples * (path.sourceBits / 8));
    std::mt19937 random(1);
    for (auto& byte : source) byte = static_cast<std::uint8_t>(random());
    std::vector<std::uint8_t> target(std::size_t{kRowPixels} * path.targetBytes);

    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        manager.ConvertRow(source.data(), target.data(), kRowPixels);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    const std::chrono::duration<double, std::nano> elapsed = std::chrono::steady_clock::now() - start;
    state.counters["ns/pixel"] = elapsed.count() / (static_cast<double>(state.iterations()) * kRowPixels);
}

BENCHMARK_CAPTURE(ConvertRow, Indexed8To8, TPath{scIndexed, scIndexed, 8, 8, 1, 1, {}});
BENCHMARK_CAPTURE(ConvertRow, Gray8To8, TPath{scGray, scGray, 8, 8, 1, 1, {}});
BENCHMARK_CAPTURE(ConvertRow, Gray16BigEndianTo8, TPath{scGray, scGray, 16, 8, 1, 1, {soByteSwap}});
BENCHMARK_CAPTURE(ConvertRow, Rgb8ToBgr24, TPath{scRGB, scBGR, 8, 8, 3, 3, {}});
BENCHMARK_CAPTURE(ConvertRow, RgbaToBgra32, TPath{scRGBA, scBGRA, 8, 8, 4, 4, {}});
BENCHMARK_CAPTURE(ConvertRow, Rgb16ToBgr24, TPath{scRGB, scBGR, 16, 8, 3, 3, {soByteSwap}});
BENCHMARK_CAPTURE(ConvertRow, CmykToBgr24, TPath{scCMYK, scBGR, 8, 8, 4, 3, {}});
BENCHMARK_CAPTURE(ConvertRow, LabToBgr24, TPath{scCIELab, scBGR, 8, 8, 3, 3, {soLabOffsetAB}});
BENCHMARK_CAPTURE(ConvertRow, YccToBgr24, TPath{scYCbCr, scBGR, 8, 8, 3, 3, {}});

}  // namespace
}  // namespace pellumo
