#include "authoring/video_timeline.h"

#include <gtest/gtest.h>

#include <vector>

#include "authoring/option_values.h"

namespace pellumo {
namespace {

std::vector<TSlideEntry> Durations(std::initializer_list<std::int32_t> seconds) {
    std::vector<TSlideEntry> slides;
    for (const std::int32_t duration : seconds) {
        TSlideEntry slide;
        slide.Duration = duration;
        slides.push_back(slide);
    }
    return slides;
}

// Slides follow each other at their durations; a resting slide (0, or a negative duration the
// player's timer takes as 0) gets the rest time; one too long for the timer waits its longest.
TEST(VideoTimeline, SlidesFollowAtTheirDurationsAndRestingSlidesGetTheRestTime) {
    const std::vector<TSlideFrames> frames = SlideFrames(Durations({2, 0, 3, -7, 0x7FFFFFFF}), 7, 4);
    ASSERT_EQ(frames.size(), 5u);
    const std::int64_t longest = 0x7FFFFFFF / 1000;
    const TSlideFrames expected[] = {{0, 14, false}, {14, 28, true}, {42, 21, false}, {63, 28, true},
                                     {91, longest * 7, false}};
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].first, expected[i].first) << i;
        EXPECT_EQ(frames[i].count, expected[i].count) << i;
        EXPECT_EQ(frames[i].resting, expected[i].resting) << i;
    }
    EXPECT_EQ(SlideAtFrame(frames, 0), 0u);
    EXPECT_EQ(SlideAtFrame(frames, 13), 0u);
    EXPECT_EQ(SlideAtFrame(frames, 14), 1u);
    EXPECT_EQ(SlideAtFrame(frames, 62), 2u);
    EXPECT_EQ(SlideAtFrame(frames, 91 + longest * 7 - 1), 4u);
}

// Many long slides at the highest rate are refused before any sum overflows.
TEST(VideoTimeline, AVideoBeyondTheFrameLimitIsRefused) {
    std::vector<TSlideEntry> slides = Durations({0x7FFFFFFF});
    EXPECT_NO_THROW(SlideFrames(slides, 120, 1));
    slides.resize(9, slides.front());
    EXPECT_THROW(SlideFrames(slides, 120, 1), EOptionError);
    slides.resize(100000, slides.front());
    EXPECT_THROW(SlideFrames(slides, 120, 1), EOptionError);
}

// The control composes a frame at once and one every 40 ms, 4 further each time: 25 frames
// take a second. A video frame shows the last one begun; the next slide takes over from the
// last one begun before it comes.
TEST(VideoTimeline, TheTransitionRunsAtTheControlsPace) {
    struct TCase {
        std::int64_t frames;
        int fps;
        int at;
        int before;
    };
    const TCase cases[] = {
        {0, 25, 4, 0},    {1, 25, 8, 4},    {12, 25, 52, 48}, {24, 25, 100, 96}, {25, 25, 100, 100},
        {1, 30, 4, 4},    {2, 30, 8, 8},    {3, 30, 12, 12},  {29, 30, 100, 100}, {1, 1, 100, 100},
        {0, 120, 4, 0},   {5, 120, 8, 8},   {6, 120, 8, 8},   {2147483647, 120, 100, 100},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(TransitionProgressAt(c.frames, c.fps), c.at) << c.frames << " at " << c.fps;
        EXPECT_EQ(TransitionProgressBefore(c.frames, c.fps), c.before) << c.frames << " at " << c.fps;
    }
}

}  // namespace
}  // namespace pellumo
