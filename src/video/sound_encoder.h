#pragma once

#include <cstdint>
#include <span>

#include "video/av_encoding.h"
#include "video/av_handles.h"

namespace pellumo {

// The sound track's rate: what Opus codes natively and AAC codes as well.
inline constexpr int kSoundRate = 48000;
inline constexpr int kSoundChannels = 2;

// The sound track's encoder: stereo samples at kSoundRate in, as interleaved floats (left,
// right) in -1..1, packets out.
class TSoundEncoder {
public:
    // `globalHeader`: the container keeps the codec's set-up apart from the packets.
    TSoundEncoder(const char* encoderName, bool globalHeader);

    const AVCodecContext& Context() const { return *context_; }
    // How many sample frames each Send takes; only the last may take fewer.
    int FrameSize() const { return frameSize_; }

    // Codes the next sample frames of the track (FrameSize() at most).
    void Send(std::span<const float> samples, const TPacketSink& sink);
    void Finish(const TPacketSink& sink);

private:
    TCodecContext context_;
    TFrame frame_;
    int frameSize_ = 0;
    std::int64_t next_ = 0;  // the first sample of the next frame
};

}  // namespace pellumo
