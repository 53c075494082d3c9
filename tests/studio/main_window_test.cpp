// The editor's window as a whole: slides added, two of them edited together through the panel,
// undone and redone from the keyboard, the show saved, and a close with unsaved changes asked
// about. The parts' own tests go into each; this one checks that the window joins them.
#include "main_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <QCloseEvent>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "slide_list_model.h"
#include "slide_panel.h"
#include "slide_strip.h"
#include "studio_document.h"
#include "studio_files.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

const fs::path kDemo = fs::path(PELLUMO_TEST_DATA).parent_path().parent_path() / "samples" / "demo";

TEST(MainWindowTest, SlidesAddedEditedTogetherUndoneAndSaved) {
    QTemporaryDir folder;
    MainWindow window;
    FileController& files = window.Files();
    files.SetSettingsFile(folder.filePath(QStringLiteral("settings.ini")));
    const QString manifest = folder.filePath(QStringLiteral("show.toml"));
    files.SetFileNameHook([&](FileQuestion, const QString&) { return manifest; });
    int questions = 0;
    files.SetQuestionHook([&](QMessageBox::Icon, const QString&, QMessageBox::StandardButtons) {
        ++questions;
        return QMessageBox::Cancel;
    });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QStringList pictures;
    for (const char* name : {"autumn.jpg", "by-the-water.jpg", "fallen-leaf.jpg"})
        pictures << QString::fromStdString((kDemo / name).string());
    ASSERT_TRUE(window.Strip().Slides().InsertFiles(pictures, 0));
    ASSERT_EQ(window.Strip().Slides().rowCount(), 3);
    window.Strip().SelectRows({0, 2});

    QSpinBox* duration = window.SlideEditor().DurationBox();
    duration->setFocus();
    QTest::keyClick(duration, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(duration, QStringLiteral("7"));
    QTest::keyClick(duration, Qt::Key_Return);
    const TShowDocument& show = window.Document().Show();
    EXPECT_EQ(show.Slide(0).values.duration, 7);
    EXPECT_EQ(show.Slide(1).values.duration, std::nullopt);
    EXPECT_EQ(show.Slide(2).values.duration, 7);

    QTest::keySequence(&window, QKeySequence::Undo);
    EXPECT_EQ(show.Slide(2).values.duration, std::nullopt);
    QTest::keySequence(&window, QKeySequence::Redo);
    EXPECT_EQ(show.Slide(2).values.duration, 7);

    // Unsaved: closing asks, and Annuler keeps the window.
    EXPECT_TRUE(window.isWindowModified());
    EXPECT_FALSE(window.close());
    EXPECT_EQ(questions, 1);
    EXPECT_TRUE(window.isVisible());

    QTest::keySequence(&window, QKeySequence::Save);
    std::ifstream saved(manifest.toStdString());
    const std::string text{std::istreambuf_iterator<char>(saved), std::istreambuf_iterator<char>()};
    EXPECT_EQ(text,
              "# Diaporama Pellumo : pellumo-pack build --manifest CE_FICHIER -o DIAPORAMA\n"
              "loop = true\ncopy_allowed = true\nfine_resize = false\n\n"
              "[[slides]]\npicture = \"" + (kDemo / "autumn.jpg").string() + "\"\nduration = 7\n\n"
              "[[slides]]\npicture = \"" + (kDemo / "by-the-water.jpg").string() + "\"\n\n"
              "[[slides]]\npicture = \"" + (kDemo / "fallen-leaf.jpg").string() + "\"\nduration = 7\n");
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_TRUE(window.windowTitle().startsWith(QStringLiteral("show.toml")));
    EXPECT_TRUE(window.close());
    EXPECT_EQ(questions, 1);
}

}  // namespace
}  // namespace pellumo
