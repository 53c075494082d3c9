#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "video/av_encoding.h"
#include "video/music_track.h"
#include "video/sound_encoder.h"

namespace pellumo {

// The video's sound: the music track coded a frame at a time, only as far as the pictures
// have gone, so that the container interleaves the two closely and little waits in memory.
class TSoundTrack {
public:
    // `globalHeader`: the container keeps the codec's set-up apart from the packets.
    TSoundTrack(std::unique_ptr<TMusicTrack> music, const char* encoder, bool globalHeader);

    const AVCodecContext& Context() const { return encoder_.Context(); }

    // Codes the whole encoder frames that end by sample frame `end`; all that is left once
    // `end` reaches the track's length.
    void CodeUntil(std::int64_t end, const TPacketSink& sink);
    // Codes the rest of the track and drains the encoder.
    void Finish(const TPacketSink& sink);

private:
    std::unique_ptr<TMusicTrack> music_;
    TSoundEncoder encoder_;
    std::int64_t done_ = 0;  // sample frames coded
    std::vector<float> samples_;
};

}  // namespace pellumo
