// The rules of stepping through a show, apart from any window.
#include "player/slide_steps.h"

#include <gtest/gtest.h>

namespace pellumo {
namespace {

constexpr std::nullopt_t kNone = std::nullopt;

struct TStepCase {
    const char* what;
    TSlideStep (*step)(const TShowPosition&);
    TShowPosition from;
    std::optional<int> show;
    int indexAfter;
    bool timerAfter;
};

// Positions are (CurrentIndex, LastIndex, LoopShow, TimerEnabled); a show of three slides has
// LastIndex 2.
const TStepCase kCases[] = {
    {"tick shows the slide at the index and moves on", TickStep, {0, 2, false, true}, 0, 1, true},
    {"tick shows the last slide", TickStep, {2, 2, false, true}, 2, 3, true},
    {"tick past the end stops a show that does not loop", TickStep, {3, 2, false, true}, kNone, 3, false},
    {"tick past the end starts a looping show again", TickStep, {3, 2, true, true}, 0, 1, true},
    {"tick of a single looping slide shows it again", TickStep, {1, 0, true, true}, 0, 1, true},
    {"tick of a show without slides stops", TickStep, {0, -1, false, true}, kNone, 0, false},
    {"tick of a looping show without slides stops", TickStep, {0, -1, true, true}, kNone, 0, false},

    {"previous shows the slide before and pauses", PreviousStep, {2, 2, false, true}, 1, 1, false},
    {"previous after the last tick shows the last slide again", PreviousStep, {3, 2, false, false}, 2, 2, false},
    {"previous on the first slide only pauses", PreviousStep, {0, 2, true, true}, kNone, 0, false},

    {"next shows the slide after and pauses", NextStep, {1, 2, false, true}, 2, 2, false},
    {"next on the last slide only pauses", NextStep, {2, 2, false, true}, kNone, 2, false},
    {"next after the last tick only pauses", NextStep, {3, 2, true, true}, kNone, 3, false},
    {"next in a show without slides does nothing", NextStep, {0, -1, false, false}, kNone, 0, false},

    {"play passes over one slide and runs", PlayStep, {1, 2, false, false}, kNone, 2, true},
    {"play while running still passes over one", PlayStep, {1, 2, false, true}, kNone, 2, true},
    {"play after the last slide starts at the first, looping or not", PlayStep, {3, 2, false, false}, kNone, 0, true},
    {"play on the last slide starts at the first", PlayStep, {2, 2, false, false}, kNone, 0, true},

    {"pause stops the timer and keeps the index", PauseStep, {2, 2, false, true}, kNone, 2, false},
};

TEST(SlideSteps, EachStepMovesTheIndexAndTheTimerAsTheShowExpects) {
    for (const TStepCase& c : kCases) {
        const TSlideStep step = c.step(c.from);
        EXPECT_EQ(step.Show, c.show) << c.what;
        EXPECT_EQ(step.IndexAfter, c.indexAfter) << c.what;
        EXPECT_EQ(step.TimerAfter, c.timerAfter) << c.what;
    }
}

// Ticks carried out one after another over a whole show, as the window does.
TEST(SlideSteps, ASequenceOfTicksPlaysTheShowOnceOrForever) {
    for (const bool loop : {false, true}) {
        TShowPosition position{0, 2, loop, true};
        std::vector<int> shown;
        for (int tick = 0; tick < 7 && position.TimerEnabled; ++tick) {
            const TSlideStep step = TickStep(position);
            if (step.Show) shown.push_back(*step.Show);
            position.CurrentIndex = step.IndexAfter;
            position.TimerEnabled = step.TimerAfter;
        }
        EXPECT_EQ(shown, loop ? (std::vector<int>{0, 1, 2, 0, 1, 2, 0}) : (std::vector<int>{0, 1, 2})) << loop;
    }
}

}  // namespace
}  // namespace pellumo
