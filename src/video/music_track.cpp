#include "video/music_track.h"

#include <algorithm>

#include "video/av_failure.h"
#include "video/sound_encoder.h"

namespace pellumo {

TMusicTrack::TMusicTrack(std::string path, std::int64_t length)
    : path_(std::move(path)), length_(length), play_(std::make_unique<TMusicDecoder>(path_)) {}

TMusicTrack::~TMusicTrack() = default;

void TMusicTrack::Read(std::span<float> samples) {
    const std::int64_t start = position_;
    std::size_t filled = 0;
    while (filled + kSoundChannels <= samples.size()) {
        const std::span<float> rest = samples.subspan(filled);
        const auto restFrames = static_cast<std::int64_t>(rest.size() / kSoundChannels);
        if (!play_ && position_ >= silenceEnd_ && position_ < length_) {
            try {
                play_ = std::make_unique<TMusicDecoder>(path_);
            } catch (const EVideoError&) {
                silenceEnd_ = length_;  // the file is gone or damaged since: silence to the end
            }
        }
        std::int64_t frames = 0;
        if (play_) {
            frames = static_cast<std::int64_t>(play_->Read(rest));
            if (frames == 0) {
                play_.reset();
                silenceEnd_ = position_ + kSoundRate;  // the player waits a second between plays
                continue;
            }
        } else {
            frames = position_ < silenceEnd_ ? std::min(silenceEnd_ - position_, restFrames) : restFrames;
            std::fill_n(rest.begin(), frames * kSoundChannels, 0.0f);
        }
        filled += static_cast<std::size_t>(frames) * kSoundChannels;
        position_ += frames;
    }
    // The last second fades to silence, sample by sample.
    for (std::size_t i = 0; i < filled; i += kSoundChannels) {
        const std::int64_t left = length_ - (start + static_cast<std::int64_t>(i / kSoundChannels));
        if (left >= kSoundRate) continue;
        const float gain = std::max<float>(0.0f, static_cast<float>(left) / kSoundRate);
        samples[i] *= gain;
        samples[i + 1] *= gain;
    }
}

}  // namespace pellumo
