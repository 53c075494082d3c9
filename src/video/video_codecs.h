#pragma once

#include <span>
#include <string>

namespace pellumo {

struct TCodecOption {
    const char* key;
    const char* value;
};

// What a video file holds, chosen by its extension: the container and the encoders that fill
// it, with the settings that give the quality asked for at a speed well above real time.
struct TVideoCodecs {
    const char* extension;  // ".mp4"
    const char* muxer;      // libavformat's name for the container
    std::span<const TCodecOption> muxerOptions;
    const char* videoEncoder;
    std::span<const TCodecOption> videoOptions;
    int worstCrf;  // the constant rate factor of quality 1
    int bestCrf;   // and of quality 100
    const char* audioEncoder;
};

// --quality: 1 (smallest file) to 100 (best picture).
inline constexpr int kMinVideoQuality = 1;
inline constexpr int kMaxVideoQuality = 100;
inline constexpr int kDefaultVideoQuality = 70;

// The codecs of a file named `output` (.mp4 or .webm, in any letter case); raises
// EOptionError for any other name.
const TVideoCodecs& VideoCodecsFor(const std::string& output);

// The encoder's constant rate factor for a quality of 1..100, evenly spread between the
// codecs' worst and best.
int CrfOf(const TVideoCodecs& codecs, int quality);

}  // namespace pellumo
