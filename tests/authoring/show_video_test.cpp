#include "authoring/show_video.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "authoring/caption_font.h"
#include "authoring/option_values.h"
#include "base/memory_stream.h"
#include "player/fit_to_window.h"
#include "raster/canvas.h"
#include "raster/jpeg_image.h"
#include "transition/transition_frames.h"

namespace pellumo {
namespace {

using TBytes = std::vector<std::uint8_t>;

// Detail everywhere, so that a picture misplaced or scaled otherwise shows.
TBytes PatternJpeg(int width, int height, int seed) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[x * 3] = static_cast<std::uint8_t>(x * 3 + seed * 50);
            row[x * 3 + 1] = static_cast<std::uint8_t>(y * 5 + seed * 20);
            row[x * 3 + 2] = static_cast<std::uint8_t>((x / 8 + y / 8) % 2 * 200 + seed);
        }
    }
    TJPEGImage jpeg;
    jpeg.SetCompressionQuality(95);
    jpeg.Assign(bitmap);
    return jpeg.Data();
}

// Decoded and fitted as the player does it, framed when asked: the picture the screen shows.
TBitmap FittedPicture(const TBytes& bytes, int width, int available, bool fine, std::optional<TColor> frame = {}) {
    TMemoryStream stream(bytes);
    TJPEGImage jpeg;
    jpeg.LoadFromStream(stream);
    TBitmap bitmap;
    bitmap.Assign(jpeg);
    FitToWindow(bitmap, width, available, fine);
    if (frame) {
        bitmap.Canvas().Brush.Color = *frame;
        bitmap.Canvas().FrameRect(TRect{0, 0, bitmap.Width(), bitmap.Height()});
    }
    bitmap.SetPixelFormat(pf32bit);
    return bitmap;
}

TColor PixelAt(const TBitmap& bitmap, int x, int y) {
    const int bytes = BitsPerPixel(bitmap.PixelFormat()) / 8;
    const std::uint8_t* p = bitmap.ScanLine(y) + static_cast<std::size_t>(x) * bytes;
    return RGB(p[2], p[1], p[0]);
}

// Where the two differ, as "(x, y)", or empty when the area is the same in both.
std::string FirstDifference(const TBitmap& a, const TRect& inA, const TBitmap& b, int bLeft, int bTop) {
    for (int y = inA.Top; y < inA.Bottom; ++y)
        for (int x = inA.Left; x < inA.Right; ++x)
            if (PixelAt(a, x, y) != PixelAt(b, x - inA.Left + bLeft, y - inA.Top + bTop))
                return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
    return {};
}

TBitmap Copy(const TBitmap& bitmap) {
    TBitmap copy;
    copy.Assign(bitmap);
    return copy;
}

TBitmap Filled(int width, int height, TColor color) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf32bit);
    bitmap.SetSize(width, height);
    bitmap.Canvas().Brush.Color = color;
    bitmap.Canvas().FillRect(TRect{0, 0, width, height});
    return bitmap;
}

TSlideEntry Slide(std::int32_t duration, std::int32_t style, TColor back = clBlack) {
    TSlideEntry slide;
    slide.Duration = duration;
    slide.TransitionStyle = style;
    slide.BackColor = back;
    return slide;
}

TVideoShow ShowOf(std::vector<std::pair<TSlideEntry, TBytes>> slides, bool fine = false) {
    TVideoShow show;
    show.catalogue.FineResize = fine;
    for (auto& [entry, bytes] : slides) {
        show.catalogue.Slides.push_back(entry);
        show.pictures.push_back(std::move(bytes));
    }
    return show;
}

// After its transition, a slide is its picture fitted to the screen above the caption line,
// centred there and framed, the caption centred on the line below in its colour, and the
// window's colour everywhere else; plain and fine fitting alike.
TEST(ShowVideoFrames, AFrameInTheMiddleOfASlideIsTheFittedFramedCaptionedSlide) {
    const TBytes picture = PatternJpeg(400, 300, 1);
    const TColor back = RGB(0, 0, 128), frame = RGB(255, 0, 0), caption = RGB(255, 255, 0);
    for (const bool fine : {false, true}) {
        TSlideEntry slide = Slide(2, 1, back);
        slide.Framed = true;
        slide.FrameColor = frame;
        slide.Caption.Assign("\xC9t\xE9 \x80");
        slide.CaptionColor = caption;
        const TVideoShow show = ShowOf({{slide, picture}}, fine);
        TShowVideoFrames frames(show, {320, 240, 10, 5});
        ASSERT_EQ(frames.FrameCount(), 20);
        const TBitmap& screen = frames.Frame(15);
        ASSERT_EQ(screen.Width(), 320);
        ASSERT_EQ(screen.Height(), 240);
        EXPECT_EQ(BitsPerPixel(screen.PixelFormat()), 32);

        // 240 less the 29-pixel caption line and one more: 210 high, 280 wide, centred in 320 x 211.
        const TBitmap expected = FittedPicture(picture, 320, 210, fine, frame);
        ASSERT_EQ(expected.Width(), 280);
        ASSERT_EQ(expected.Height(), 210);
        const TRect place{20, 0, 300, 210};
        EXPECT_EQ(FirstDifference(screen, place, expected, 0, 0), "") << "fine " << fine;
        EXPECT_EQ(PixelAt(screen, 20, 100), frame);
        for (const auto& [x, y] : {std::pair{0, 0}, {19, 100}, {300, 5}, {319, 210}, {160, 210}})
            EXPECT_EQ(PixelAt(screen, x, y), back) << x << ", " << y;

        // The caption: blended from the window's colour to its own, and only on its line.
        TRect ink{320, 240, 0, 0};
        int solid = 0;
        for (int y = 211; y < 240; ++y)
            for (int x = 0; x < 320; ++x) {
                const TColor pixel = PixelAt(screen, x, y);
                EXPECT_EQ(GetRValue(pixel), GetGValue(pixel)) << x << ", " << y;  // between navy and yellow
                if (pixel == back) continue;
                solid += pixel == caption;
                ink = {std::min(ink.Left, x), std::min(ink.Top, y), std::max(ink.Right, x + 1),
                       std::max(ink.Bottom, y + 1)};
            }
        EXPECT_GT(solid, 20);
        EXPECT_NEAR(ink.Left + ink.Right, 320, 4) << "centred across";
        EXPECT_GE(ink.Top, 211 + 4);
        EXPECT_LE(ink.Bottom, 240 - 4);
    }
}

// A transition's frame is the composition of its style at the progress the control has reached
// by then, from the old display under the new picture's place: the last picture when the new
// one covers it, else the window cleared to the new colour.
TEST(ShowVideoFrames, AFrameInTheMiddleOfATransitionIsTheStylesComposition) {
    const TBytes first = PatternJpeg(400, 300, 1);
    const TColor back = RGB(30, 90, 10);
    for (const std::int32_t style : {1, 33, 58, 60, 110, 119}) {
        for (const bool covering : {true, false}) {
            const TBytes second = covering ? PatternJpeg(400, 300, 2) : PatternJpeg(300, 300, 2);
            const TVideoShow show = ShowOf({{Slide(2, 0), first}, {Slide(2, style, back), second}});
            TShowVideoFrames frames(show, {200, 150, 25, 5});
            const TBitmap before = Copy(frames.Frame(49));
            // 12 frames of 40 ms in: the control's 13th frame, at 52.
            const TBitmap& screen = frames.Frame(62);

            const TBitmap picture = FittedPicture(second, 200, 150, false);
            const TRect place = covering ? TRect{0, 0, 200, 150} : TRect{25, 0, 175, 150};
            TBitmap old = Filled(place.Width(), place.Height(), back);
            if (covering) old.Canvas().CopyRect(TRect{0, 0, 200, 150}, Copy(before).Canvas(), place);
            const TBitmap expected = ComposeFrame(picture, old, static_cast<TShowStyle>(style), 4, 52);
            EXPECT_EQ(FirstDifference(screen, place, expected, 0, 0), "") << style << (covering ? " covering" : "");
            if (!covering) {
                EXPECT_EQ(PixelAt(screen, 10, 75), back) << style;
            }
        }
    }
}

// One pass whatever the loop switch says, each slide for its duration, a resting one for the
// rest time. A slide whose picture does not decode leaves the screen as it was for its time, as
// the player does, and the next transition starts from that screen. The notes say both. Frames
// asked out of order are those of a pass in order.
TEST(ShowVideoFrames, OnePassWhereADamagedSlideKeepsTheScreenWhateverTheOrderAsked) {
    TBytes damaged = PatternJpeg(64, 48, 2);
    damaged.resize(damaged.size() / 3);
    TVideoShow show = ShowOf({{Slide(2, 0), {1, 2, 3}},
                              {Slide(2, 60, RGB(0, 0, 200)), PatternJpeg(64, 48, 1)},
                              {Slide(2, 1, RGB(200, 0, 0)), damaged},
                              {Slide(0, 86), PatternJpeg(64, 48, 3)}});
    show.catalogue.LoopShow = true;
    TShowVideoFrames frames(show, {64, 48, 5, 3});
    ASSERT_EQ(frames.FrameCount(), (2 + 2 + 2 + 3) * 5);
    EXPECT_THROW(frames.Frame(45), Exception);
    std::vector<TBitmap> pass;
    for (std::int64_t i = 0; i < frames.FrameCount(); ++i) pass.push_back(Copy(frames.Frame(i)));
    const TRect whole{0, 0, 64, 48};
    for (const std::int64_t i : {0, 9}) EXPECT_EQ(PixelAt(pass[i], 32, 24), clBlack) << i;
    for (std::int64_t i = 20; i < 30; ++i) EXPECT_EQ(FirstDifference(pass[i], whole, pass[19], 0, 0), "") << i;
    EXPECT_NE(FirstDifference(pass[31], whole, pass[19], 0, 0), "");
    const std::vector<std::string> said{"diapositive 4 : durée 0 (repos), montrée 3 s",
                                        "diapositive 1 : image illisible, l'écran garde ce qu'il montrait",
                                        "diapositive 3 : image illisible, l'écran garde ce qu'il montrait"};
    EXPECT_EQ(frames.Notes(), said);

    for (const std::int64_t i : {33, 12, 31, 0, 44, 30})
        EXPECT_EQ(FirstDifference(frames.Frame(i), whole, pass[i], 0, 0), "") << i;
    EXPECT_EQ(frames.Notes(), said);
}

// Windows-1252 captions come out as their characters: é, € and œ have their own glyphs, not
// the missing-glyph box nor a question mark, and the frame's caption is that text.
TEST(ShowVideoFrames, AccentedCaptionsRenderAsTheirCharacters) {
    const TCaptionFont font(13, true);
    const auto ink = [&font](std::u32string_view text) {
        TBitmap bitmap = Filled(40, 29, clBlack);
        font.DrawCentred(bitmap, TRect{0, 0, 40, 29}, text, clWhite);
        std::vector<int> rows(29);
        for (int y = 0; y < 29; ++y)
            for (int x = 0; x < 40; ++x) rows[y] += GetRValue(PixelAt(bitmap, x, y));
        return rows;
    };
    for (const std::u32string_view accented : {U"é", U"€", U"œ"}) {
        EXPECT_NE(ink(accented), ink(U"?"));
        EXPECT_NE(ink(accented), ink(U"\U000F0000"));  // a character the face lacks
    }
    // The accent lies above the letter's own ink.
    const auto top = [](const std::vector<int>& rows) {
        return std::find_if(rows.begin(), rows.end(), [](int sum) { return sum > 0; }) - rows.begin();
    };
    EXPECT_LT(top(ink(U"é")) + 1, top(ink(U"e")));

    TSlideEntry slide = Slide(1, 1);
    slide.Caption.Assign("\xC9t\xE9 \x80 \x9C");
    const TVideoShow show = ShowOf({{slide, PatternJpeg(32, 24, 1)}});
    TShowVideoFrames frames(show, {160, 120, 5, 5});
    TBitmap expected = Filled(160, 120, clBlack);
    const TRect line{0, 91, 160, 120};
    font.DrawCentred(expected, line, U"Été € œ", clWhite);
    EXPECT_EQ(FirstDifference(frames.Frame(4), line, expected, 0, 91), "");
}

TEST(ShowVideoFrames, FormatsOutOfRangeAndShowsWithoutSlidesAreRefused) {
    const TVideoShow show = ShowOf({{Slide(1, 1), PatternJpeg(16, 16, 1)}});
    const TVideoFormat bad[] = {{15, 100, 30, 5},  {100, 15, 30, 5},  {7681, 100, 30, 5}, {100, 4321, 30, 5},
                                {100, 100, 0, 5},  {100, 100, 121, 5}, {100, 100, 30, 0},  {100, 100, 30, 3601}};
    for (const TVideoFormat& format : bad)
        EXPECT_THROW(TShowVideoFrames(show, format), EOptionError) << &format - bad;
    EXPECT_NO_THROW(TShowVideoFrames(show, {16, 16, 1, 1}));
    const TVideoShow empty;
    EXPECT_THROW(TShowVideoFrames(empty, TVideoFormat{}), EOptionError);
}

}  // namespace
}  // namespace pellumo
