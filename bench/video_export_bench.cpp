// A show of ten slides filmed as `pellumo-pack video` films it, at 1920 x 1080 and 30 frames a
// second: the demo photographs, some captioned, a different transition into each, 5 s a slide,
// and music. The show is read beforehand; the time is the export's, by the wall clock, beside
// the CPU time of all its threads.
//   video_export_bench FOLDER   writes FOLDER/show.toml, its music and FOLDER/show.mp4, then
//                               prints {"frames": N, "seconds": S, "cpu_seconds": C, "fps": F}
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>

#include "authoring/show_video.h"
#include "imaging/formats/format_registry.h"
#include "video/video_codecs.h"
#include "video/video_export.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

constexpr int kSlides = 10;
const char* const kPhotos[] = {"autumn.jpg", "by-the-water.jpg", "colorful-cups.jpg", "fallen-leaf.jpg"};
const char* const kStyles[] = {"Fade", "Circular reveal from centre", "Reveal from left", "Random squares appear"};

void Put(std::ofstream& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>(value >> (8 * i)));
}

// 20 s of a 440 Hz tone as 16-bit mono PCM at 44.1 kHz: the music is decoded, resampled and
// looped as any would be.
void WriteMusic(const fs::path& file) {
    constexpr std::uint32_t kRate = 44100;
    constexpr std::uint32_t kSamples = 20 * kRate;
    std::ofstream out(file, std::ios::binary);
    out << "RIFF";
    Put(out, 36 + kSamples * 2, 4);
    out << "WAVEfmt ";
    // PCM, mono, the rate, the bytes a second, the bytes a sample, 16 bits.
    for (const auto& [value, bytes] : {std::pair{16u, 4}, {1u, 2}, {1u, 2}, {kRate, 4}, {kRate * 2, 4}, {2u, 2}, {16u, 2}})
        Put(out, value, bytes);
    out << "data";
    Put(out, kSamples * 2, 4);
    for (std::uint32_t i = 0; i < kSamples; ++i) {
        const double tone = std::sin(2.0 * std::numbers::pi * 440.0 * i / kRate);
        Put(out, static_cast<std::uint16_t>(std::lround(8000.0 * tone)), 2);
    }
}

void WriteManifest(const fs::path& file, const fs::path& music) {
    std::ofstream out(file);
    out << "music = \"" << music.string() << "\"\n\n[defaults]\nduration = 5\nframe_color = \"#C8C8C8\"\n";
    for (int slide = 0; slide < kSlides; ++slide) {
        out << "\n[[slides]]\npicture = \"" << (fs::path(PELLUMO_DEMO) / kPhotos[slide % 4]).string() << "\"\n";
        out << "style = \"" << kStyles[slide % 4] << "\"\n";
        if (slide % 2 == 0) out << "caption = \"Diapositive " << slide + 1 << "\"\n";
    }
}

double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace
}  // namespace pellumo

int main(int argc, char** argv) {
    using namespace pellumo;
    if (argc != 2) {
        std::fprintf(stderr, "usage: video_export_bench FOLDER\n");
        return 2;
    }
    const TImageFormatsGuard imageFormats;
    const fs::path folder = argv[1];
    fs::create_directories(folder);
    WriteMusic(folder / "music.wav");
    WriteManifest(folder / "show.toml", folder / "music.wav");
    const TVideoShow show = LoadVideoShow((folder / "show.toml").string());
    const fs::path output = folder / "show.mp4";
    fs::remove(output);

    const double cpuBefore = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    const TVideoExport video = ExportVideo(show, TVideoFormat{}, kDefaultVideoQuality, output.string());
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    const double cpu = CpuSeconds() - cpuBefore;
    std::printf("{\"frames\": %lld, \"seconds\": %.3f, \"cpu_seconds\": %.3f, \"fps\": %.2f, \"bytes\": %lld}\n",
                static_cast<long long>(video.frames), wall.count(), cpu, static_cast<double>(video.frames) / wall.count(),
                static_cast<long long>(video.bytes));
    return 0;
}
