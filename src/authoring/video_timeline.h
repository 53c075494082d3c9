#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "player/catalogue.h"

namespace pellumo {

// Where one slide lies in a video: its first frame and how many frames it has.
struct TSlideFrames {
    std::int64_t first = 0;
    std::int64_t count = 0;
    bool resting = false;  // duration 0: the player would rest there; the video shows restSeconds
};

// No video has more frames: over two years at 30 frames a second, and every frame number fits
// the 32 bits that encoders count in.
constexpr std::int64_t kMaxVideoFrames = 0x7FFFFFFF;

// The frames of each slide in one pass through the show. A slide's time counts from the start
// of its transition, as the player's timer does (the timer restarts once the slide is shown,
// its transition just begun), so the video lasts exactly the sum of the slides' durations, each
// as long as the player's timer can wait. Raises EOptionError when that is beyond
// kMaxVideoFrames.
std::vector<TSlideFrames> SlideFrames(const std::vector<TSlideEntry>& slides, int framesPerSecond, int restSeconds);

// The slide whose frames hold `frame` (`slides` not empty, frame within them).
std::size_t SlideAtFrame(const std::vector<TSlideFrames>& slides, std::int64_t frame);

// The control's pace in video frames: it composes its first frame at once, then one every
// Delay milliseconds, each Step further, up to 100. The progress on screen `frames` video
// frames after the transition started: its last frame begun by then.
int TransitionProgressAt(std::int64_t frames, int framesPerSecond);
// The progress it had reached when the next slide came `frames` video frames after the start:
// its last frame begun before then.
int TransitionProgressBefore(std::int64_t frames, int framesPerSecond);

}  // namespace pellumo
