#include "authoring/video_timeline.h"

#include <algorithm>
#include <string>

#include "authoring/option_values.h"
#include "base/format.h"
#include "player/slide_steps.h"
#include "transition/transition_frames.h"

namespace pellumo {
namespace {

// The progress after the control has begun `count` frames (a step is at least 1).
int ProgressAfter(std::int64_t count) {
    return static_cast<int>(std::min<std::int64_t>(std::min<std::int64_t>(count, 100) * kDefaultTransitionStep, 100));
}

}  // namespace

std::vector<TSlideFrames> SlideFrames(const std::vector<TSlideEntry>& slides, int framesPerSecond, int restSeconds) {
    std::vector<TSlideFrames> frames;
    frames.reserve(slides.size());
    std::int64_t first = 0;
    for (const TSlideEntry& slide : slides) {
        const std::int64_t milliseconds = SlideInterval(slide.Duration);
        const bool resting = milliseconds == 0;
        const std::int64_t count = (resting ? restSeconds : milliseconds / 1000) * std::int64_t{framesPerSecond};
        // Each count is below 2^39, so the sum is checked before it could overflow.
        if (count > kMaxVideoFrames - first)
            throw EOptionError(Format("vidéo trop longue : plus de %s images (%s s à %s images par seconde)",
                                      {std::to_string(kMaxVideoFrames),
                                       std::to_string(kMaxVideoFrames / framesPerSecond),
                                       std::to_string(framesPerSecond)}));
        frames.push_back({first, count, resting});
        first += count;
    }
    return frames;
}

std::size_t SlideAtFrame(const std::vector<TSlideFrames>& slides, std::int64_t frame) {
    const auto after = std::upper_bound(slides.begin(), slides.end(), frame,
                                        [](std::int64_t f, const TSlideFrames& slide) { return f < slide.first; });
    return static_cast<std::size_t>(std::max<std::ptrdiff_t>(after - slides.begin() - 1, 0));
}

int TransitionProgressAt(std::int64_t frames, int framesPerSecond) {
    // Frame m of the control begins at m × Delay ms; video frame j shows at j × 1000 / fps ms.
    return ProgressAfter(frames * 1000 / (std::int64_t{framesPerSecond} * kDefaultTransitionDelay) + 1);
}

int TransitionProgressBefore(std::int64_t frames, int framesPerSecond) {
    const std::int64_t period = std::int64_t{framesPerSecond} * kDefaultTransitionDelay;
    return ProgressAfter((frames * 1000 + period - 1) / period);
}

}  // namespace pellumo
