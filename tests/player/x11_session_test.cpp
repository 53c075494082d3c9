// The show under a real X server, steered through the server's own input (xdotool's pointer
// and keys), as a person at the machine does. ctest runs these
// under Xvfb; on Qt's offscreen platform they skip.
#include <QAbstractButton>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

#include "dialog_hooks.h"
#include "message_pump.h"
#include "modal_dialogs.h"
#include "player/show_window.h"

namespace pellumo {
namespace {

int Xdotool(const std::string& arguments) { return std::system(("xdotool " + arguments + " >/dev/null").c_str()); }

std::string CommandOutput(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
        ::pclose(pipe);
    }
    return output;
}

// Counts the events of the given types that a widget receives.
class TEventCounter : public QObject {
public:
    TEventCounter(QWidget& widget, std::initializer_list<QEvent::Type> types, int& count)
        : widget_(widget), types_(types), count_(count) {
        widget_.installEventFilter(this);
    }
    ~TEventCounter() override { widget_.removeEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (std::find(types_.begin(), types_.end(), event->type()) != types_.end()) ++count_;
        return false;
    }

private:
    QWidget& widget_;
    std::vector<QEvent::Type> types_;
    int& count_;
};

class X11SessionTest : public ShowWindowTest {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X server: ctest runs this under Xvfb";
        ShowWindowTest::SetUp();
    }

    bool PanelShows() const { return form->PanelDiaporama.Visible(); }
    std::string Shown() const { return form->LabelComment.Caption(); }

    // A left click of the X server's pointer at the centre of a control.
    void ClickOn(const TControl& control) {
        const QPoint at = control.Widget()->mapToGlobal(control.Widget()->rect().center());
        ASSERT_EQ(Xdotool("mousemove --sync " + std::to_string(at.x()) + " " + std::to_string(at.y()) + " click 1"),
                  0);
    }
};

TEST_F(X11SessionTest, ThePointerAndAFrenchKeyboardSteerTheShow) {
    std::vector<show_files::TestSlide> slides;
    for (int k = 0; k < 4; ++k)
        slides.push_back(Slide(FlatJpeg(200, 120, 40, static_cast<std::uint8_t>(60 * k), 90), std::to_string(k).c_str()));
    Play(TCatalogue{}, slides);
    form->ImageScreen.SetDelay(1);
    const std::string window = std::to_string(form->Widget()->winId());
    ASSERT_EQ(Xdotool("windowfocus --sync " + window), 0);

    // The show has no taskbar button.
    EXPECT_NE(CommandOutput("xprop -id " + window + " _NET_WM_STATE").find("_NET_WM_STATE_SKIP_TASKBAR"),
              std::string::npos);

    // A click on the picture shows the panel and the pointer.
    ClickOn(form->ImageScreen);
    EXPECT_TRUE(PumpUntil([&] { return PanelShows(); }, 5.0));
    EXPECT_EQ(form->ImageScreen.Cursor(), crDefault);

    // A click on "next" steps on and the panel stays.
    ClickOn(form->B_Suiv);
    EXPECT_TRUE(PumpUntil([&] { return Shown() == "2"; }, 5.0));
    EXPECT_TRUE(PanelShows());

    // Keys that have no code of their own toggle the panel: those of a French keyboard's number
    // row and punctuation (xdotool lends a spare key to a character the server's layout lacks),
    // and those that take Shift here, whose Shift alone toggles it too.
    int toggles = 0;
    TEventCounter panelShownOrHidden(*form->PanelDiaporama.Widget(), {QEvent::Show, QEvent::Hide}, toggles);
    const struct {
        const char* key;
        int toggles;
    } keys[] = {{"eacute", 1},    {"egrave", 1},   {"ccedilla", 1},  {"agrave", 1},    {"ugrave", 1},
                {"dead_circumflex", 1}, {"apostrophe", 1}, {"minus", 1}, {"equal", 1}, {"comma", 1},
                {"semicolon", 1}, {"ampersand", 2}, {"quotedbl", 2}, {"parenleft", 2}, {"underscore", 2},
                {"exclam", 2},    {"colon", 2},    {"dollar", 2},    {"asterisk", 2},  {"KP_Add", 1},
                {"KP_Multiply", 1}, {"Menu", 1},   {"Print", 1},     {"XF86AudioPlay", 1}};
    for (const auto& k : keys) {
        toggles = 0;
        ASSERT_EQ(Xdotool(std::string("key ") + k.key), 0);
        EXPECT_TRUE(PumpUntil([&] { return toggles >= k.toggles; }, 5.0)) << k.key;
        PumpUntil([] { return false; }, 0.05);  // nothing more comes
        EXPECT_EQ(toggles, k.toggles) << k.key;
    }
    EXPECT_EQ(Shown(), "2");

    // Escape asks in French, in a box of the show's window; Escape again answers "Annuler".
    SetDialogHook(nullptr);
    QWidget* parent = nullptr;
    QString title, text;
    QStringList buttons;
    bool asked = false, forced = false;
    WhenShown<QMessageBox>([&](QMessageBox& box) {
        asked = true;
        parent = box.parentWidget();
        title = box.windowTitle();
        text = box.text();
        for (const QAbstractButton* button : box.buttons()) buttons << button->text();
        // There is no window manager to give the new box the focus: the test does.
        Xdotool("windowfocus --sync " + std::to_string(box.winId()) + " key Escape");
        QTimer::singleShot(5000, &box, [&box, &forced] {  // so that a box deaf to Escape fails, not hangs
            forced = true;
            box.reject();
        });
    });
    ASSERT_EQ(Xdotool("key Escape"), 0);
    EXPECT_TRUE(PumpUntil([&] { return asked && QApplication::activeModalWidget() == nullptr; }, 10.0));
    FailOnUnexpectedDialogs();
    EXPECT_FALSE(forced);
    EXPECT_EQ(parent, form->Widget());
    EXPECT_EQ(title, QStringLiteral("Confirmation"));
    EXPECT_EQ(text, QStringLiteral("Quitter le diaporama ?"));
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("&Oui"), QStringLiteral("Annuler")}));
    EXPECT_TRUE(form->Showing());

    // A right click on the picture opens the menu in French and leaves the panel as it was.
    const bool panel = PanelShows();
    QStringList items;
    auto* poll = new QTimer(form->Widget());
    QObject::connect(poll, &QTimer::timeout, [&items, poll] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) return;
        poll->stop();
        for (const QAction* action : menu->actions()) items << action->text();
        Xdotool("key Escape");
    });
    poll->start(10);
    const QPoint picture = form->ImageScreen.Widget()->mapToGlobal(form->ImageScreen.Widget()->rect().center());
    ASSERT_EQ(Xdotool("mousemove --sync " + std::to_string(picture.x()) + " " + std::to_string(picture.y()) +
                      " click 3"),
              0);
    EXPECT_TRUE(PumpUntil([&] { return !items.isEmpty() && QApplication::activePopupWidget() == nullptr; }, 10.0));
    delete poll;
    EXPECT_TRUE(items.contains(QStringLiteral("A propos de..."))) << items.join(u',').toStdString();
    EXPECT_TRUE(items.contains(QStringLiteral("Quitter le diaporama"))) << items.join(u',').toStdString();
    EXPECT_EQ(PanelShows(), panel);

    // The right arrow still steps on.
    ASSERT_EQ(Xdotool("key Right"), 0);
    EXPECT_TRUE(PumpUntil([&] { return Shown() == "3"; }, 5.0));
}

// The plain player, as built, carries no show: started, it says so in an error box of its own
// (no show window behind it), and ends with an error once the box is answered.
TEST_F(X11SessionTest, ThePlainPlayerSaysItCarriesNoShowAndEnds) {
    const std::string player = (std::filesystem::path(PELLUMO_PACK).parent_path() / "pellumo").string();
    if (!std::filesystem::exists(player)) GTEST_SKIP() << player << " is not built";
    char* const arguments[] = {const_cast<char*>(player.c_str()), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, player.c_str(), nullptr, nullptr, arguments, environ), 0);
    const std::string own = "xdotool search --all --onlyvisible --pid " + std::to_string(pid) + " --name ";

    std::string box;
    for (int k = 0; k < 100 && box.empty(); ++k) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        box = CommandOutput(own + "'^Pellumo$'");
    }
    EXPECT_FALSE(box.empty()) << "no box titled Pellumo";
    EXPECT_EQ(CommandOutput(own + "'^Diaporama$'"), "");
    if (!box.empty()) Xdotool("windowfocus --sync " + box.substr(0, box.find('\n')) + " key Return");

    int status = 0;
    pid_t ended = ::waitpid(pid, &status, WNOHANG);
    for (int k = 0; k < 100 && ended == 0; ++k) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ended = ::waitpid(pid, &status, WNOHANG);
    }
    if (ended == 0) {
        ::kill(pid, SIGKILL);  // ours, started above
        ::waitpid(pid, &status, 0);
        FAIL() << "the player did not end";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
}

}  // namespace
}  // namespace pellumo
