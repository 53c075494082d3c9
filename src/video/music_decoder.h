#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "video/av_handles.h"

namespace pellumo {

// One play of a music file, from its start to its end, decoded and resampled to the sound
// track's stereo (see sound_encoder.h). The file is not trusted: only audio containers are
// opened and only as files, damaged packets are skipped, and memory stays bounded whatever
// rate, channel count or frame size the file claims.
class TMusicDecoder {
public:
    // Opens the file and decodes its first sound. Raises EVideoError, saying why in a few
    // words without the file's name, when it holds no sound that decodes.
    explicit TMusicDecoder(const std::string& path);

    // The next sample frames, samples.size() / 2 at most; 0 once the music has ended.
    std::size_t Read(std::span<float> samples);

private:
    // Decodes until some sound is pending; false at the end of the music.
    bool Decode();
    // Takes one decoded frame; false when it cannot be resampled.
    bool Resample(const AVFrame& frame);
    // Pends the sound the resampler still holds, then forgets it.
    void FlushResampler();

    TInputFormat input_;
    TCodecContext decoder_;
    TSwrContext resampler_;
    TChannelLayout resampledLayout_;  // what resampler_ takes
    int resampledRate_ = 0;
    int resampledFormat_ = -1;
    TPacket packet_;
    TFrame frame_;
    int stream_ = -1;
    bool inputEnded_ = false;  // the decoder was told so
    bool decoderEnded_ = false;
    std::vector<float> pending_;  // interleaved stereo, from taken_ on
    std::size_t taken_ = 0;
};

}  // namespace pellumo
