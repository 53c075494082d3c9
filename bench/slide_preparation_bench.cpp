// Preparing a 24-megapixel JPEG slide for a 1920 x 1080 window: the decode, then the plain or
// the fine reduction, beside djpeg decoding the same file (its process start is in its time,
// about a millisecond of a hundred). bench/install-peers installs djpeg.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/large_buffers.h"
#include "base/memory_stream.h"
#include "photograph.h"
#include "player/fit_to_window.h"
#include "raster/jpeg_image.h"

extern char** environ;

namespace pellumo {
namespace {

constexpr int kWindowWidth = 1920;
constexpr int kPictureArea = 1080 - 30;  // above the caption line

// The slide, written once per run: a 6000 x 4000 photograph at quality 90.
const std::string& SlideFile() {
    static const std::string path = [] {
        const TBitmap photograph = bench::Photograph(6000, 4000);
        TJPEGImage jpeg;
        jpeg.Assign(photograph);
        const std::string file = (std::filesystem::temp_directory_path() / "pellumo-bench-slide.jpg").string();
        TMemoryStream bytes;
        jpeg.SaveToStream(bytes);
        bytes.SaveToFile(file);
        return file;
    }();
    return path;
}

// What the player does for a slide: the file's bytes into memory, decoded into the work bitmap.
void LoadSlide(TBitmap& work) {
    TMemoryStream data;
    data.LoadFromFile(SlideFile());
    TJPEGImage jpeg;
    jpeg.LoadFromStream(data);
    work.Assign(jpeg);
}

void DecodeSlide(benchmark::State& state) {
    TBitmap work;
    for (auto _ : state) {
        LoadSlide(work);
        benchmark::DoNotOptimize(work.ScanLine(0));
    }
}
BENCHMARK(DecodeSlide)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime()->MeasureProcessCPUTime();

void PrepareSlidePlain(benchmark::State& state) {
    TBitmap work;
    for (auto _ : state) {
        LoadSlide(work);
        FitToWindow(work, kWindowWidth, kPictureArea, false);
        benchmark::DoNotOptimize(work.ScanLine(0));
    }
}
BENCHMARK(PrepareSlidePlain)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime()->MeasureProcessCPUTime();

void PrepareSlideFine(benchmark::State& state) {
    TBitmap work;
    for (auto _ : state) {
        LoadSlide(work);
        FitToWindow(work, kWindowWidth, kPictureArea, true);
        benchmark::DoNotOptimize(work.ScanLine(0));
    }
}
BENCHMARK(PrepareSlideFine)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime()->MeasureProcessCPUTime();

// The peer: `djpeg -outfile /dev/null SLIDE`, the library's own decoder at its defaults (the
// same accurate integer transform and smooth chroma upsampling as the player's decode). Its
// time is the child's CPU time (its process start included, about a millisecond of a
// hundred), comparable with the CPU time of the other cases on a busy machine.
void PeerDjpeg(benchmark::State& state) {
    const std::string& file = SlideFile();
    std::string program = "djpeg", outfileFlag = "-outfile", devNull = "/dev/null", input = file;
    char* argv[] = {program.data(), outfileFlag.data(), devNull.data(), input.data(), nullptr};
    for (auto _ : state) {
        pid_t child = 0;
        int status = 0;
        rusage usage{};
        if (::posix_spawnp(&child, "djpeg", nullptr, nullptr, argv, environ) != 0 ||
            ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("djpeg is missing or failed (bench/install-peers installs it)");
            return;
        }
        const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
        state.SetIterationTime(seconds(usage.ru_utime) + seconds(usage.ru_stime));
    }
}
BENCHMARK(PeerDjpeg)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseManualTime();

}  // namespace
}  // namespace pellumo

// As the player runs: with --fresh-buffers, as a program that gives every buffer back.
int main(int argc, char** argv) {
    bool fresh = false;
    for (int i = 1; i < argc; ++i) fresh = fresh || std::string(argv[i]) == "--fresh-buffers";
    if (!fresh) pellumo::KeepLargeBuffersForReuse();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
