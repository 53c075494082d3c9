// The preview plays the real transition control in an ordinary widget, through Qt's event
// loop: from the slide before, into the new one, fitted and placed as the player places it.
#include "preview_widget.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "raster/bitmap.h"
#include "transition/transition_view.h"

namespace pellumo {
namespace {

std::shared_ptr<const TBitmap> Plain(int width, int height, TColor colour) {
    auto bitmap = std::make_shared<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(width, height);
    bitmap->Canvas().Brush.Color = colour;
    bitmap->Canvas().FillRect(TRect{0, 0, width, height});
    return bitmap;
}

QColor ToQColor(TColor colour) { return {GetRValue(colour), GetGValue(colour), GetBValue(colour)}; }

bool Near(QColor a, QColor b, int tolerance = 10) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

class PreviewWidgetTest : public ::testing::Test {
protected:
    PreviewWidget preview;
    QSignalSpy started{&preview, &PreviewWidget::TransitionStarted};
    QSignalSpy finished{&preview, &PreviewWidget::TransitionFinished};
    QSignalSpy failed{&preview, &PreviewWidget::PreviewFailed};

    void SetUp() override {
        preview.resize(640, 400);
        preview.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    }

    QColor PixelAt(int x, int y) { return preview.grab().toImage().pixelColor(x, y); }

    // Plays and waits for the end of the transition; what the screen showed as it started is
    // kept in `atStart`.
    void PlayToTheEnd(const PreviewSlide& from, const PreviewSlide& to) {
        const qsizetype before = finished.count();
        QElapsedTimer clock;
        const auto connection = QObject::connect(&preview, &PreviewWidget::TransitionStarted, [&] {
            atStart = preview.grab().toImage();
            clock.start();
        });
        preview.Play(from, to);
        EXPECT_TRUE(preview.Playing());
        EXPECT_TRUE(QTest::qWaitFor([&] { return preview.TransitionView().Busy(); }, 20000));
        EXPECT_TRUE(QTest::qWaitFor([&] { return finished.count() > before; }, 20000));
        // The player's pace: 25 frames of 4 %, 40 ms apart.
        EXPECT_GE(clock.elapsed(), 24 * 40);
        QObject::disconnect(connection);
        EXPECT_FALSE(preview.TransitionView().Busy());
        EXPECT_FALSE(preview.Playing());
        EXPECT_TRUE(failed.isEmpty());
    }

    QImage atStart;
};

TEST_F(PreviewWidgetTest, PlaysIntoTheNewSlideFittedAsThePlayerFitsItAndReplaysAStyleChange) {
    const TColor back = RGB(0, 90, 0);
    PreviewSlide from{Plain(1600, 1200, RGB(220, 20, 20)), {}, clWhite, back, {}, 1, false};
    PreviewSlide to{Plain(1600, 1200, RGB(20, 20, 220)), {}, clWhite, back, {}, 1, true};
    // 1920 x 1080 a third as large, in the middle of the widget.
    ASSERT_EQ(preview.ScreenRect(), QRect(0, 20, 640, 360));
    PlayToTheEnd(from, to);
    ASSERT_EQ(started.count(), 1);
    // The picture fitted to the screen's height (1440 x 1080) and centred: 480 x 360 from x = 80.
    const QPoint middle(320, 200);
    EXPECT_TRUE(Near(atStart.pixelColor(middle), Qt::red, 40)) << "the slide before shows first";
    EXPECT_TRUE(Near(PixelAt(middle.x(), middle.y()), QColor(20, 20, 220)));
    EXPECT_TRUE(Near(PixelAt(85, 200), QColor(20, 20, 220)));
    EXPECT_TRUE(Near(PixelAt(75, 200), ToQColor(back)));
    EXPECT_TRUE(Near(PixelAt(565, 200), ToQColor(back)));

    // Another style: the same slides again, from the slide before.
    to.transitionStyle = 128 + 60;  // the player plays the low seven bits
    PlayToTheEnd(from, to);
    ASSERT_EQ(started.count(), 2);
    EXPECT_EQ(preview.TransitionView().Style(), 60);
    EXPECT_TRUE(Near(atStart.pixelColor(middle), QColor(220, 20, 20), 40));
    EXPECT_TRUE(Near(PixelAt(middle.x(), middle.y()), QColor(20, 20, 220)));
}

TEST_F(PreviewWidgetTest, ShowsTheCaptionLineUnderThePictureAndReplaysOnDemand) {
    // A screen as small as the widget: the player's own pixels, one for one.
    preview.SetScreenSize({640, 360});
    ASSERT_EQ(preview.ScreenRect(), QRect(0, 20, 640, 360));
    const TColor back = RGB(0, 0, 96), yellow = RGB(255, 230, 0);
    PreviewSlide from{Plain(1600, 1200, RGB(220, 20, 20)), {}, clWhite, back, {}, 5, false};
    PreviewSlide to{Plain(1600, 1200, RGB(20, 200, 20)), "BONJOUR TOUT LE MONDE", yellow, back, clWhite, 5, false};
    PlayToTheEnd(from, to);
    const QImage shown = preview.grab().toImage();
    // Fitted above the 29-pixel caption line (640 x 330 available): 440 x 330 from x = 100,
    // framed in white.
    EXPECT_TRUE(Near(shown.pixelColor(320, 200), QColor(20, 200, 20)));
    EXPECT_TRUE(Near(shown.pixelColor(100, 200), Qt::white));
    EXPECT_TRUE(Near(shown.pixelColor(90, 200), ToQColor(back)));
    // The line under the picture: the back colour, the caption in its colour in the middle.
    int captionPixels = 0;
    for (int y = 351; y < 380; ++y)
        for (int x = 0; x < 640; ++x)
            if (Near(shown.pixelColor(x, y), ToQColor(yellow), 40)) {
                ++captionPixels;
                EXPECT_GT(x, 200);
                EXPECT_LT(x, 440);
            }
    EXPECT_GT(captionPixels, 40);
    EXPECT_TRUE(Near(shown.pixelColor(20, 365), ToQColor(back)));

    preview.Replay();
    EXPECT_TRUE(QTest::qWaitFor([&] { return finished.count() == 2; }, 20000));
    EXPECT_EQ(started.count(), 2);
    EXPECT_TRUE(Near(PixelAt(320, 200), QColor(20, 200, 20)));
}

}  // namespace
}  // namespace pellumo
