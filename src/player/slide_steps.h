#pragma once

#include <cstdint>
#include <optional>

namespace pellumo {

// Where the show stands: the index the next step starts from, the last slide's index (-1 for
// a show without slides), whether the show starts again after the last slide, and the timer.
struct TShowPosition {
    int CurrentIndex = 0;
    int LastIndex = -1;
    bool LoopShow = false;
    bool TimerEnabled = false;
};

// What one step of the show asks of the window: the slide to show, if any (the timer is
// stopped while it is prepared, and set to the slide's duration); then the index and the
// timer once it is on screen. A slide that cannot be shown changes nothing of that: the
// screen keeps what it had and the show moves on as if it had been shown, so a show of broken
// slides is paced by their durations like any other (a duration of 0 rests there). A step
// never shows more than one slide, so nothing loops without the timer.
struct TSlideStep {
    std::optional<int> Show;
    int IndexAfter = 0;
    bool TimerAfter = false;
};

// The timer's tick: the slide at the index, then the index moves on and the timer runs the
// slide's duration; past the last slide the show starts again or stops.
TSlideStep TickStep(const TShowPosition& position);
// Previous and next: the slide before or after the index (none at the ends); either pauses.
TSlideStep PreviousStep(const TShowPosition& position);
TSlideStep NextStep(const TShowPosition& position);
// Play: the index moves on by one (to the first slide after the last) and the timer runs,
// keeping its phase when it already did; nothing is shown before the next tick.
TSlideStep PlayStep(const TShowPosition& position);
// Pause: the timer stops.
TSlideStep PauseStep(const TShowPosition& position);

// The timer's interval for a slide of the stored duration (seconds), in milliseconds: 0 rests
// on the slide, since the timer then never fires; a duration too long for the timer waits as
// long as the timer can.
unsigned SlideInterval(std::int32_t duration);

}  // namespace pellumo
