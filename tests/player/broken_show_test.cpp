// Shows that are damaged, or change under the player: it never crashes or hangs, passes over
// the slides it cannot read as if it had shown them, and the user can still step, play and quit.
#include <fstream>
#include <random>

#include "base/file_stream.h"
#include "platform/dialogs.h"
#include "player/show_window.h"

namespace pellumo {
namespace {

class BrokenShowTest : public ShowWindowTest {
protected:
    int messages = 0;

    void SetUp() override {
        ShowWindowTest::SetUp();
        // "No show here" and the quit question; Oui to the latter.
        SetDialogHook([this](const TDialogRequest&) {
            ++messages;
            return mrYes;
        });
    }

    std::vector<show_files::TestSlide> ThreeSlides() const {
        return {Slide(FlatJpeg(64, 48, 200, 0, 0), "rouge"), Slide(FlatJpeg(64, 48, 0, 200, 0), "vert"),
                Slide(FlatJpeg(64, 48, 0, 0, 200), "bleu")};
    }

    std::string ShowBytes() {
        const std::string path = (folder / "good").string();
        show_files::WriteShowFile(path, TCatalogue{}, ThreeSlides());
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    void WriteBytes(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }

    // Opens the program file as the player does, uses every command a user has, and quits.
    void OpenUseAndQuit(const std::string& bytes) {
        const std::string path = (folder / "show").string();
        WriteBytes(path, bytes);
        Application->SetExeName(path);
        form = &Application->CreateForm<TMainForm>();
        form->SetBounds(0, 0, 320, 240);
        form->Show();
        for (int k = 0; k < 5; ++k) form->TimerTimer(&form->Timer);
        form->B_SuivClick(nullptr);
        form->B_PrecClick(nullptr);
        form->B_LecClick(nullptr);
        form->TimerTimer(&form->Timer);
        form->B_PauseClick(nullptr);
        Quit();
    }

    void Quit() {
        std::uint16_t escape = VK_ESCAPE;
        form->FormKeyDown(form, escape, 0);
        Application->ProcessMessages();
        EXPECT_FALSE(form->Showing());
        Application->DestroyForm(*form);
        form = nullptr;
    }
};

TEST_F(BrokenShowTest, ATruncatedShowPlaysWhatItCanAtEveryCut) {
    const std::string bytes = ShowBytes();
    for (std::size_t cut = 0; cut < bytes.size(); cut += 61) {
        SCOPED_TRACE(cut);
        OpenUseAndQuit(bytes.substr(0, cut));
    }
}

TEST_F(BrokenShowTest, GarbageInTheCatalogueNeverCrashes) {
    const std::string bytes = ShowBytes();
    std::mt19937 random(20261208);
    for (int round = 0; round < 60; ++round) {
        std::string damaged = bytes;
        // The catalogue lies at the end (slide records between the pictures, the header, the
        // trailer): hit it there, and now and then anywhere.
        const std::size_t span = round % 4 == 0 ? damaged.size() : 400;
        for (int hit = 0; hit < 8; ++hit) {
            const std::size_t at = damaged.size() - 1 - random() % span;
            damaged[at] = static_cast<char>(random());
        }
        SCOPED_TRACE(round);
        OpenUseAndQuit(damaged);
    }
}

TEST_F(BrokenShowTest, NoiseInsteadOfAPictureIsPassedOverAfterItsTime) {
    std::vector<show_files::TestSlide> slides = ThreeSlides();
    for (int k = 0; k < 3; ++k) slides[k].Entry.Duration = 2 + k;
    std::vector<std::uint8_t>& middle = slides[1].Jpeg;
    std::mt19937 random(7);
    for (std::size_t k = 160; k < middle.size(); ++k) middle[k] = static_cast<std::uint8_t>(random());  // header kept
    Play(TCatalogue{}, slides);
    form->ImageScreen.SetDelay(1);
    const auto centre = [this] { return Screen().pixel(Physical(320), Physical(225)); };
    ASSERT_EQ(form->LabelComment.Caption(), "rouge");
    EXPECT_TRUE(Near(centre(), 200, 0, 0));
    EXPECT_EQ(form->Timer.Interval(), 2000u);

    // The first slide's time is up: the second cannot be read, so the screen stays as it was
    // and the second slide's time runs.
    form->TimerTimer(&form->Timer);
    Application->ProcessMessages();
    EXPECT_FALSE(form->ImageScreen.Busy());
    EXPECT_EQ(form->LabelComment.Caption(), "rouge");
    EXPECT_TRUE(Near(centre(), 200, 0, 0));
    EXPECT_EQ(form->CurrentIndex(), 2);
    EXPECT_TRUE(form->Timer.Enabled());
    EXPECT_EQ(form->Timer.Interval(), 3000u);

    // Then the third comes.
    form->TimerTimer(&form->Timer);
    WaitForTransition();
    EXPECT_EQ(form->LabelComment.Caption(), "bleu");
    EXPECT_TRUE(Near(centre(), 0, 0, 200));
    EXPECT_EQ(form->Timer.Interval(), 4000u);

    // Stepping back onto it moves there, paused, and the user can step on.
    form->B_PrecClick(nullptr);
    WaitForTransition();
    form->B_PrecClick(nullptr);
    EXPECT_EQ(form->CurrentIndex(), 1);
    EXPECT_FALSE(form->Timer.Enabled());
    EXPECT_EQ(form->LabelComment.Caption(), "bleu");
    form->B_SuivClick(nullptr);
    WaitForTransition();
    EXPECT_EQ(form->LabelComment.Caption(), "bleu");
    EXPECT_EQ(form->CurrentIndex(), 2);
    Quit();
}

TEST_F(BrokenShowTest, AShowOverwrittenWhilePlayingGoesOnQuietly) {
    Play(TCatalogue{}, ThreeSlides());
    ASSERT_EQ(form->LabelComment.Caption(), "rouge");
    const std::string path = Application->ExeName();
    // Copied over in place, as `cp` does: the open file now holds other bytes.
    WriteBytes(path, std::string(100, 'x'));
    form->TimerTimer(&form->Timer);
    EXPECT_EQ(form->LabelComment.Caption(), "rouge");  // the screen keeps what it had
    EXPECT_EQ(form->CurrentIndex(), 2);                 // and the show went on, resting there
    form->B_SuivClick(nullptr);
    form->B_PrecClick(nullptr);
    form->B_LecClick(nullptr);
    form->TimerTimer(&form->Timer);
    EXPECT_EQ(form->LabelComment.Caption(), "rouge");
    Quit();
}

}  // namespace
}  // namespace pellumo
