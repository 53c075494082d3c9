// The show as a person sees it: slides decoded, fitted, framed and placed in a real window,
// checked on the window's own grab.
#include "player/show_window.h"

#include <sstream>

#include "base/file_stream.h"

namespace pellumo {
namespace {

using SlidePreparationTest = ShowWindowTest;

std::vector<show_files::TestSlide> ThreePictures() {
    return {Slide(FlatJpeg(1600, 1000, 200, 30, 30), "Paysage", true),  // larger than the window
            Slide(FlatJpeg(600, 1200, 128, 128, 128), ""),              // portrait, gray
            Slide(FlatJpeg(200, 100, 30, 30, 200), "Petit")};           // smaller than the window
}

TEST_F(SlidePreparationTest, ThreeSlidesAreFittedCentredFramedAndCaptioned) {
    Play(TCatalogue{}, ThreePictures());
    const int width = Physical(640), height = Physical(480);
    const int band = Physical(29);
    const int pictureArea = height - band;

    // 1600 x 1000 in 640 x 450: 640 x 400, centred in the area above the caption line.
    QImage screen = Screen();
    ASSERT_EQ(screen.width(), width);
    const TPicture& first = form->ImageScreen.Picture();
    EXPECT_EQ(first.Width(), width);
    EXPECT_EQ(first.Height(), width * 400 / 640);
    const int top = (pictureArea - first.Height()) / 2;
    EXPECT_TRUE(Is(screen.pixel(width / 2, top / 2), kBack));
    EXPECT_TRUE(Is(screen.pixel(0, top), kFrame));
    EXPECT_TRUE(Is(screen.pixel(width / 2, top + first.Height() - 1), kFrame));
    EXPECT_TRUE(Near(screen.pixel(width / 2, top + first.Height() / 2), 200, 30, 30));
    EXPECT_TRUE(Near(screen.pixel(1, top + 1), 200, 30, 30));  // the frame is one pixel wide
    // The caption band: the window's colour with white letters in its middle.
    EXPECT_TRUE(form->LabelComment.Visible());
    EXPECT_TRUE(Is(screen.pixel(2, height - band / 2), kBack));
    bool letters = false;
    for (int x = width / 2 - Physical(40); x < width / 2 + Physical(40); ++x)
        letters = letters || Near(screen.pixel(x, height - band / 2), 255, 255, 255);
    EXPECT_TRUE(letters);

    // The portrait without caption: by height over the whole window, 240 x 480, centred.
    Next();
    screen = Screen();
    EXPECT_FALSE(form->LabelComment.Visible());
    EXPECT_EQ(form->ImageScreen.Picture().Height(), height);
    const int portraitWidth = form->ImageScreen.Picture().Width();
    EXPECT_EQ(portraitWidth, height / 2);
    const int left = (width - portraitWidth) / 2;
    EXPECT_TRUE(Is(screen.pixel(left - 1, height / 2), kBack));
    EXPECT_TRUE(Near(screen.pixel(left, height / 2), 128, 128, 128));
    EXPECT_TRUE(Near(screen.pixel(left + portraitWidth - 1, height - 1), 128, 128, 128));
    EXPECT_TRUE(Is(screen.pixel(left + portraitWidth, height / 2), kBack));
    EXPECT_EQ(form->WorkBitmap()->PixelFormat(), pf8bit);  // the plain reduction keeps the gray palette

    // The small picture is smaller than the portrait: the screen is cleared, so nothing of
    // the portrait stays around it.
    Next();
    screen = Screen();
    EXPECT_EQ(form->ImageScreen.Picture().Width(), 200);
    EXPECT_EQ(form->ImageScreen.Picture().Height(), 100);
    const int smallLeft = (width - 200) / 2, smallTop = (pictureArea - 100) / 2;
    EXPECT_TRUE(Near(screen.pixel(smallLeft, smallTop), 30, 30, 200));
    EXPECT_TRUE(Near(screen.pixel(smallLeft + 199, smallTop + 99), 30, 30, 200));
    EXPECT_TRUE(Is(screen.pixel(smallLeft - 1, smallTop), kBack));
    EXPECT_TRUE(Is(screen.pixel(smallLeft + 200, smallTop + 99), kBack));
    EXPECT_TRUE(Is(screen.pixel(left + 1, height / 4), kBack));
}

TEST_F(SlidePreparationTest, FineResizeUsesTheFilteredResampler) {
    TCatalogue header;
    header.FineResize = true;
    Play(header, ThreePictures());
    Next();
    EXPECT_EQ(form->ImageScreen.Picture().Height(), Physical(480));
    EXPECT_EQ(form->WorkBitmap()->PixelFormat(), pf24bit);
    const QImage screen = Screen();
    const int left = (Physical(640) - form->ImageScreen.Picture().Width()) / 2;
    EXPECT_TRUE(Near(screen.pixel(left + 5, Physical(240)), 128, 128, 128));
}

TEST_F(SlidePreparationTest, StyleZeroClearsTheScreenAndTheClosingWindowDropsThePicture) {
    std::vector<show_files::TestSlide> slides = ThreePictures();
    slides[1].Entry.TransitionStyle = 0;
    slides[1].Jpeg = FlatJpeg(1600, 1000, 30, 200, 30);  // as large as the first
    Play(TCatalogue{}, slides);
    Next();
    const QImage screen = Screen();
    const int pictureArea = Physical(480) - Physical(29);
    EXPECT_TRUE(Near(screen.pixel(Physical(320), pictureArea / 2), 30, 200, 30));
    EXPECT_FALSE(Is(screen.pixel(0, (pictureArea - form->ImageScreen.Picture().Height()) / 2), kFrame));
    form->Close();
    EXPECT_EQ(form->ImageScreen.Picture().Graphic(), nullptr);
}

// Every style, one slide each, in the window: each transition runs to its end and leaves the
// new picture on screen, whatever the style did on the way.
TEST_F(SlidePreparationTest, AllHundredAndTwentyEightStylesPlayOneAfterAnother) {
    const std::vector<std::uint8_t> colours[] = {FlatJpeg(160, 100, 200, 30, 30), FlatJpeg(160, 100, 30, 30, 200)};
    std::vector<show_files::TestSlide> slides;
    for (int style = 0; style < 128; ++style) {
        slides.push_back(Slide(colours[style % 2], style % 3 == 0 ? "" : "Légende", style % 5 == 0));
        slides.back().Entry.TransitionStyle = style;
    }
    Play(TCatalogue{}, slides);
    for (int style = 0; style < 128; ++style) {
        SCOPED_TRACE(style);
        if (style > 0) {
            form->ImageScreen.SetDelay(1);  // quick frames: the test is about every style's path
            form->ImageScreen.SetStep(10);
            Next();
        }
        EXPECT_EQ(form->ImageScreen.Style(), style);
        const QImage screen = Screen();
        const int pictureArea = Physical(480) - (style % 3 == 0 ? 0 : Physical(29));
        const QRgb middle = screen.pixel(Physical(640) / 2, pictureArea / 2);
        EXPECT_TRUE(style % 2 == 0 ? Near(middle, 200, 30, 30) : Near(middle, 30, 30, 200));
        EXPECT_TRUE(Is(screen.pixel(2, 2), kBack));
    }
    EXPECT_EQ(form->CurrentIndex(), 128);
}

// With PELLUMO_FRAME_LOG set, every painted frame of every transition is a line of the log:
// time, slide, style, progress, compose and paint times.
TEST_F(SlidePreparationTest, TheFrameLogHasALinePerPaintedFrame) {
    const std::string log = (folder / "frames.log").string();
    ::setenv("PELLUMO_FRAME_LOG", log.c_str(), 1);
    std::vector<show_files::TestSlide> slides = ThreePictures();
    slides[1].Entry.TransitionStyle = 5;
    Play(TCatalogue{}, slides);
    Next();
    ::unsetenv("PELLUMO_FRAME_LOG");
    TFileStream file(log, fmOpenRead);
    std::string text(static_cast<std::size_t>(file.Size()), '\0');
    file.ReadBuffer(text.data(), text.size());
    std::istringstream lines(text);
    std::vector<std::vector<double>> frames;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::vector<double>& frame = frames.emplace_back();
        for (double field; fields >> field;) frame.push_back(field);
        ASSERT_EQ(frame.size(), 6u) << line;
    }
    ASSERT_EQ(frames.size(), 50u);  // two transitions of 25 frames (Step 4)
    for (std::size_t k = 0; k < frames.size(); ++k) {
        SCOPED_TRACE(k);
        const int slide = static_cast<int>(k / 25);
        EXPECT_EQ(frames[k][1], slide);
        EXPECT_EQ(frames[k][2], slide == 0 ? 56 : 5);
        EXPECT_EQ(frames[k][3], 4 * (k % 25 + 1));
        EXPECT_GE(frames[k][4], 0);
        EXPECT_GE(frames[k][5], 0);
        if (k > 0) {
            EXPECT_GE(frames[k][0], frames[k - 1][0]);
        }
    }
}

}  // namespace
}  // namespace pellumo
