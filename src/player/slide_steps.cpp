#include "player/slide_steps.h"

#include <algorithm>

namespace pellumo {

TSlideStep TickStep(const TShowPosition& position) {
    int index = position.CurrentIndex;
    if (index > position.LastIndex) {
        if (!position.LoopShow) return {std::nullopt, index, false};
        index = 0;
    }
    // A show without slides has nothing at the first index either.
    if (index > position.LastIndex) return {std::nullopt, index, false};
    return {index, index + 1, true};
}

TSlideStep PreviousStep(const TShowPosition& position) {
    const int index = position.CurrentIndex;
    if (index <= 0) return {std::nullopt, index, false};
    return {index - 1, index - 1, false};
}

TSlideStep NextStep(const TShowPosition& position) {
    const int index = position.CurrentIndex;
    if (index >= position.LastIndex) return {std::nullopt, index, false};
    return {index + 1, index + 1, false};
}

TSlideStep PlayStep(const TShowPosition& position) {
    const int index = position.CurrentIndex < position.LastIndex ? position.CurrentIndex + 1 : 0;
    return {std::nullopt, index, true};
}

TSlideStep PauseStep(const TShowPosition& position) { return {std::nullopt, position.CurrentIndex, false}; }

unsigned SlideInterval(std::int32_t duration) {
    constexpr std::int32_t kLongest = 0x7FFFFFFF / 1000;
    return static_cast<unsigned>(std::clamp(duration, 0, kLongest)) * 1000u;
}

}  // namespace pellumo
