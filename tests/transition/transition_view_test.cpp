#include "transition/transition_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include <QImage>
#include <QPaintEvent>
#include <QPixmap>
#include <QRegion>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include "platform/application.h"
#include "platform/form.h"
#include "transition/transition_frames.h"

namespace pellumo {
namespace {

class TransitionViewTest : public ::testing::Test {
protected:
    TForm form;
    TTransitionView view{&form};
    std::vector<int> progress;
    std::vector<std::string> events;
    std::thread::id uiThread = std::this_thread::get_id();

    void SetUp() override {
        form.SetBounds(0, 0, 200, 150);
        view.SetAutoSize(false);
        view.SetBounds(0, 0, 200, 150);
        view.SetDelay(0);
        form.Show();
        // A window paints only once the windowing system has exposed it.
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!form.Widget()->windowHandle()->isExposed() && std::chrono::steady_clock::now() < limit)
            Application->ProcessMessages();
        view.OnProgress = [this](TObject*) { progress.push_back(view.Progress()); };
        view.OnComplete = [this](TObject*) { Record("complete"); };
        view.OnStop = [this](TObject*) { Record("stop"); };
        view.OnStart = [this](TObject*) { Record("start"); };
    }

    void Record(const char* event) {
        EXPECT_EQ(std::this_thread::get_id(), uiThread) << event;
        events.emplace_back(event);
    }

    void SetPicture(int width, int height) {
        TBitmap bitmap;
        bitmap.SetSize(width, height);
        view.Picture().Assign(bitmap);
    }

    // Runs the message loop until the condition holds or a few seconds have passed.
    template <class Condition>
    static bool PumpUntil(Condition done) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done() && std::chrono::steady_clock::now() < limit) Application->ProcessMessages();
        return done();
    }

    // Runs the message loop until the transition has ended.
    void WaitUntilIdle() {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (view.Busy() && std::chrono::steady_clock::now() < limit) Application->ProcessMessages();
        Application->ProcessMessages();
        ASSERT_FALSE(view.Busy());
    }
};

TEST_F(TransitionViewTest, ProgressStepsReachTheEndExactly) {
    SetPicture(40, 30);
    const std::pair<int, std::vector<int>> cases[] = {
        {30, {30, 60, 90, 100}},
        {100, {100}},
    };
    for (const auto& [step, expected] : cases) {
        progress.clear();
        view.SetStep(static_cast<std::uint16_t>(step));
        view.StartTransition();
        WaitUntilIdle();
        EXPECT_EQ(progress, expected) << "step " << step;
    }
    progress.clear();
    view.SetStep(4);
    view.StartTransition();
    WaitUntilIdle();
    ASSERT_EQ(progress.size(), 25u);
    EXPECT_EQ(progress.front(), 4);
    EXPECT_EQ(progress[23], 96);
    EXPECT_EQ(progress.back(), 100);

    progress.clear();
    view.SetReverse(true);
    view.SetStep(30);
    view.StartTransition();
    WaitUntilIdle();
    EXPECT_EQ(progress, (std::vector<int>{70, 40, 10, 0}));
}

TEST_F(TransitionViewTest, ACompletedTransitionFiresCompleteThenStopOnTheInterfaceThread) {
    SetPicture(40, 30);
    view.StartTransition();
    WaitUntilIdle();
    EXPECT_EQ(events, (std::vector<std::string>{"start", "complete", "stop"}));
}

TEST_F(TransitionViewTest, AStoppedTransitionFiresStopOnly) {
    SetPicture(40, 30);
    view.SetDelay(50);
    view.StartTransition();
    view.StopTransition();
    EXPECT_FALSE(view.Busy());
    Application->ProcessMessages();
    EXPECT_EQ(events, (std::vector<std::string>{"start", "stop"}));
    view.StopTransition();  // idle: ignored
    EXPECT_EQ(events.size(), 2u);
}

// The worker's frame raises (a frame event's handler, say): the transition ends as a stopped
// one, and the next transition is not left waiting for the failed frame to be painted.
TEST_F(TransitionViewTest, AFrameThatRaisesOnTheWorkerEndsItsTransitionAsStopped) {
    SetPicture(40, 30);
    view.SetStep(25);
    int frames = 0;
    for (TCustomDrawEvent TCustomTransitionView::*handler :
         {&TCustomTransitionView::OnBeforeNewFrame, &TCustomTransitionView::OnAfterNewFrame}) {
        events.clear();
        progress.clear();
        frames = 0;
        view.*handler = [&frames](TObject*, TBitmap&, TBitmap&) {
            if (++frames == 2) throw std::runtime_error("frame");
        };
        view.StartTransition();
        ASSERT_NO_FATAL_FAILURE(WaitUntilIdle());
        EXPECT_EQ(events, (std::vector<std::string>{"start", "stop"}));
        EXPECT_EQ(progress, std::vector<int>{25});

        view.*handler = nullptr;
        events.clear();
        view.StartTransition();
        ASSERT_NO_FATAL_FAILURE(WaitUntilIdle());
        EXPECT_EQ(events, (std::vector<std::string>{"start", "complete", "stop"}));
    }
}

// The caller writing Progress: a frame that raises reaches the caller; neither that nor a write
// that changes nothing leaves a worker that takes over waiting for a paint.
TEST_F(TransitionViewTest, ManualFramesNeverLeaveAWorkerWaiting) {
    SetPicture(40, 30);
    view.SetStep(25);
    view.SetManual(true);
    view.StartTransition();
    view.OnAfterNewFrame = [](TObject*, TBitmap&, TBitmap&) { throw std::runtime_error("frame"); };
    EXPECT_THROW(view.SetProgress(40), std::runtime_error);
    EXPECT_TRUE(view.Busy());
    view.OnAfterNewFrame = nullptr;
    view.SetManual(false);  // the worker carries on from 40
    ASSERT_NO_FATAL_FAILURE(WaitUntilIdle());
    EXPECT_EQ(progress, (std::vector<int>{65, 90, 100}));
    EXPECT_EQ(events, (std::vector<std::string>{"start", "complete", "stop"}));

    // Taken over at its end, the worker has no frame left to compose.
    events.clear();
    view.SetManual(true);
    view.StartTransition();
    view.SetProgress(100);
    view.SetManual(false);
    ASSERT_NO_FATAL_FAILURE(WaitUntilIdle());
    view.StartTransition();
    ASSERT_NO_FATAL_FAILURE(WaitUntilIdle());
    EXPECT_EQ(events, (std::vector<std::string>{"start", "complete", "stop", "start", "complete", "stop"}));
}

TEST_F(TransitionViewTest, InvalidCallsAreIgnored) {
    view.StartTransition();  // no picture
    EXPECT_FALSE(view.Busy());
    EXPECT_TRUE(events.empty());
    SetPicture(40, 30);
    view.SetManual(true);
    view.StartTransition();
    EXPECT_TRUE(view.Busy());
    view.SetProgress(50);
    EXPECT_EQ(progress, std::vector<int>{50});
    view.ClearScreen();  // busy: nothing
    EXPECT_FALSE(view.ScreenBitmap().Empty());
    view.SetProgress(100);  // reaching the end does not end a manual transition
    EXPECT_TRUE(view.Busy());
    view.StopTransition();
    EXPECT_EQ(events, (std::vector<std::string>{"start", "stop"}));
    view.ClearScreen();
    EXPECT_TRUE(view.ScreenBitmap().Empty());
    view.SetStyle(200);  // names no style: kept as it was
    EXPECT_EQ(view.Style(), 51);
    view.SetStyleName("fade");
    EXPECT_EQ(view.Style(), 118);
    view.SetStep(0);
    EXPECT_EQ(view.Step(), 1);
}

TEST_F(TransitionViewTest, LoopModeEndsWhenStoppedFromItsOwnMessages) {
    SetPicture(40, 30);
    view.SetThreaded(false);
    view.SetDelay(20);
    view.OnProgress = [this](TObject*) {
        progress.push_back(view.Progress());
        if (view.Progress() == 8) view.StopTransition();
    };
    view.StartTransition();
    EXPECT_FALSE(view.Busy());
    EXPECT_EQ(progress, (std::vector<int>{4, 8}));
    EXPECT_EQ(events, (std::vector<std::string>{"start", "stop"}));
}

TEST_F(TransitionViewTest, PlacementCentresAndFits) {
    view.SetCenter(true);
    view.SetBounds(0, 0, 640, 400);
    SetPicture(701, 300);
    view.SetManual(true);
    view.StartTransition();
    EXPECT_EQ(view.PictureRect().Left, -30);
    view.StopTransition();
    SetPicture(301, 300);
    view.StartTransition();
    EXPECT_EQ(view.PictureRect().Left, 169);
    view.StopTransition();
    EXPECT_EQ(TCustomTransitionView::FitRect(Rect(0, 0, 400, 300), Rect(0, 0, 640, 466)), Rect(9, 0, 630, 466));
}


// What the control painted, read back from its off-screen buffer.
std::uint32_t BufferPixel(TTransitionView& view, int x, int y) {
    const std::uint8_t* p = view.PaintBuffer().ScanLine(y) + x * 4;
    return p[0] | (p[1] << 8) | (p[2] << 16);
}

TBitmap Gradient(int width, int height) {
    TBitmap bitmap;
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = bitmap.ScanLine(y) + x * 4;
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = 7;
        }
    return bitmap;
}

TEST_F(TransitionViewTest, ABackgroundTilesTheClientArea) {
    view.SetBounds(0, 0, 250, 120);
    const TBitmap tile = Gradient(100, 100);
    TPicture background;
    background.Assign(tile);
    view.SetBgPicture(&background);
    view.Invalidate();
    view.Update();
    ASSERT_EQ(view.PaintBuffer().Width(), 250);
    for (int y : {0, 99, 100, 119})
        for (int x : {0, 99, 100, 199, 200, 249})
            EXPECT_EQ(BufferPixel(view, x, y), static_cast<std::uint32_t>((x % 100) | ((y % 100) << 8) | (7 << 16)))
                << x << "," << y;
}

TEST_F(TransitionViewTest, ClearingWhenIdleLeavesTheBackgroundOnly) {
    form.SetColor(RGB(1, 2, 3));
    view.SetPicture(nullptr);
    const TBitmap picture = Gradient(40, 30);
    view.Picture().Assign(picture);
    view.SetStyle(0);
    view.StartTransition();
    WaitUntilIdle();
    view.Invalidate();
    view.Update();
    EXPECT_EQ(BufferPixel(view, 5, 6), 5u | (6u << 8) | (7u << 16));
    view.ClearScreen();
    EXPECT_TRUE(view.ScreenBitmap().Empty());
    view.Update();
    EXPECT_EQ(BufferPixel(view, 5, 6), 0x010203u);  // blue, green, red from the lowest byte
}

// A picture that fills the client area is painted straight from the screen bitmap; the screen
// shows it, and the next transition still starts from it as the old display.
TEST_F(TransitionViewTest, APictureFillingTheClientIsShownAndIsTheNextOldDisplay) {
    form.SetColor(RGB(1, 2, 3));
    view.Invalidate();
    view.Update();  // the background only: the buffer has nothing of the picture yet
    const TBitmap first = Gradient(200, 150);
    view.Picture().Assign(first);
    view.SetStyle(0);
    view.StartTransition();
    WaitUntilIdle();
    const QImage screen = view.Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(screen.pixel(190, 10) & 0xFFFFFFu, 7u << 16 | 10u << 8 | 190u);  // red 7, green y, blue x

    TBitmap second;
    second.SetSize(200, 150);
    view.Picture().Assign(second);
    view.SetStyle(5);  // reveal from left: the right half is still the old display at 50
    view.SetManual(true);
    view.StartTransition();
    view.SetProgress(50);
    const std::uint8_t* old = view.ScreenBitmap().ScanLine(10) + 190 * 4;
    EXPECT_EQ(old[0] | old[1] << 8 | old[2] << 16, 190 | 10 << 8 | 7 << 16);
    view.StopTransition();
    EXPECT_EQ(BufferPixel(view, 190, 10), 190u | 10u << 8 | 7u << 16);
}

// Notes the largest number of rectangles a paint of the widget it watches covered.
class PaintRegionCounter : public QObject {
public:
    int most = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            most = std::max(most, static_cast<int>(static_cast<QPaintEvent*>(event)->region().rectCount()));
        return false;
    }
};

// A quarters frame changes four pieces of the picture apart from one another, so its paint
// covers several rectangles: what reaches the window (read back from the window system, not
// painted again for a grab) is the frame, and the background, in every one of them, whether
// the picture covers the client area or sits in its middle.
TEST_F(TransitionViewTest, AFrameOfSeveralPiecesReachesTheWindowWhole) {
    form.SetColor(RGB(1, 2, 3));
    for (const auto& [width, height] : {std::pair{200, 150}, std::pair{120, 90}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        view.SetManual(false);
        view.ClearScreen();  // as the player does before a smaller picture
        view.Update();
        view.Picture().Assign(Gradient(width, height));
        view.SetStyle(0);
        view.StartTransition();
        WaitUntilIdle();
        TBitmap second;
        second.SetSize(width, height);  // black
        view.Picture().Assign(second);
        view.SetStyle(56);  // quarters expand to middle
        view.SetManual(true);
        view.StartTransition();
        PaintRegionCounter counter;
        view.Widget()->installEventFilter(&counter);
        view.SetProgress(50);
        PumpUntil([&] { return !view.HasPendingUpdate(); });
        Application->ProcessMessages();
        view.Widget()->removeEventFilter(&counter);
        EXPECT_GT(counter.most, 1);

        const QImage shown = form.Widget()->screen()->grabWindow(form.Widget()->winId()).toImage();
        const TRect placed = view.PictureRect();
        int wrong = 0;
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 200; ++x) {
                std::uint32_t expected = 1u << 16 | 2u << 8 | 3u;  // the background, red 1
                if (x >= placed.Left && x < placed.Right && y >= placed.Top && y < placed.Bottom) {
                    const std::uint8_t* p = view.ScreenBitmap().ScanLine(y - placed.Top) + (x - placed.Left) * 4;
                    expected = static_cast<std::uint32_t>(p[2] << 16 | p[1] << 8 | p[0]);
                }
                wrong += (shown.pixel(x, y) & 0xFFFFFFu) != expected;
            }
        EXPECT_EQ(wrong, 0);
        view.StopTransition();
    }
}

// A frame paints only what changed since the frame before: a pivot where its picture was or
// is, Swap nothing after its first frame, a rectangle style's step backwards what the frame
// before covered. After every frame, forwards and backwards, the window must show that frame
// as if composed afresh.
TEST_F(TransitionViewTest, FramesForwardsAndBackwardsReachTheWindowAsComposedAfresh) {
    const TBitmap old = Gradient(200, 150);
    TBitmap picture = Gradient(200, 150);
    for (int y = 0; y < 150; ++y) std::reverse(picture.ScanLine(y), picture.ScanLine(y) + 200 * 4);
    for (int style : {121, 0, 5, 56}) {  // pivot from the top right, Swap, reveal, quarters
        view.SetManual(false);
        view.Picture().Assign(old);
        view.SetStyle(0);
        view.StartTransition();
        WaitUntilIdle();
        view.Picture().Assign(picture);
        view.SetStyle(static_cast<TShowStyle>(style));
        view.SetManual(true);
        view.StartTransition();
        for (int p : {4, 8, 40, 24, 25, 96, 12}) {
            view.SetProgress(p);
            PumpUntil([&] { return !view.HasPendingUpdate(); });
            Application->ProcessMessages();
            const QImage shown = form.Widget()->screen()->grabWindow(form.Widget()->winId()).toImage();
            const TBitmap expected = ComposeFrame(picture, old, static_cast<TShowStyle>(style), 4, p);
            int wrong = 0;
            for (int y = 0; y < 150; ++y)
                for (int x = 0; x < 200; ++x) {
                    const std::uint8_t* e = expected.ScanLine(y) + x * 3;
                    wrong += (shown.pixel(x, y) & 0xFFFFFFu) != static_cast<std::uint32_t>(e[2] << 16 | e[1] << 8 | e[0]);
                }
            EXPECT_EQ(wrong, 0) << "style " << style << " p " << p;
        }
        view.StopTransition();
    }
}

// Style 0 covers the screen with the picture in every frame, without copying the old display
// there first, unless a handler is to see it under the picture.
TEST_F(TransitionViewTest, StyleZeroDrawsTheOldDisplayOnlyForAHandlerAndPaintsOnlyItsFirstFrame) {
    view.Picture().Assign(Gradient(200, 150));
    view.SetStyle(0);
    view.StartTransition();
    WaitUntilIdle();
    TBitmap black;
    black.SetSize(200, 150);
    view.Picture().Assign(black);
    view.SetManual(true);
    std::vector<std::uint8_t> seen;  // the blue of pixel (9, 0) under each frame
    view.OnCustomDraw = [&seen](TObject*, TBitmap&, TBitmap& screen) { seen.push_back(screen.ScanLine(0)[9 * 4]); };
    view.StartTransition();
    for (int p : {10, 20, 30}) view.SetProgress(p);
    view.StopTransition();
    EXPECT_EQ(seen, (std::vector<std::uint8_t>{9, 9, 9}));
    EXPECT_EQ(view.ScreenBitmap().ScanLine(0)[9 * 4], 0);

    // Without a handler the frames after the first change nothing and are not painted.
    view.OnCustomDraw = nullptr;
    view.Picture().Assign(Gradient(200, 150));
    view.StartTransition();
    view.SetProgress(10);
    PumpUntil([&] { return !view.HasPendingUpdate(); });
    EXPECT_GT(view.LastFrameTimes().paintMs, 0);
    PaintRegionCounter paints;
    view.Widget()->installEventFilter(&paints);
    view.SetProgress(20);
    Application->ProcessMessages();
    view.Widget()->removeEventFilter(&paints);
    EXPECT_EQ(paints.most, 0);
    EXPECT_EQ(view.LastFrameTimes().paintMs, 0);
    view.StopTransition();
}

// Notes whether a paint has reached all of one area of the widget it watches.
class AreaWatcher : public QObject {
public:
    explicit AreaWatcher(const TRect& area) : area_(area.Left, area.Top, area.Width(), area.Height()) {}
    std::atomic<bool> reached{false};

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && QRegion(area_).subtracted(static_cast<QPaintEvent*>(event)->region()).isEmpty())
            reached = true;
        return false;
    }

private:
    QRect area_;
};

// A paint that cuts in between a step backwards and its frame reads the frame before; what the
// step uncovers must still be painted once its frame is there.
TEST_F(TransitionViewTest, AStepBackwardsIsPaintedWholeWhenAPaintCutsInBeforeItsFrame) {
    const TBitmap picture = Gradient(40, 30);
    view.Picture().Assign(picture);
    view.SetStyle(5);  // reveal from the left: frame p shows the picture on the left p %
    view.SetReverse(true);
    view.SetStep(10);
    view.SetDelay(250);  // room to step in between two frames
    std::atomic<TBitmap*> newPicture{nullptr};
    std::atomic<int> shown{-1};
    std::atomic<bool> letGo{false};
    view.OnBeforeNewFrame = [&](TObject*, TBitmap& p, TBitmap&) { newPicture = &p; };
    view.OnProgress = [&](TObject*) {
        shown = view.Progress();
        // Frame 80 stays until the test has looked at how it was painted.
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (shown == 80 && !letGo && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    // However the test ends, the worker is gone before what its handlers use.
    struct StopAtEnd {
        TTransitionView& view;
        std::atomic<bool>& letGo;
        ~StopAtEnd() {
            letGo = true;
            view.StopTransition();
        }
    } stopAtEnd{view, letGo};
    view.StartTransition();
    ASSERT_TRUE(PumpUntil([&] { return shown == 90; }));

    // Hold frame 80 back where its composition begins, paint whatever is owed by then, let it go.
    TCanvas& pictureCanvas = newPicture.load()->Canvas();
    pictureCanvas.Lock();
    const bool heldBack = view.Progress() == 90;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (heldBack && !view.HasPendingUpdate() && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    view.Widget()->repaint();
    AreaWatcher uncovered(TRect{32, 0, 36, 30});  // what frame 80 gives back to the old display
    view.Widget()->installEventFilter(&uncovered);
    pictureCanvas.Unlock();
    ASSERT_TRUE(heldBack) << "frame 80 began before it could be held back";
    ASSERT_TRUE(PumpUntil([&] { return shown == 80; }));
    EXPECT_TRUE(uncovered.reached);
}

struct ReentrantView : TTransitionView {
    using TTransitionView::TTransitionView;
    ~ReentrantView() override { BeginDestruction(); }
    int paints = 0;
    void Paint() override {
        ++paints;
        if (paints == 1) PaintMessage();  // a second paint message while painting
        TTransitionView::Paint();
    }
};

TEST_F(TransitionViewTest, APaintWhilePaintingIsIgnored) {
    ReentrantView reentrant(&form);
    reentrant.SetBounds(0, 0, 20, 20);
    reentrant.Invalidate();
    reentrant.Update();
    EXPECT_EQ(reentrant.paints, 1);
}

TEST_F(TransitionViewTest, SwitchingToAPixelStyleMidwayGivesBothBitmaps32Bits) {
    SetPicture(40, 30);
    view.SetStyle(5);
    view.SetManual(true);
    view.StartTransition();
    view.SetProgress(10);
    EXPECT_EQ(view.ScreenBitmap().PixelFormat(), pfDevice);
    TPixelFormat pictureFormat = pfCustom, screenFormat = pfCustom;
    view.OnBeforeNewFrame = [&](TObject*, TBitmap& picture, TBitmap& screen) {
        pictureFormat = picture.PixelFormat();
        screenFormat = screen.PixelFormat();
    };
    view.SetStyle(119);
    view.SetProgress(20);
    EXPECT_EQ(pictureFormat, pf32bit);
    EXPECT_EQ(screenFormat, pf32bit);
    view.StopTransition();
}

TEST_F(TransitionViewTest, AutoSizeFollowsThePictureAsTheAlignmentAllows) {
    view.SetAutoSize(true);
    view.SetAlign(alTop);
    SetPicture(40, 30);
    EXPECT_EQ(view.Height(), 30);
    EXPECT_EQ(view.Width(), form.Width());
    view.SetAlign(alClient);
    SetPicture(50, 20);
    EXPECT_EQ(view.Width(), form.Width());
    EXPECT_EQ(view.Height(), form.Height());
}

TEST_F(TransitionViewTest, EveryStartedTransitionFinishesExactlyOnce) {
    SetPicture(40, 30);
    // Stopped at once, the worker may or may not have begun its body.
    for (int i = 0; i < 50; ++i) {
        view.StartTransition();
        view.StopTransition();
    }
    Application->ProcessMessages();
    EXPECT_EQ(std::count(events.begin(), events.end(), "stop"), 50);
    EXPECT_EQ(std::count(events.begin(), events.end(), "complete"), 0);
}

TEST_F(TransitionViewTest, NothingFiresWhileTheControlIsDestroyed) {
    auto doomed = std::make_unique<TTransitionView>(&form);
    int fired = 0;
    doomed->OnStop = [&](TObject*) { ++fired; };
    doomed->OnComplete = [&](TObject*) { ++fired; };
    TBitmap bitmap;
    bitmap.SetSize(40, 30);
    doomed->Picture().Assign(bitmap);
    doomed->SetDelay(50);
    doomed->StartTransition();
    ASSERT_TRUE(doomed->Busy());
    doomed.reset();
    Application->ProcessMessages();
    EXPECT_EQ(fired, 0);
}

// Many starts, stops and changes from the interface thread while workers run; under the
// thread sanitizer this is the check that the two threads share nothing unguarded.
TEST_F(TransitionViewTest, AStormOfStartsStopsAndChangesEndsCleanly) {
    const TBitmap first = Gradient(64, 48), second = Gradient(48, 64);
    view.OnProgress = nullptr;
    view.SetDelay(1);
    for (int i = 0; i < 300; ++i) {
        view.Picture().Assign(i % 2 ? first : second);
        view.SetStyle(static_cast<TShowStyle>((i * 37) % 128));
        view.SetStep(static_cast<std::uint16_t>(1 + i % 20));
        view.StartTransition();
        for (int k = 0; k < i % 4; ++k) Application->ProcessMessages();
        if (i % 3 == 0) view.SetStyle(static_cast<TShowStyle>(118 + i % 5));
        if (i % 5 == 0) view.StopTransition();
        if (i % 7 == 0) view.SetCenter(i % 2 == 0);
        view.Invalidate();
        Application->ProcessMessages();
        if (i % 2 == 0) view.StopTransition();
    }
    WaitUntilIdle();
    EXPECT_EQ(std::count(events.begin(), events.end(), "start"), std::count(events.begin(), events.end(), "stop"));
}

TEST_F(TransitionViewTest, AllStylesPlayOneAfterAnotherOnTheWorker) {
    const TBitmap pictures[2] = {Gradient(64, 48), Gradient(48, 64)};
    view.SetStep(25);
    for (int style = 0; style < 128; ++style) {
        events.clear();
        view.Picture().Assign(pictures[style % 2]);
        view.SetStyle(static_cast<TShowStyle>(style));
        view.StartTransition();
        WaitUntilIdle();
        EXPECT_EQ(events, (std::vector<std::string>{"start", "complete", "stop"})) << "style " << style;
        // The last frame is the new picture alone.
        const TBitmap& screen = view.ScreenBitmap();
        ASSERT_EQ(screen.Width(), pictures[style % 2].Width());
        EXPECT_EQ(screen.ScanLine(10)[5 * 4], 5) << "style " << style;
        EXPECT_EQ(screen.ScanLine(10)[5 * 4 + 1], 10) << "style " << style;
    }
}

// A control that draws nothing, with a watch on one area.
class WatchedControl : public TCustomControl {
public:
    WatchedControl(TWinControl* parent, const TRect& area) : TCustomControl(parent), watcher(area) {
        SetBounds(0, 0, 100, 80);
        Widget()->installEventFilter(&watcher);
    }
    AreaWatcher watcher;
};

// Another thread invalidates an area; before its flush runs, a paint reaches none of it or only
// part of it. The area is still owed, and the flush paints it.
TEST_F(TransitionViewTest, APaintElsewhereLeavesAnAreaInvalidatedMeanwhileOwed) {
    const TRect owed{10, 10, 40, 30};
    for (const QRect& elsewhere : {QRect(60, 40, 20, 20), QRect(0, 0, 15, 80)}) {
        WatchedControl control(&form, owed);
        ASSERT_TRUE(PumpUntil([&] { return control.watcher.reached.load(); }));  // shown
        control.watcher.reached = false;
        std::thread([&] { control.InvalidateRect(owed); }).join();  // its flush waits in the queue
        control.Widget()->repaint(elsewhere);
        EXPECT_TRUE(control.HasPendingUpdate());
        EXPECT_TRUE(PumpUntil([&] { return control.watcher.reached.load(); }));
        EXPECT_FALSE(control.HasPendingUpdate());
    }
}

// As a frame goes: the worker invalidates, a paint elsewhere cuts in, then the worker asks for
// what it invalidated to be painted now. Its Update returns with the area painted.
TEST_F(TransitionViewTest, AWorkersUpdatePaintsWhatAPaintElsewhereLeftOwed) {
    const TRect owed{10, 10, 40, 30};
    WatchedControl control(&form, owed);
    ASSERT_TRUE(PumpUntil([&] { return control.watcher.reached.load(); }));
    control.watcher.reached = false;
    std::atomic<bool> invalidated{false}, paintedElsewhere{false}, done{false};
    bool paintedOnUpdate = false;
    std::thread worker([&] {
        control.InvalidateRect(owed);
        invalidated = true;
        while (!paintedElsewhere) std::this_thread::yield();
        if (control.HasPendingUpdate()) control.Update();
        paintedOnUpdate = control.watcher.reached;
        done = true;
    });
    // No messages meanwhile: the worker's flush must not run before the other paint.
    while (!invalidated) std::this_thread::yield();
    control.Widget()->repaint(QRect(60, 40, 20, 20));
    paintedElsewhere = true;
    PumpUntil([&] { return done.load(); });
    worker.join();
    EXPECT_TRUE(paintedOnUpdate);
}

}  // namespace
}  // namespace pellumo
