// The editor's video export as a person uses it: the Show menu's action, the options dialog
// filled with the keyboard, the file named, the work off the interface thread with a progress
// dialog that cancels it, and the status bar telling what was written.
#include "video_export_controller.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include "../audio_files.h"
#include "main_window.h"
#include "modal_dialogs.h"
#include "studio_document.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

const fs::path kDemo = fs::path(PELLUMO_TEST_DATA).parent_path().parent_path() / "samples" / "demo";

QString Q(const fs::path& path) { return QString::fromStdString(path.string()); }

class VideoExportTest : public ::testing::Test {
protected:
    QTemporaryDir temporary;
    fs::path folder{temporary.path().toStdString()};
    MainWindow window;
    VideoExportController& video = window.VideoExport();
    std::deque<QString> fileAnswers;
    QStringList messages;

    void SetUp() override {
        ASSERT_TRUE(temporary.isValid());
        video.SetFileNameHook([this](FileQuestion question, const QString&) {
            EXPECT_EQ(question, FileQuestion::VideoOutput);
            if (fileAnswers.empty()) return QString();
            const QString answer = fileAnswers.front();
            fileAnswers.pop_front();
            return answer;
        });
        video.SetQuestionHook([this](QMessageBox::Icon, const QString& text, QMessageBox::StandardButtons) {
            messages << text;
            return QMessageBox::Ok;
        });
        audio_files::WriteFile(folder / "music.wav", audio_files::Wav(0.5));
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void ThreeSlides(int duration) {
        TShowDocument show;
        for (const char* name : {"fallen-leaf.jpg", "colorful-cups.jpg", "by-the-water.jpg"})
            show.InsertSlide(show.SlideCount(), {(kDemo / name).string(), {}, {}});
        TSlideValues defaults;
        defaults.duration = duration;
        show.SetDefaults(defaults);
        TShowSettings settings;
        settings.music = (folder / "music.wav").string();
        show.SetSettings(settings);
        window.Document().Replace(show, {});
    }

    // The Show menu opened and its export chosen, with the mouse.
    void ChooseExport() {
        QMenuBar* bar = window.menuBar();
        QMenu* menu = nullptr;
        for (QAction* action : bar->actions())
            if (action->text() == QStringLiteral("&Diaporama")) menu = action->menu();
        ASSERT_NE(menu, nullptr);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
        ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(video.ExportAction()).center());
    }

    // The streams' codecs, sizes and rates, as ffprobe lists them.
    QString Probed(const fs::path& file) {
        QProcess probe;
        probe.start(QStringLiteral(PELLUMO_FFPROBE),
                    {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-of"),
                     QStringLiteral("default=nw=1:nk=1"), QStringLiteral("-show_entries"),
                     QStringLiteral("stream=codec_name,width,height,r_frame_rate"), Q(file)});
        EXPECT_TRUE(probe.waitForFinished(30000));
        return QString::fromUtf8(probe.readAllStandardOutput());
    }
};

TEST_F(VideoExportTest, TheShowMenuExportsTheShowAsItStandsWithTheOptionsChosen) {
    ThreeSlides(1);
    bool filled = false;
    WhenShown<VideoExportDialog>([&filled](VideoExportDialog& dialog) {
        dialog.SizeBox()->setFocus();
        QTest::keyClick(dialog.SizeBox(), Qt::Key_End);  // the smallest screen
        dialog.FramesPerSecondBox()->setFocus();
        QTest::keyClick(dialog.FramesPerSecondBox(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(dialog.FramesPerSecondBox(), QStringLiteral("5"));
        QTest::mouseClick(dialog.Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        filled = true;
    });
    QSignalSpy finished(&video, &VideoExportController::ExportFinished);
    fileAnswers.push_back(Q(folder / "film.webm"));
    ChooseExport();
    ASSERT_TRUE(filled);
    ASSERT_TRUE(finished.wait(120000));
    ASSERT_TRUE(finished.last().at(0).toBool()) << messages.join('\n').toStdString();
    EXPECT_TRUE(window.statusBar()->currentMessage().startsWith(
        Q(folder / "film.webm") + QStringLiteral(" : 640 × 360, 5 images/s, 0:03, avec musique, ")))
        << window.statusBar()->currentMessage().toStdString();
    EXPECT_EQ(Probed(folder / "film.webm").toStdString(), "vp9\n640\n360\n5/1\nopus\n0/0\n");
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(VideoExportTest, ACancelledOrFailedExportLeavesNoFile) {
    ThreeSlides(60);
    video.SetProgressDelay(0);
    const auto acceptOptions = [] {
        WhenShown<VideoExportDialog>([](VideoExportDialog& dialog) {
            QTest::mouseClick(dialog.Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        });
    };
    bool cancelled = false;
    WhenShown<QProgressDialog>([&cancelled](QProgressDialog& dialog) {
        for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
            if (button->isVisible()) {
                QTest::mouseClick(button, Qt::LeftButton);
                cancelled = true;
            }
    });
    acceptOptions();
    QSignalSpy finished(&video, &VideoExportController::ExportFinished);
    fileAnswers.push_back(Q(folder / "film.mp4"));
    ChooseExport();
    EXPECT_TRUE(video.Busy());
    ASSERT_TRUE(finished.wait(120000));
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(finished.last().at(0).toBool());
    EXPECT_TRUE(window.statusBar()->currentMessage().contains(QStringLiteral("annulé")));

    // A folder that is not there: the failure is told, and nothing is written.
    ThreeSlides(1);
    acceptOptions();
    fileAnswers.push_back(Q(folder / "gone" / "film.mp4"));
    ChooseExport();
    ASSERT_TRUE(finished.wait(120000));
    EXPECT_FALSE(finished.last().at(0).toBool());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("gone"))) << messages[0].toStdString();
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder)) left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"music.wav"});
}

}  // namespace
}  // namespace pellumo
