// A person at the show: clicks and keys delivered by Qt as a window system delivers them (to
// the window, which finds the widget under the pointer or with the focus and passes on what
// that widget ignores), not calls of the handlers.
#define QTEST_QPA_MOUSE_HANDLING
#include <QTest>
#include <QWindow>

#include "audio_files.h"
#include "player/button_glyphs.h"
#include "player/show_window.h"

namespace pellumo {
namespace {

class RealInputTest : public AnsweringShowWindowTest {
protected:
    // Six resting slides captioned "0" to "5", small in the window; the first is on screen.
    void PlaySix(const std::string& music = {}) {
        TCatalogue header;
        header.MusicFileName = music;
        std::vector<show_files::TestSlide> slides;
        for (int k = 0; k < 6; ++k)
            slides.push_back(Slide(FlatJpeg(200, 120, 40, static_cast<std::uint8_t>(40 * k), 90),
                                   std::to_string(k).c_str()));
        Play(header, slides);
        form->ImageScreen.SetDelay(1);
        form->ImageScreen.SetStep(50);
    }

    QWindow* Window() const { return form->Widget()->windowHandle(); }

    // A left click at a point of a control (its centre by default), through the window.
    void Click(const TControl& control, QPoint at = {}) {
        QTest::mouseClick(control.Widget(), Qt::LeftButton, Qt::NoModifier, at);
        WaitForTransition();
    }
    void Key(Qt::Key key, const QString& text = {}, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::sendKeyEvent(QTest::Press, Window(), key, text, modifiers);
        QTest::sendKeyEvent(QTest::Release, Window(), key, text, modifiers);
        WaitForTransition();
    }
    bool PanelShows() const { return form->PanelDiaporama.Visible(); }
    std::string Shown() const { return form->LabelComment.Caption(); }
};

TEST_F(RealInputTest, AClickOnThePictureTheCaptionOrAroundThePictureTogglesThePanelOnce) {
    PlaySix();
    const TRect picture = form->ImageScreen.PictureRect();
    const double ratio = form->PixelRatio();
    const QPoint onPicture((picture.Left + picture.Right) / 2 / ratio, (picture.Top + picture.Bottom) / 2 / ratio);
    const struct {
        const char* where;
        const TControl& control;
        QPoint at;
    } places[] = {{"picture", form->ImageScreen, onPicture},
                  {"around the picture", form->ImageScreen, QPoint(5, 40)},
                  {"caption", form->LabelComment, QPoint()}};
    for (const auto& place : places) {
        Click(place.control, place.at);
        EXPECT_TRUE(PanelShows()) << place.where;
        for (const TControl* control : std::initializer_list<const TControl*>{form, &form->ImageScreen, &form->LabelComment})
            EXPECT_EQ(control->Cursor(), crDefault) << place.where;
        Click(place.control, place.at);
        EXPECT_FALSE(PanelShows()) << place.where;
        EXPECT_EQ(form->ImageScreen.Cursor(), crNone) << place.where;
    }
    EXPECT_EQ(Shown(), "0");  // a click steps nothing
}

TEST_F(RealInputTest, APanelButtonDoesItsWorkAndTheNextClickOnThePictureStillToggles) {
    audio_files::WriteFile(folder / "air.wav", audio_files::Wav(3.0));
    PlaySix("air.wav");
    Click(form->ImageScreen);
    ASSERT_TRUE(PanelShows());

    Click(form->B_Suiv);  // slide 0 on screen, index 1: next shows slide 2
    EXPECT_EQ(Shown(), "2");
    EXPECT_FALSE(form->Timer.Enabled());
    Click(form->B_Prec);
    EXPECT_EQ(Shown(), "1");
    Click(form->B_Lec);
    EXPECT_TRUE(form->Timer.Enabled());
    Click(form->B_Pause);
    EXPECT_FALSE(form->Timer.Enabled());
    Click(form->B_Son);
    EXPECT_EQ(form->B_Son.Tag(), 0);
    Click(form->B_Son);
    EXPECT_EQ(form->B_Son.Tag(), 1);
    EXPECT_TRUE(PanelShows());
    EXPECT_EQ(form->ImageScreen.Cursor(), crDefault);

    // A click on the panel beside its buttons is nobody's: it changes nothing.
    Click(form->PanelDiaporama, QPoint(form->PanelDiaporama.Width() - 1, 12));
    EXPECT_TRUE(PanelShows());

    Click(form->LabelComment);
    EXPECT_FALSE(PanelShows());
    EXPECT_EQ(Shown(), "1");

    Click(form->ImageScreen);
    Click(form->B_Quit);
    EXPECT_FALSE(form->Showing());
    EXPECT_TRUE(asked.empty());  // the button quits without asking
}

// Every key that is not a command shows or hides the panel, whatever the keyboard: a French
// keyboard's number row and punctuation, dead keys, the keypad, the menu, print and media keys,
// and keys Qt itself cannot name.
TEST_F(RealInputTest, EveryKeyThatIsNoCommandTogglesThePanel) {
    PlaySix();
    const struct {
        Qt::Key key;
        const char* text;
        Qt::KeyboardModifiers modifiers;
    } keys[] = {
        {Qt::Key_Ampersand, "&", {}},      {Qt::Key_Eacute, "é", {}},       {Qt::Key_QuoteDbl, "\"", {}},
        {Qt::Key_Apostrophe, "'", {}},     {Qt::Key_ParenLeft, "(", {}},    {Qt::Key_Minus, "-", {}},
        {Qt::Key_Egrave, "è", {}},         {Qt::Key_Underscore, "_", {}},   {Qt::Key_Ccedilla, "ç", {}},
        {Qt::Key_Agrave, "à", {}},         {Qt::Key_ParenRight, ")", {}},   {Qt::Key_Equal, "=", {}},
        {Qt::Key_Ugrave, "ù", {}},         {Qt::Key_Dead_Circumflex, "", {}}, {Qt::Key_Dollar, "$", {}},
        {Qt::Key_Asterisk, "*", {}},       {Qt::Key_Less, "<", {}},         {Qt::Key_Comma, ",", {}},
        {Qt::Key_Semicolon, ";", {}},      {Qt::Key_Colon, ":", {}},        {Qt::Key_Exclam, "!", {}},
        {Qt::Key_Plus, "+", Qt::KeypadModifier},  {Qt::Key_Minus, "-", Qt::KeypadModifier},
        {Qt::Key_Asterisk, "*", Qt::KeypadModifier}, {Qt::Key_Slash, "/", Qt::KeypadModifier},
        {Qt::Key_Enter, "\r", Qt::KeypadModifier}, {Qt::Key_5, "5", Qt::KeypadModifier},
        {Qt::Key_Clear, "", Qt::KeypadModifier},
        {Qt::Key_Menu, "", {}},            {Qt::Key_Print, "", {}},         {Qt::Key_MediaPlay, "", {}},
        {Qt::Key_MediaNext, "", {}},       {Qt::Key_VolumeUp, "", {}},      {Qt::Key_Super_L, "", {}},
        {Qt::Key_Space, " ", {}},          {Qt::Key_Home, "", {}},          {Qt::Key_F5, "", {}},
        {Qt::Key_unknown, "", {}},
        // A modifier alone: the window system reports the state before the press, without it.
        {Qt::Key_Shift, "", {}},           {Qt::Key_Control, "", {}},       {Qt::Key_Alt, "", {}},
        {Qt::Key_AltGr, "", {}},
    };
    for (const auto& k : keys) {
        const bool before = PanelShows();
        Key(k.key, QString::fromUtf8(k.text), k.modifiers);
        EXPECT_NE(PanelShows(), before) << "key 0x" << std::hex << k.key << " " << k.text;
    }
    EXPECT_EQ(Shown(), "0");
    EXPECT_TRUE(asked.empty());
}

TEST_F(RealInputTest, TheCommandKeysStepPauseAndQuit) {
    PlaySix();
    form->B_LecClick(nullptr);  // running: slide 0 on screen, index 2
    ASSERT_TRUE(form->Timer.Enabled());
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* shown;
    } steps[] = {{Qt::Key_Right, {}, "3"},  {Qt::Key_PageUp, {}, "4"},  {Qt::Key_Up, {}, "5"},
                 {Qt::Key_Left, {}, "4"},   {Qt::Key_PageDown, {}, "3"}, {Qt::Key_Down, {}, "2"},
                 {Qt::Key_Right, Qt::KeypadModifier, "3"}, {Qt::Key_Left, Qt::KeypadModifier, "2"}};
    for (const auto& step : steps) {
        Key(step.key, {}, step.modifiers);
        EXPECT_EQ(Shown(), step.shown) << std::hex << step.key;
        EXPECT_FALSE(form->Timer.Enabled());  // stepping pauses
        EXPECT_FALSE(PanelShows());
    }

    answer = mrCancel;
    Key(Qt::Key_Escape);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Text, "Quitter le diaporama ?");
    EXPECT_EQ(asked[0].Title, "Confirmation");
    EXPECT_TRUE(form->Showing());
    answer = mrYes;
    Key(Qt::Key_Escape);
    EXPECT_FALSE(form->Showing());
}

}  // namespace
}  // namespace pellumo
