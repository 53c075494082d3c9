#include "player/slide_steps.h"

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

}  // namespace pellumo
