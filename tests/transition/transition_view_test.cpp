#include "transition/transition_view.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/application.h"
#include "platform/form.h"

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

}  // namespace
}  // namespace pellumo
