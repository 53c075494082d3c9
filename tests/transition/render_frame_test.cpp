#include "transition/render_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "raster/bitmap.h"
#include "transition/frame_quantities.h"
#include "transition/random.h"
#include "transition/style_names.h"

namespace pellumo {
namespace {

TBitmap Filled(int width, int height, std::uint8_t value) {
    TBitmap bitmap;
    bitmap.SetSize(width, height);  // device format, 32 bits
    for (int y = 0; y < height; ++y)
        for (std::size_t i = 0; i < bitmap.RowBytes(); ++i) bitmap.ScanLine(y)[i] = value;
    return bitmap;
}

// How many pixels of the screen show the new picture (value 200) rather than the old (50).
int NewPixels(const TBitmap& screen) {
    int count = 0;
    for (int y = 0; y < screen.Height(); ++y)
        for (int x = 0; x < screen.Width(); ++x) count += screen.ScanLine(y)[x * 4] == 200;
    return count;
}

struct Recorder {
    std::vector<std::string> events;
    std::vector<TRect> invalidated;
};

TFrame MakeFrame(TBitmap& picture, TBitmap& old, TBitmap& screen, TShowStyle style, int progress, Recorder& r) {
    TFrame frame{picture, old, screen, style, 4, progress, {}, {}, {}, {}};
    frame.OnBeforeNewFrame = [&r](TBitmap&, TBitmap& s) {
        r.events.push_back("before:" + std::to_string(NewPixels(s)));
    };
    frame.OnCustomDraw = [&r](TBitmap&, TBitmap&) { r.events.push_back("custom"); };
    frame.OnAfterNewFrame = [&r](TBitmap&, TBitmap& s) { r.events.push_back("after:" + std::to_string(NewPixels(s))); };
    frame.InvalidateScreenRect = [&r](const TRect& rect) { r.invalidated.push_back(rect); };
    return frame;
}

TEST(RenderFrame, TheEndsShowOneOfTheTwoPicturesForEveryStyle) {
    TBitmap picture = Filled(40, 30, 200), old = Filled(40, 30, 50), screen = Filled(40, 30, 0);
    for (int style = 0; style < 128; ++style) {
        for (int progress : {0, 100}) {
            Recorder r;
            RenderFrame(MakeFrame(picture, old, screen, static_cast<TShowStyle>(style), progress, r));
            EXPECT_EQ(NewPixels(screen), progress == 100 ? 1200 : 0) << "style " << style << " p " << progress;
            ASSERT_EQ(r.invalidated.size(), 1u);
            EXPECT_EQ(r.invalidated[0], Rect(0, 0, 40, 30));
            // The old display is down before the first event; no custom drawing at the ends.
            ASSERT_EQ(r.events.size(), 2u);
            EXPECT_EQ(r.events[0], "before:0");
        }
    }
}

TEST(RenderFrame, StyleZeroShowsTheWholeNewPictureFromTheFirstFrame) {
    TBitmap picture = Filled(40, 30, 200), old = Filled(40, 30, 50), screen = Filled(40, 30, 0);
    Recorder r;
    RenderFrame(MakeFrame(picture, old, screen, 0, 4, r));
    EXPECT_EQ(r.events, (std::vector<std::string>{"before:0", "custom", "after:1200"}));
    EXPECT_EQ(r.invalidated, std::vector<TRect>{Rect(0, 0, 40, 30)});
}

TEST(RenderFrame, EveryFrameStartsAgainFromTheOldDisplay) {
    TBitmap picture = Filled(10, 10, 200), old = Filled(10, 10, 50), screen = Filled(10, 10, 0);
    Recorder r;
    RenderFrame(MakeFrame(picture, old, screen, 0, 100, r));
    RenderFrame(MakeFrame(picture, old, screen, 5, 0, r));
    EXPECT_EQ(NewPixels(screen), 0);
}

TEST(RenderFrame, EveryStyleGivesTheSameFrameWhetherOrNotAHandlerSeesTheOldDisplayFirst) {
    // Without a handler before the new frame they read the old display in place, with one
    // they work on its copy on the screen; screens start with other bytes than both pictures.
    const auto noise = [](int width, int height, unsigned seed) {
        TBitmap bitmap = Filled(width, height, 0);
        for (int y = 0; y < height; ++y)
            for (std::size_t i = 0; i < bitmap.RowBytes(); ++i)
                bitmap.ScanLine(y)[i] = static_cast<std::uint8_t>((i * 31 + y * 17) ^ seed);
        return bitmap;
    };
    for (auto [width, height] : {std::pair{37, 23}, {130, 70}})
        for (int style = 0; style < 128; ++style)
            for (int progress : {1, 33, 75, 99}) {
                TBitmap picture = noise(width, height, 1), old = noise(width, height, 2);
                TBitmap inPlace = noise(width, height, 3), copied = noise(width, height, 3);
                SetRandomSeed(7);  // the shreds and speckles draw the same numbers both times
                RenderFrame(TFrame{picture, old, inPlace, static_cast<TShowStyle>(style), 4, progress, {}, {}, {}, {}});
                TFrame frame{picture, old, copied, static_cast<TShowStyle>(style), 4, progress, {}, {}, {}, {}};
                frame.OnBeforeNewFrame = [](TBitmap&, TBitmap&) {};
                SetRandomSeed(7);
                RenderFrame(frame);
                for (int y = 0; y < height; ++y) {
                    const std::uint8_t* row = inPlace.ScanLine(y);
                    ASSERT_TRUE(std::equal(row, row + inPlace.RowBytes(), copied.ScanLine(y)))
                        << "style " << style << " " << width << "x" << height << " p " << progress << " row " << y;
                }
            }
}

TEST(FrameQuantities, TheLongerSideSetsThePace) {
    const TFrameQuantities landscape = ComputeFrameQuantities(400, 300, 50, 4);
    EXPECT_EQ(landscape.n, 200);
    EXPECT_EQ(landscape.v, 150);
    EXPECT_EQ(landscape.b, 18);  // MulDiv(400, 4, 90) = 17.8, rounded
    const TFrameQuantities portrait = ComputeFrameQuantities(300, 400, 50, 4);
    EXPECT_EQ(portrait.v, 200);
    EXPECT_EQ(portrait.n, 150);
    EXPECT_EQ(portrait.b, 18);
    const TFrameQuantities odd = ComputeFrameQuantities(333, 101, 33, 7);
    EXPECT_EQ(odd.n, 110);   // 109.89
    EXPECT_EQ(odd.v, 33);    // 110 * 101 / 333 = 33.36
    EXPECT_EQ(odd.b, 26);    // 25.9
}

TEST(Random, FollowsTheLinearCongruentialSequenceFromItsSeed) {
    const std::uint32_t saved = RandomSeed();
    SetRandomSeed(0);
    EXPECT_EQ(Random(100), 0u);  // seed 1: 1 * 100 >> 32
    EXPECT_EQ(RandomSeed(), 1u);
    EXPECT_EQ(Random(0), 0u);  // still advances
    EXPECT_EQ(RandomSeed(), 134775814u);
    const std::uint32_t next = 134775814u * 134775813u + 1u;
    EXPECT_EQ(Random(1000), static_cast<std::uint32_t>((std::uint64_t{next} * 1000) >> 32));
    SetRandomSeed(12345);
    std::vector<std::uint32_t> first;
    for (int i = 0; i < 20; ++i) first.push_back(Random(7));
    SetRandomSeed(12345);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(Random(7), first[static_cast<std::size_t>(i)]);
    for (std::uint32_t v : first) EXPECT_LT(v, 7u);
    SetRandomSeed(saved);
}

TEST(StyleNames, NamesAndLookupsFollowTheTable) {
    EXPECT_EQ(StyleNameOf(0), "Swap");
    EXPECT_EQ(StyleNameOf(33), "Expand from bottom");
    EXPECT_EQ(StyleNameOf(76), "Unven shred from bottom");
    EXPECT_EQ(StyleNameOf(127), "Random squares appear");
    EXPECT_EQ(StyleNameOf(128), "");
    EXPECT_EQ(FindStyleByName("Expand from bottom"), 18);
    EXPECT_EQ(FindStyleByName("expand in from top"), 25);
    EXPECT_EQ(FindStyleByName("FADE"), 118);
    EXPECT_EQ(FindStyleByName("Fade "), std::nullopt);
    for (int style = 0; style < 128; ++style) {
        if (style == 33 || style == 34) continue;
        EXPECT_EQ(FindStyleByName(StyleNameOf(static_cast<TShowStyle>(style))), style);
    }
}

}  // namespace
}  // namespace pellumo
