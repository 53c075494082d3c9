#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "video/music_decoder.h"

namespace pellumo {

// The show's music as the player plays it through a video `length` sample frames long: from
// the start, again after a second of silence each time it ends; then faded out over the
// video's last second.
class TMusicTrack {
public:
    // Decodes the music's start; raises EVideoError, saying why, when it holds no sound.
    TMusicTrack(std::string path, std::int64_t length);
    ~TMusicTrack();

    // In sample frames.
    std::int64_t Length() const { return length_; }

    // The track's next samples (interleaved stereo, a whole number of sample frames), silent
    // past its end.
    void Read(std::span<float> samples);

private:
    std::string path_;
    std::int64_t length_;
    std::int64_t position_ = 0;            // sample frames read so far
    std::unique_ptr<TMusicDecoder> play_;  // the play under way; none during the silence
    std::int64_t silenceEnd_ = 0;          // where the next play starts, while none is under way
};

}  // namespace pellumo
