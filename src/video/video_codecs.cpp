#include "video/video_codecs.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "authoring/option_values.h"
#include "base/format.h"
#include "video/video_messages.h"

namespace pellumo {
namespace {

// The index at the front lets a phone or a browser start playing before the whole file is in.
constexpr TCodecOption kMp4Muxer[] = {{"movflags", "+faststart"}};
// x264's "veryfast" keeps a 1080p export several times faster than real time on two cores;
// a show's pictures stand still most of the time, where slower presets gain little.
constexpr TCodecOption kX264[] = {{"preset", "veryfast"}};
// libvpx's "good" deadline codes a show about five times slower than its "realtime" one at
// speed 6, for the same picture (the same PSNR) in a file a third smaller: far below real time
// on two cores. Rows in parallel.
constexpr TCodecOption kVp9[] = {{"deadline", "realtime"}, {"cpu-used", "6"}, {"row-mt", "1"}};

constexpr TVideoCodecs kCodecs[] = {
    {".mp4", "mp4", kMp4Muxer, "libx264", kX264, 51, 10, "aac"},
    {".webm", "webm", {}, "libvpx-vp9", kVp9, 63, 10, "libopus"},
};

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

}  // namespace

const TVideoCodecs& VideoCodecsFor(const std::string& output) {
    const std::string extension = Lowered(std::filesystem::path(output).extension().string());
    for (const TVideoCodecs& codecs : kCodecs)
        if (extension == codecs.extension) return codecs;
    throw EOptionError(Format(video_messages::kUnknownContainer, {output}));
}

int CrfOf(const TVideoCodecs& codecs, int quality) {
    const int steps = kMaxVideoQuality - kMinVideoQuality;
    const int above = std::clamp(quality, kMinVideoQuality, kMaxVideoQuality) - kMinVideoQuality;
    return codecs.worstCrf - ((codecs.worstCrf - codecs.bestCrf) * above + steps / 2) / steps;
}

}  // namespace pellumo
