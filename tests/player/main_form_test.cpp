#include "player/main_form.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <unistd.h>

#include "base/ansi_text.h"
#include "base/file_stream.h"
#include "base/memory_stream.h"
#include "dialog_hooks.h"
#include "platform/application.h"
#include "player/catalogue.h"
#include "player/show_file.h"

namespace pellumo {
namespace {

struct SlideSetup {
    const char* caption;
    TColor backColor;
    std::int32_t duration = 5;
    bool corrupt = false;  // bytes that are no JPEG
};

std::vector<std::uint8_t> JpegBytes() {
    TMemoryStream file;
    file.LoadFromFile(std::string(PELLUMO_TEST_DATA) + "/jpeg/colour_16x16.jpg");
    return file.Bytes();
}

// A program file of the test's own: some bytes standing for the player, then the show.
class MainFormTest : public ::testing::Test {
protected:
    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   ("pellumo-main-form-" + std::to_string(::getpid()));
    TMainForm* form = nullptr;

    void SetUp() override { std::filesystem::create_directories(folder); }
    void TearDown() override {
        if (form != nullptr) Application->DestroyForm(*form);
        FailOnUnexpectedDialogs();
        std::filesystem::remove_all(folder);
    }

    void Start(const std::vector<SlideSetup>& slides, bool loop, const std::string& music = {}) {
        const std::string path = (folder / "show").string();
        TCatalogue header;
        header.LoopShow = loop;
        header.MusicFileName = music;
        std::vector<show_files::TestSlide> written;
        for (const SlideSetup& setup : slides) {
            show_files::TestSlide& slide = written.emplace_back();
            slide.Entry.Caption.Assign(Utf8ToAnsi(setup.caption));  // the show stores Windows-1252
            slide.Entry.BackColor = setup.backColor;
            slide.Entry.CaptionColor = RGB(1, 2, 3);
            slide.Entry.Duration = setup.duration;
            slide.Jpeg = setup.corrupt ? std::vector<std::uint8_t>(300, 0x5A) : JpegBytes();
        }
        show_files::WriteShowFile(path, header, written);
        Application->SetExeName(path);
        form = &Application->CreateForm<TMainForm>();
    }

    // What the window shows: the caption of the slide on screen.
    std::string Shown() const { return form->LabelComment.Caption(); }
};

std::vector<SlideSetup> ThreeSlides() {
    return {{"zéro", RGB(10, 0, 0)}, {"un", RGB(20, 0, 0)}, {"deux", RGB(30, 0, 0)}};
}

TEST_F(MainFormTest, TicksShowTheSlidesInOrderAndStopAfterTheLastWithoutLoop) {
    Start(ThreeSlides(), false);
    EXPECT_EQ(form->LastIndex(), 2);
    form->FormShow(form);
    EXPECT_TRUE(form->Timer.Enabled());
    EXPECT_EQ(form->Timer.Interval(), 1u);  // the first slide comes at once
    const char* expected[] = {"zéro", "un", "deux"};
    for (int k = 0; k < 3; ++k) {
        form->TimerTimer(&form->Timer);
        EXPECT_EQ(Shown(), expected[k]);
        EXPECT_EQ(form->Color(), RGB(static_cast<std::uint8_t>(10 * (k + 1)), 0, 0));
        EXPECT_EQ(form->LabelComment.Font().Color(), RGB(1, 2, 3));
        EXPECT_EQ(form->Timer.Interval(), 5000u);
        EXPECT_TRUE(form->Timer.Enabled());
        EXPECT_EQ(form->CurrentIndex(), k + 1);
        ASSERT_NE(form->WorkBitmap(), nullptr);
        EXPECT_EQ(form->WorkBitmap()->Width(), 16);
    }
    form->TimerTimer(&form->Timer);
    EXPECT_FALSE(form->Timer.Enabled());
    EXPECT_EQ(Shown(), "deux");  // the last slide stays
    // Play after the end starts again at slide 0, one interval later.
    form->B_LecClick(nullptr);
    EXPECT_EQ(form->CurrentIndex(), 0);
    EXPECT_TRUE(form->Timer.Enabled());
    form->TimerTimer(&form->Timer);
    EXPECT_EQ(Shown(), "zéro");
}

TEST_F(MainFormTest, WithLoopTheShowStartsAgain) {
    Start(ThreeSlides(), true);
    for (int k = 0; k < 4; ++k) form->TimerTimer(&form->Timer);
    EXPECT_EQ(Shown(), "zéro");
    EXPECT_TRUE(form->Timer.Enabled());
    EXPECT_EQ(form->CurrentIndex(), 1);
}

TEST_F(MainFormTest, PreviousAndNextPauseOnTheSlideTheyShow) {
    Start({{"0", 0}, {"1", 0}, {"2", 0}, {"3", 0}, {"4", 0}}, false);
    form->TimerTimer(&form->Timer);
    form->TimerTimer(&form->Timer);  // slide 1 on screen, index 2
    form->B_SuivClick(nullptr);      // passes over slide 2
    EXPECT_EQ(Shown(), "3");
    EXPECT_EQ(form->CurrentIndex(), 3);
    EXPECT_FALSE(form->Timer.Enabled());
    form->B_PrecClick(nullptr);
    EXPECT_EQ(Shown(), "2");
    form->B_LecClick(nullptr);  // the slide after the one on screen comes next
    EXPECT_EQ(form->CurrentIndex(), 3);
    EXPECT_TRUE(form->Timer.Enabled());
    form->B_LecClick(nullptr);  // while running, play passes over one more slide
    EXPECT_EQ(form->CurrentIndex(), 4);
    form->B_PauseClick(nullptr);
    EXPECT_FALSE(form->Timer.Enabled());

    form->B_SuivClick(nullptr);  // at the last slide: only pauses
    EXPECT_EQ(form->CurrentIndex(), 4);
    EXPECT_EQ(Shown(), "2");
    form->B_LecClick(nullptr);  // past the last: back to 0
    EXPECT_EQ(form->CurrentIndex(), 0);
    form->Timer.SetEnabled(true);
    form->B_PrecClick(nullptr);  // at slide 0: only pauses
    EXPECT_EQ(form->CurrentIndex(), 0);
    EXPECT_FALSE(form->Timer.Enabled());
}

TEST_F(MainFormTest, PauseThenPlayPassesOverOneSlide) {
    Start({{"0", 0}, {"1", 0}, {"2", 0}, {"3", 0}}, false);
    form->TimerTimer(&form->Timer);  // slide 0
    form->B_PauseClick(nullptr);
    form->B_LecClick(nullptr);
    form->TimerTimer(&form->Timer);
    EXPECT_EQ(Shown(), "2");
}

TEST_F(MainFormTest, ASlideThatCannotBeReadIsPassedOverAfterItsTime) {
    Start({{"bon", RGB(5, 5, 5)}, {"cassé", RGB(6, 6, 6), 7, true}, {"après", 0}}, true);
    form->TimerTimer(&form->Timer);
    form->TimerTimer(&form->Timer);
    EXPECT_EQ(Shown(), "bon");  // the screen keeps what it had
    EXPECT_EQ(form->Color(), RGB(5, 5, 5));
    EXPECT_EQ(form->CurrentIndex(), 2);  // and the show goes on after the failed slide's time
    EXPECT_TRUE(form->Timer.Enabled());
    EXPECT_EQ(form->Timer.Interval(), 7000u);
    form->TimerTimer(&form->Timer);
    EXPECT_EQ(Shown(), "après");
    form->B_PrecClick(nullptr);  // stepping onto it moves there, paused, showing nothing new
    form->B_PrecClick(nullptr);
    EXPECT_EQ(form->CurrentIndex(), 1);
    EXPECT_EQ(Shown(), "après");
    EXPECT_FALSE(form->Timer.Enabled());
    form->B_PrecClick(nullptr);
    EXPECT_EQ(Shown(), "bon");
    form->B_SuivClick(nullptr);
    EXPECT_EQ(form->CurrentIndex(), 1);
    EXPECT_EQ(Shown(), "bon");
    form->B_LecClick(nullptr);  // play passes over one slide, as ever
    form->TimerTimer(&form->Timer);
    EXPECT_EQ(Shown(), "après");
}

// Nothing but the timer moves a show on, broken slides or not: with every slide broken the
// real message loop brings the first tick, then waits the slide's time (or rests on it).
TEST_F(MainFormTest, AShowOfBrokenSlidesIsPacedByTheirDurations) {
    for (const std::int32_t duration : {5, 0}) {
        SCOPED_TRACE(duration);
        Start({{"a", 0, duration, true}, {"b", 0, duration, true}}, true);
        int ticks = 0;
        form->Timer.OnTimer = [&](TObject* sender) {
            ++ticks;
            form->TimerTimer(sender);
        };
        form->FormShow(form);
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
        while (std::chrono::steady_clock::now() < until) Application->ProcessMessages();
        EXPECT_EQ(ticks, 1);
        EXPECT_EQ(form->CurrentIndex(), 1);
        EXPECT_TRUE(form->Timer.Enabled());
        EXPECT_EQ(form->Timer.Interval(), static_cast<unsigned>(duration) * 1000u);
        EXPECT_EQ(Shown(), "");
        Application->DestroyForm(*form);
        form = nullptr;
    }
}

TEST_F(MainFormTest, ADurationOfZeroRestsOnTheSlide) {
    Start({{"repos", 0, 0}, {"jamais", 0}}, false);
    form->FormShow(form);
    form->TimerTimer(&form->Timer);
    EXPECT_TRUE(form->Timer.Enabled());
    EXPECT_EQ(form->Timer.Interval(), 0u);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(150);
    while (std::chrono::steady_clock::now() < until) Application->ProcessMessages();
    EXPECT_EQ(Shown(), "repos");
}

TEST_F(MainFormTest, AnEmptyShowStopsAtTheFirstTick) {
    Start({}, true);
    EXPECT_EQ(form->LastIndex(), -1);
    form->FormShow(form);
    form->TimerTimer(&form->Timer);
    EXPECT_FALSE(form->Timer.Enabled());
    form->B_SuivClick(nullptr);
    form->B_PrecClick(nullptr);
    form->B_LecClick(nullptr);
    form->TimerTimer(&form->Timer);
    EXPECT_FALSE(form->Timer.Enabled());
}

TEST_F(MainFormTest, AnEmptyCaptionHidesTheCaptionLine) {
    Start({{"", 0}, {"texte", 0}}, false);
    form->TimerTimer(&form->Timer);
    EXPECT_FALSE(form->LabelComment.Visible());
    form->TimerTimer(&form->Timer);
    EXPECT_TRUE(form->LabelComment.Visible());
}

TEST_F(MainFormTest, TheMusicNameIsDecodedBesideTheProgram) {
    Start({{"x", 0}}, false, "f\xEAte \x80.ogg");
    EXPECT_EQ(form->MusicPath(), (folder / "fête €.ogg").string());
}

// The player's entry ends the program when the window finds no show (HasShow false).
TEST_F(MainFormTest, AProgramWithoutAShowSaysSoInAnErrorBoxAndHasNothingToPlay) {
    const std::string bare = (folder / "bare").string();
    {
        TFileStream file(bare, fmCreate);
        const std::uint8_t bytes[8] = {1, 2, 3, 4, 0xFF, 0xFF, 0xFF, 0x7F};  // trailer far past the end
        file.WriteBuffer(bytes, sizeof bytes);
    }
    std::error_code error;
    const std::string plainProgram = std::filesystem::read_symlink("/proc/self/exe", error).string();
    ASSERT_FALSE(error);
    Application->SetTitle("Pellumo");
    for (const std::string& path : {bare, plainProgram}) {
        SCOPED_TRACE(path);
        std::vector<TDialogRequest> asked;
        SetDialogHook([&](const TDialogRequest& request) {
            asked.push_back(request);
            return mrOk;
        });
        Application->SetExeName(path);
        form = &Application->CreateForm<TMainForm>();
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].Title, "Pellumo");
        EXPECT_EQ(asked[0].Text, "Ce fichier ne contient pas de diaporama");
        EXPECT_EQ(asked[0].Type, mtError);
        EXPECT_EQ(asked[0].Buttons, mbOK);
        EXPECT_FALSE(form->HasShow());
        EXPECT_EQ(form->LastIndex(), -1);
        form->TimerTimer(&form->Timer);  // harmless, were anything to call it
        EXPECT_FALSE(form->Timer.Enabled());
        EXPECT_EQ(asked.size(), 1u);
        Application->DestroyForm(*form);
        form = nullptr;
    }
}

// The whole road: a show made by the authoring tool, played by the real message loop.
TEST_F(MainFormTest, AShowBuiltByTheToolRunsItsTicksAndClosesCleanly) {
    const std::string show = (folder / "built-show").string();
    const std::string data = std::string(PELLUMO_TEST_DATA) + "/jpeg/";
    const std::string command = std::string(PELLUMO_PACK) + " build -o '" + show + "' --player '" + PELLUMO_PACK +
                                "' --duration 1 --no-loop --caption 'Été' --caption-color '#102030'" +
                                " --back-color '#405060' '" + data + "colour_16x16.jpg' '" + data +
                                "gray_16x16.jpg'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    Application->SetExeName(show);
    form = &Application->CreateForm<TMainForm>();
    ASSERT_TRUE(form->HasShow());  // a show appended to a real program
    ASSERT_EQ(form->LastIndex(), 1);

    std::vector<int> seen;
    TTimer probe;
    probe.SetInterval(250);
    probe.OnTimer = [&](TObject*) {
        seen.push_back(form->CurrentIndex());
        if (seen.size() == 12) form->Close();
    };
    Application->Run();  // returns when the form closes
    EXPECT_FALSE(form->Showing());
    EXPECT_FALSE(form->Timer.Enabled());
    EXPECT_EQ(Shown(), "Été");
    EXPECT_EQ(form->Color(), RGB(0x40, 0x50, 0x60));
    EXPECT_EQ(form->LabelComment.Font().Color(), RGB(0x10, 0x20, 0x30));
    // The first slide at once, the second a second later, then the end of the show.
    ASSERT_EQ(seen.size(), 12u);
    EXPECT_EQ(seen.front(), 1);
    EXPECT_EQ(seen.back(), 2);
    EXPECT_EQ(form->WorkBitmap()->PixelFormat(), pf8bit);  // the gray picture came last
}

// A long show described by a manifest plays every slide in order, each with its own caption.
TEST_F(MainFormTest, AManifestOfTwoHundredSlidesPlaysThemAll) {
    const std::string data = std::string(PELLUMO_TEST_DATA) + "/jpeg/";
    std::string manifest = "loop = false\n[defaults]\nduration = 1\n";
    for (int k = 0; k < 200; ++k)
        manifest += "[[slides]]\npicture = \"" + data + (k % 2 ? "gray_16x16.jpg" : "colour_16x16.jpg") +
                    "\"\ncaption = \"n° " + std::to_string(k) + "\"\n";
    TFileStream((folder / "show.toml").string(), fmCreate).WriteBuffer(manifest.data(), manifest.size());
    const std::string show = (folder / "long-show").string();
    const std::string command = std::string(PELLUMO_PACK) + " build --manifest '" + (folder / "show.toml").string() +
                                "' -o '" + show + "' --player '" + PELLUMO_PACK + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    Application->SetExeName(show);
    form = &Application->CreateForm<TMainForm>();
    ASSERT_EQ(form->LastIndex(), 199);
    form->FormShow(form);
    for (int k = 0; k < 200; ++k) {
        form->TimerTimer(&form->Timer);
        ASSERT_EQ(Shown(), "n° " + std::to_string(k));
        ASSERT_NE(form->WorkBitmap(), nullptr);
        EXPECT_EQ(form->WorkBitmap()->PixelFormat(), k % 2 ? pf8bit : pf24bit) << k;
    }
    form->TimerTimer(&form->Timer);
    EXPECT_FALSE(form->Timer.Enabled());
}

// A camera turned a quarter clockwise: the show holds the picture upright, as it plays.
TEST_F(MainFormTest, ARotatedCameraPicturePlaysUpright) {
    const std::string show = (folder / "turned").string();
    const std::string command = std::string(PELLUMO_PACK) + " build -o '" + show + "' --player '" + PELLUMO_PACK +
                                "' '" + PELLUMO_TEST_DATA + "/jpeg/orientation_6_mm_16x16.jpg'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    Application->SetExeName(show);
    form = &Application->CreateForm<TMainForm>();
    form->TimerTimer(&form->Timer);
    TBitmap picture;
    picture.Assign(*form->WorkBitmap());
    picture.SetPixelFormat(pf24bit);
    // The file's quadrants are red, green over blue, white; upright, blue is top left.
    const auto near = [&](int x, int y, int red, int green, int blue) {
        const std::uint8_t* p = picture.ScanLine(y) + 3 * x;
        return std::abs(p[2] - red) < 16 && std::abs(p[1] - green) < 16 && std::abs(p[0] - blue) < 16;
    };
    EXPECT_TRUE(near(4, 4, 30, 50, 220));
    EXPECT_TRUE(near(12, 4, 200, 30, 40));
    EXPECT_TRUE(near(4, 12, 250, 250, 250));
    EXPECT_TRUE(near(12, 12, 20, 180, 60));
}

}  // namespace
}  // namespace pellumo
