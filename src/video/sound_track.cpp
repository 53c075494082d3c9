#include "video/sound_track.h"

#include <algorithm>
#include <span>

namespace pellumo {

TSoundTrack::TSoundTrack(std::unique_ptr<TMusicTrack> music, const char* encoder, bool globalHeader)
    : music_(std::move(music)),
      encoder_(encoder, globalHeader),
      samples_(static_cast<std::size_t>(encoder_.FrameSize()) * kSoundChannels) {}

void TSoundTrack::CodeUntil(std::int64_t end, const TPacketSink& sink) {
    const std::int64_t length = music_->Length();
    end = std::min(end, length);
    const std::int64_t frameSize = encoder_.FrameSize();
    // Only the last frame may be short.
    while (done_ + frameSize <= end || (end == length && done_ < end)) {
        const std::int64_t count = std::min(frameSize, end - done_);
        const std::span<float> samples(samples_.data(), static_cast<std::size_t>(count) * kSoundChannels);
        music_->Read(samples);
        encoder_.Send(samples, sink);
        done_ += count;
    }
}

void TSoundTrack::Finish(const TPacketSink& sink) {
    CodeUntil(music_->Length(), sink);
    encoder_.Finish(sink);
}

}  // namespace pellumo
