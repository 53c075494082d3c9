// The side panels edit the selected slides and the show through what a person does with the
// mouse and the keyboard, each change one step of the history.
#include <gtest/gtest.h>

#include <filesystem>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include "../audio_files.h"
#include "show_settings_panel.h"
#include "slide_panel.h"
#include "studio_document.h"

namespace pellumo {
namespace {

class PanelsTest : public ::testing::Test {
protected:
    StudioDocument document;
    SlidePanel panel{document};

    void SetUp() override {
        TShowDocument show;
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) show.InsertSlide(show.SlideCount(), {name, {}, {}});
        document.Replace(show, {});
        panel.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    }

    const TSlideValues& Own(std::size_t row) const { return document.Show().Slide(row).values; }

    void Type(QWidget* field, const QString& text) {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        // Letters beyond ASCII come as the keyboard sends them: a key event carrying the text.
        for (const QChar letter : text) {
            QTest::sendKeyEvent(QTest::Press, field, Qt::Key_unknown, QString(letter), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, field, Qt::Key_unknown, QString(letter), Qt::NoModifier);
        }
        QTest::keyClick(field, Qt::Key_Return);
    }
};

TEST_F(PanelsTest, AnEditSetsEverySelectedSlideInOneStep) {
    panel.SetSelection({0, 2});
    Type(panel.DurationBox(), QStringLiteral("8"));
    EXPECT_EQ(Own(0).duration, 8);
    EXPECT_EQ(Own(1).duration, std::nullopt);
    EXPECT_EQ(Own(2).duration, 8);
    document.UndoStack().undo();
    EXPECT_EQ(Own(0).duration, std::nullopt);
    EXPECT_EQ(Own(2).duration, std::nullopt);
    EXPECT_EQ(panel.DurationBox()->value(), 5);  // the panel follows the history

    // Slides whose captions differ show none until one is typed for them all.
    document.ChangeSlides({0}, [](TSlideValues& v) { v.caption = "Plage"; }, {});
    EXPECT_EQ(panel.CaptionEdit()->text(), QString());
    EXPECT_FALSE(panel.CaptionEdit()->placeholderText().isEmpty());
    Type(panel.CaptionEdit(), QStringLiteral("Été"));
    EXPECT_EQ(Own(0).caption, "Été");
    EXPECT_EQ(Own(2).caption, "Été");

    panel.StyleBox()->setFocus();
    QTest::keyClick(panel.StyleBox(), Qt::Key_Down);
    EXPECT_EQ(Own(0).style, 57);
    EXPECT_EQ(Own(2).style, 57);

    panel.chooseColor = [](QColor, const QString&) { return std::optional(QColor(255, 0, 0)); };
    QTest::mouseClick(panel.BackColorButton(), Qt::LeftButton);
    EXPECT_EQ(Own(0).backColor, RGB(255, 0, 0));
    QTest::mouseClick(panel.FramedBox(), Qt::LeftButton);
    EXPECT_EQ(Own(2).frameColor, TFrameColor::Of(clWhite));
    EXPECT_EQ(Own(1), TSlideValues{});
    EXPECT_EQ(document.UndoStack().count(), 5);
}

// "Everywhere" makes the value the default and lets every slide take it, in one step.
TEST_F(PanelsTest, ApplyingToAllSlidesMakesTheValueTheDefault) {
    document.ChangeSlides({1}, [](TSlideValues& v) { v.duration = 3; }, {});
    panel.SetSelection({0});
    Type(panel.DurationBox(), QStringLiteral("9"));
    QTest::mouseClick(panel.ApplyToAllButton("duration"), Qt::LeftButton);
    EXPECT_EQ(document.Show().Defaults().duration, 9);
    for (std::size_t row = 0; row < 3; ++row) EXPECT_EQ(Own(row).duration, std::nullopt) << row;
    document.UndoStack().undo();
    EXPECT_EQ(document.Show().Defaults().duration, std::nullopt);
    EXPECT_EQ(Own(0).duration, 9);
    EXPECT_EQ(Own(1).duration, 3);
}

TEST_F(PanelsTest, TheShowsSettingsAreEditedAndUndone) {
    ShowSettingsPanel settings(document);
    settings.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&settings));
    settings.chooseMusic = [] { return QStringLiteral("/musique/mer.ogg"); };
    QTest::mouseClick(settings.ChooseMusicButton(), Qt::LeftButton);
    QTest::mouseClick(settings.LoopBox(), Qt::LeftButton);
    QTest::mouseClick(settings.ColorManagementBox(), Qt::LeftButton);
    QTest::mouseClick(settings.PortableBox(), Qt::LeftButton);
    Type(settings.QualityBox(), QStringLiteral("75"));
    const TShowSettings& now = document.Show().Settings();
    EXPECT_EQ(now.music, "/musique/mer.ogg");
    EXPECT_FALSE(now.loop);
    EXPECT_FALSE(now.colorManagement);
    EXPECT_TRUE(now.portable);
    EXPECT_EQ(now.jpegQuality, 75);
    EXPECT_TRUE(document.IsModified());
    while (document.UndoStack().canUndo()) document.UndoStack().undo();
    EXPECT_EQ(document.Show().Settings(), TShowSettings{});
    EXPECT_TRUE(settings.LoopBox()->isChecked());
    EXPECT_TRUE(settings.ColorManagementBox()->isChecked());
    EXPECT_FALSE(settings.PortableBox()->isChecked());
    EXPECT_EQ(settings.MusicEdit()->text(), QString());
    EXPECT_FALSE(document.IsModified());
}

// The music is heard through the player's own music device (a dummy one here), once to its
// end; a file that is no music says why beside the button, which springs back.
TEST_F(PanelsTest, TheMusicIsListenedToUntilItEndsOrIsStopped) {
    const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "ecoute";
    std::filesystem::create_directories(folder);
    audio_files::WriteFile(folder / "mer.wav", audio_files::Wav(0.3));
    audio_files::WriteFile(folder / "pas-musique.wav", {'n', 'o', 'n'});
    ShowSettingsPanel settings(document);
    settings.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&settings));
    EXPECT_FALSE(settings.ListenButton()->isEnabled());  // no music yet

    settings.chooseMusic = [&] { return QString::fromStdString((folder / "mer.wav").string()); };
    QTest::mouseClick(settings.ChooseMusicButton(), Qt::LeftButton);
    QTest::mouseClick(settings.ListenButton(), Qt::LeftButton);
    EXPECT_TRUE(settings.ListenButton()->isChecked());
    EXPECT_TRUE(settings.MusicProblem()->isHidden());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !settings.ListenButton()->isChecked(); }, 5000));

    QTest::mouseClick(settings.ListenButton(), Qt::LeftButton);
    QTest::mouseClick(settings.ListenButton(), Qt::LeftButton);  // stopped by hand
    EXPECT_FALSE(settings.ListenButton()->isChecked());

    settings.chooseMusic = [&] { return QString::fromStdString((folder / "pas-musique.wav").string()); };
    QTest::mouseClick(settings.ChooseMusicButton(), Qt::LeftButton);
    QTest::mouseClick(settings.ListenButton(), Qt::LeftButton);
    EXPECT_FALSE(settings.ListenButton()->isChecked());
    EXPECT_FALSE(settings.MusicProblem()->isHidden());
    EXPECT_TRUE(settings.MusicProblem()->text().contains(QStringLiteral("pas-musique.wav"))) << settings.MusicProblem()->text().toStdString();
}

}  // namespace
}  // namespace pellumo
