// The keys, clicks, menu items and dialogs of the running show.
#include <QApplication>
#include <QKeyEvent>
#include <csignal>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>
#include <iterator>

#include "player/show_window.h"
#include "raster/bitmap.h"

namespace pellumo {
namespace {

class UserCommandsTest : public AnsweringShowWindowTest {
protected:
    std::vector<TSaveDialogRequest> saveAsked;
    std::optional<std::string> typed;

    void SetUp() override {
        AnsweringShowWindowTest::SetUp();
        SetSaveDialogHook([this](const TSaveDialogRequest& request) {
            saveAsked.push_back(request);
            return typed;
        });
    }
    void TearDown() override {
        SetSaveDialogHook(nullptr);
        AnsweringShowWindowTest::TearDown();
    }

    // Six resting slides captioned "0" to "5"; the first is on screen.
    void PlaySix(bool copyAllowed) {
        TCatalogue header;
        header.CopyAllowed = copyAllowed;
        std::vector<show_files::TestSlide> slides;
        for (int k = 0; k < 6; ++k)
            slides.push_back(Slide(FlatJpeg(320, 200, 40, static_cast<std::uint8_t>(40 * k), 90),
                                   std::to_string(k).c_str(), k == 1));
        Play(header, slides);
        form->ImageScreen.SetDelay(1);  // quick transitions: the tests are about the commands
        form->ImageScreen.SetStep(20);
    }

    void Press(std::uint16_t key, TShiftState shift = 0) {
        form->KeyDown(key, shift);
        WaitForTransition();
    }
    std::string Shown() const { return form->LabelComment.Caption(); }
    bool PanelShows() const { return form->PanelDiaporama.Visible(); }
};

std::string Contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(UserCommandsTest, KeysStepTogglePanelAndPointerWhateverTheModifiers) {
    PlaySix(false);
    EXPECT_FALSE(PanelShows());
    EXPECT_EQ(form->ImageScreen.Cursor(), crNone);

    // Space through the real keyboard route: Qt's event, the form's preview.
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(form->Widget(), &space);
    EXPECT_TRUE(PanelShows());
    for (TControl* control : std::initializer_list<TControl*>{form, &form->ImageScreen, &form->LabelComment})
        EXPECT_EQ(control->Cursor(), crDefault);
    Press(VK_SPACE);
    EXPECT_FALSE(PanelShows());
    EXPECT_EQ(form->Cursor(), crNone);
    EXPECT_EQ(form->LabelComment.Cursor(), crNone);

    Press(VK_CONTROL, ssCtrl);  // a modifier alone is any other key
    EXPECT_TRUE(PanelShows());
    for (const std::uint16_t key : {VK_RETURN, VK_HOME, VK_END, VK_F1, std::uint16_t{'A'}, VK_SHIFT, VK_MENU}) {
        const bool before = PanelShows();
        Press(key, ssAlt);
        EXPECT_NE(PanelShows(), before) << key;
    }

    // Slide 0 on screen, index 1: forward passes over slide 1, as next always does.
    const struct {
        std::uint16_t key;
        const char* shown;
    } steps[] = {{VK_RIGHT, "2"}, {VK_PRIOR, "3"}, {VK_UP, "4"}, {VK_LEFT, "3"}, {VK_NEXT, "2"}, {VK_DOWN, "1"}};
    for (const TShiftState shift : {TShiftState{0}, TShiftState{ssShift | ssCtrl | ssAlt}}) {
        if (shift != 0) {  // back to slide 0 shown by a tick, index 1
            form->B_PrecClick(nullptr);
            form->TimerTimer(&form->Timer);
            WaitForTransition();
        }
        for (const auto& step : steps) {
            const bool panel = PanelShows();
            Press(step.key, shift);
            EXPECT_EQ(Shown(), step.shown) << step.key << " shift " << int(shift);
            EXPECT_EQ(PanelShows(), panel);
            EXPECT_FALSE(form->Timer.Enabled());
        }
    }
    EXPECT_TRUE(asked.empty());
}

TEST_F(UserCommandsTest, EscapeAsksAndOnlyYesQuits) {
    PlaySix(false);
    form->B_LecClick(nullptr);
    ASSERT_TRUE(form->Timer.Enabled());
    const unsigned interval = form->Timer.Interval();
    answer = mrCancel;
    Press(VK_ESCAPE);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Text, "Quitter le diaporama ?");
    EXPECT_EQ(asked[0].Title, "Confirmation");
    EXPECT_EQ(asked[0].Buttons, mbYes | mbCancel);
    EXPECT_TRUE(form->Showing());
    EXPECT_TRUE(form->Timer.Enabled());
    EXPECT_EQ(form->Timer.Interval(), interval);
    EXPECT_FALSE(PanelShows());

    answer = mrYes;
    std::uint16_t escape = VK_ESCAPE;
    form->KeyDown(escape, ssShift);
    EXPECT_FALSE(form->Showing());
    EXPECT_FALSE(form->Timer.Enabled());
    EXPECT_EQ(form->ImageScreen.Picture().Graphic(), nullptr);  // closed through FormClose
}

TEST_F(UserCommandsTest, TheMenuOffersCopyOnlyWhenTheShowAllowsIt) {
    PlaySix(false);
    std::vector<std::string> shown;
    for (const TMenuItem* item : form->ImageScreen.PopupMenu()->Items())
        if (item->Visible()) shown.push_back(item->Caption());
    EXPECT_EQ(shown, (std::vector<std::string>{"A propos de...", "-", "Quitter le diaporama"}));

    // Ctrl+C is then two ordinary keys: both toggle the panel, and nothing is saved.
    Press(VK_CONTROL, ssCtrl);
    Press('C', ssCtrl);
    EXPECT_FALSE(PanelShows());
    EXPECT_TRUE(saveAsked.empty());

    form->Aproposde.Click();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Text, "Programme \"Diaporama\" de Quillard");
    EXPECT_EQ(asked[0].Title, "Information");
    EXPECT_EQ(asked[0].Buttons, mbOK);
    form->Quitter1.Click();
    EXPECT_FALSE(form->Showing());
}

TEST_F(UserCommandsTest, SavingACopyAsksBeforeReplacingAndWritesTheFramedBitmap) {
    PlaySix(true);
    ASSERT_TRUE(form->Copier_Image.Visible());
    EXPECT_EQ(form->Copier_Image.ShortCut(), 16451);
    form->TimerTimer(&form->Timer);  // slide 1, framed
    WaitForTransition();
    ASSERT_TRUE(form->Timer.Enabled() || form->Timer.Interval() == 0);

    const std::filesystem::path target = folder / "a.jpg";
    std::ofstream(target) << "older";
    typed = target.string();
    answer = mrCancel;
    form->Copier_Image.Click();
    ASSERT_EQ(saveAsked.size(), 1u);
    EXPECT_EQ(saveAsked[0].Filter, "Images JPEG|*.jpg");
    EXPECT_EQ(saveAsked[0].DefaultExt, "jpg");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Text, "le fichier < a.jpg > existe déjà,\r\récrasez le fichier existant ?");
    EXPECT_EQ(asked[0].Buttons, mbYes | mbCancel);
    EXPECT_EQ(Contents(target), "older");

    answer = mrYes;
    form->Copier_Image.Click();
    const std::string saved = Contents(target);
    ASSERT_EQ(saved.substr(0, 2), "BM");
    TBitmap copy;
    copy.LoadFromFile(target.string());
    const TPicture& picture = form->ImageScreen.Picture();
    EXPECT_EQ(copy.Width(), picture.Width());
    EXPECT_EQ(copy.Height(), picture.Height());
    copy.SetPixelFormat(pf24bit);
    const std::uint8_t* corner = copy.ScanLine(0);
    EXPECT_EQ(RGB(corner[2], corner[1], corner[0]), kFrame);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 2);

    // A name typed without extension gets the default one; through Ctrl+C this time.
    typed = (folder / "b").string();
    Press('C', ssCtrl);
    EXPECT_EQ(Contents(folder / "b.jpg").substr(0, 2), "BM");
    typed.reset();  // a cancelled dialog writes nothing
    form->Copier_Image.Click();
    EXPECT_EQ(saveAsked.size(), 4u);
}

TEST_F(UserCommandsTest, SavingWhileTheShowRunsPausesItAndPlayPassesOverOneSlide) {
    PlaySix(true);
    form->B_LecClick(nullptr);  // running; slide 0 on screen, index 2
    ASSERT_TRUE(form->Timer.Enabled());
    typed = (folder / "c.jpg").string();
    form->Copier_Image.Click();
    EXPECT_FALSE(form->Timer.Enabled());
    EXPECT_EQ(Contents(folder / "c.jpg").substr(0, 2), "BM");
    form->B_LecClick(nullptr);
    form->TimerTimer(&form->Timer);
    EXPECT_EQ(Shown(), "3");
}

TEST_F(UserCommandsTest, AFailedSaveKeepsTheOldFileAndSaysWhy) {
    PlaySix(true);
    const std::filesystem::path blocked = folder / "not-a-folder";
    std::ofstream(blocked) << "a file";
    typed = (blocked / "copy.jpg").string();
    form->Copier_Image.Click();  // the menu's error handling shows the failure
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Text, "Impossible de créer le fichier " + *typed);
    EXPECT_EQ(Contents(blocked), "a file");
}

// A disk that fills up while the copy is written: the old file stays whole, the platform's
// message says what failed, and no temporary file is left behind.
TEST_F(UserCommandsTest, AFullDiskKeepsTheOldFileWhole) {
    PlaySix(true);
    const std::filesystem::path target = folder / "full.jpg";
    std::ofstream(target) << "older";
    typed = target.string();
    answer = mrYes;
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);  // a failed write, not a killed process
    rlimit full = saved;
    full.rlim_cur = 1000;  // the picture is some 600 KB
    ::setrlimit(RLIMIT_FSIZE, &full);
    form->Copier_Image.Click();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    ASSERT_EQ(asked.size(), 2u);  // the overwrite question, then the failure
    EXPECT_EQ(asked[1].Text, "Erreur d'écriture dans le flux");
    EXPECT_EQ(Contents(target), "older");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 2);
}

// A folder the user may not write in; root may write anywhere, so the test gives up its
// rights while it saves.
TEST_F(UserCommandsTest, AReadOnlyFolderIsReportedAndItsFileKept) {
    PlaySix(true);
    const std::filesystem::path locked = folder / "locked";
    std::filesystem::create_directory(locked);
    std::ofstream(locked / "copy.jpg") << "older";
    std::filesystem::permissions(locked, std::filesystem::perms(0555));
    typed = (locked / "copy.jpg").string();
    answer = mrYes;
    const bool root = ::geteuid() == 0;
    ASSERT_TRUE(!root || ::seteuid(65534) == 0);
    form->Copier_Image.Click();
    ASSERT_TRUE(!root || ::seteuid(0) == 0);
    std::filesystem::permissions(locked, std::filesystem::perms(0755));
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].Text, "Impossible de créer le fichier " + *typed);
    EXPECT_EQ(Contents(locked / "copy.jpg"), "older");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(locked), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace pellumo
