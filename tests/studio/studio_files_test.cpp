// The File menu as a person uses it: save and open manifests, build the show as pellumo-pack
// does, cancel a build from its dialog, answer the unsaved-changes question, reopen recent
// files, open a built show, and play from a slide with the real player. File names and
// questions are answered by the controller's hooks; clicks and keys go through Qt's delivery.
#include "studio_files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include <QAbstractButton>
#include <QMainWindow>
#include <QMenu>
#include <QProcess>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include "authoring/show_reading.h"
#include "modal_dialogs.h"
#include "studio_document.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

const fs::path kDemo = fs::path(PELLUMO_TEST_DATA).parent_path().parent_path() / "samples" / "demo";

std::string Contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

QString Q(const fs::path& path) { return QString::fromStdString(path.string()); }

// pellumo-pack run as a person runs it; its output on failure.
void Pack(const QStringList& arguments) {
    QProcess pack;
    pack.start(QStringLiteral(PELLUMO_PACK), arguments);
    ASSERT_TRUE(pack.waitForFinished(120000));
    ASSERT_EQ(pack.exitCode(), 0) << pack.readAllStandardError().toStdString();
}

class FileControllerTest : public ::testing::Test {
protected:
    QTemporaryDir temporary;
    fs::path folder{temporary.path().toStdString()};
    StudioDocument document;
    QMainWindow window;
    FileController* files = new FileController(document, &window);  // the window's child

    // What the hooks are to answer, in order, and what they were asked.
    std::deque<std::pair<FileQuestion, QString>> fileAnswers;
    std::vector<std::pair<FileQuestion, QString>> fileQuestions;  // with the suggestion
    std::deque<QMessageBox::StandardButton> answers;
    QStringList questions;  // those with a choice
    QStringList messages;   // those that only inform

    void SetUp() override {
        ASSERT_TRUE(temporary.isValid());
        files->SetSettingsFile(Q(folder / "settings.ini"));
        files->SetPlayerProgram(QStringLiteral(PELLUMO_PLAYER));
        files->SetFileNameHook([this](FileQuestion question, const QString& suggested) {
            fileQuestions.emplace_back(question, suggested);
            if (fileAnswers.empty()) {
                ADD_FAILURE() << "unexpected file question, suggesting " << suggested.toStdString();
                return QString();
            }
            const auto [expected, answer] = fileAnswers.front();
            fileAnswers.pop_front();
            EXPECT_EQ(question, expected);
            return answer;
        });
        files->SetQuestionHook([this](QMessageBox::Icon, const QString& text, QMessageBox::StandardButtons buttons) {
            if (buttons == QMessageBox::Ok) {
                messages << text;
                return QMessageBox::Ok;
            }
            questions << text;
            if (answers.empty()) {
                ADD_FAILURE() << "unexpected question: " << text.toStdString();
                return QMessageBox::Cancel;
            }
            const QMessageBox::StandardButton answer = answers.front();
            answers.pop_front();
            EXPECT_TRUE(buttons & answer);
            return answer;
        });
    }

    // Two of the demo photographs copied beside where the manifest will be.
    std::vector<TDocumentSlide> Photos() {
        fs::create_directories(folder / "photos");
        fs::copy_file(kDemo / "fallen-leaf.jpg", folder / "photos" / "leaf.jpg");
        fs::copy_file(kDemo / "colorful-cups.jpg", folder / "photos" / "cups.jpg");
        TDocumentSlide leaf{(folder / "photos" / "leaf.jpg").string(), {}, {}};
        leaf.values.caption = "Feuille";
        TDocumentSlide cups{(folder / "photos" / "cups.jpg").string(), {}, {}};
        cups.values.frameColor = TFrameColor::None();
        return {leaf, cups};
    }

    // A show made with the editor's own edits.
    void MakeShow() {
        document.InsertSlides(0, Photos(), QStringLiteral("Ajouter"));
        document.ChangeSettings([](TShowSettings& settings) { settings.loop = false; }, QStringLiteral("Boucle"));
        document.ChangeDefaults(
            [](TSlideValues& defaults) {
                defaults.duration = 3;
                defaults.caption = "Vacances";
            },
            QStringLiteral("Défauts"));
    }

    void SaveAs(const fs::path& manifest) {
        fileAnswers.emplace_back(FileQuestion::SaveManifest, Q(manifest));
        files->SaveAsAction()->trigger();
    }

    void ShowWindow() {
        for (QAction* action : {files->NewAction(), files->OpenAction(), files->SaveAction(), files->PlayAction()})
            window.addAction(action);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
};

TEST_F(FileControllerTest, SavesTheManifestTextAndOpensItAgainAsTheSameShow) {
    MakeShow();
    ShowWindow();
    ASSERT_TRUE(document.IsModified());
    // Never saved: Ctrl+S asks where, as Save As does.
    fileAnswers.emplace_back(FileQuestion::SaveManifest, Q(folder / "vacances"));
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(fileAnswers.empty());
    const fs::path manifest = folder / "vacances.toml";
    EXPECT_EQ(Contents(manifest),
              "# Diaporama Pellumo : pellumo-pack build --manifest CE_FICHIER -o DIAPORAMA\n"
              "loop = false\ncopy_allowed = true\nfine_resize = false\n"
              "\n[defaults]\nduration = 3\ncaption = \"Vacances\"\n"
              "\n[[slides]]\npicture = \"photos/leaf.jpg\"\ncaption = \"Feuille\"\n"
              "\n[[slides]]\npicture = \"photos/cups.jpg\"\nframe_color = \"none\"\n");
    EXPECT_FALSE(document.IsModified());
    EXPECT_EQ(document.FilePath(), Q(manifest));

    const TShowDocument saved = document.Show();
    StudioDocument reopened;
    FileController other(reopened, nullptr);
    ASSERT_TRUE(other.OpenFile(Q(manifest)));
    EXPECT_TRUE(reopened.Show() == saved);
    EXPECT_FALSE(reopened.IsModified());
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(FileControllerTest, AManifestWithFaultsOpensWithWhatCouldBeReadAndTellsEveryFault) {
    fs::create_directories(folder / "photos");
    fs::copy_file(kDemo / "fallen-leaf.jpg", folder / "photos" / "leaf.jpg");
    std::ofstream(folder / "faulty.toml") << "loop = false\nspeed = 3\n"
                                             "[[slides]]\npicture = \"photos/leaf.jpg\"\nduration = -2\n"
                                             "[[slides]]\npicture = \"photos/gone.jpg\"\n";
    ASSERT_TRUE(files->OpenFile(Q(folder / "faulty.toml")));
    // The slide whose picture is gone stays, to be given another one.
    ASSERT_EQ(document.Show().SlideCount(), 2u);
    EXPECT_EQ(document.Show().Slide(1).picture, (folder / "photos" / "gone.jpg").string());
    EXPECT_FALSE(document.Show().Settings().loop);
    EXPECT_FALSE(document.Show().Slide(0).values.duration.has_value());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("speed"))) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("gone.jpg"))) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral(":5"))) << messages[0].toStdString();  // the duration's line

    // A manifest that cannot be read at all leaves the show as it was.
    std::ofstream(folder / "broken.toml") << "loop = = true\n";
    EXPECT_FALSE(files->OpenFile(Q(folder / "broken.toml")));
    EXPECT_EQ(document.Show().SlideCount(), 2u);
    EXPECT_EQ(document.FilePath(), Q(folder / "faulty.toml"));
    EXPECT_EQ(messages.size(), 2);
}

TEST_F(FileControllerTest, BuildsTheSameBytesAsPellumoPackFromTheSavedManifest) {
    MakeShow();
    SaveAs(folder / "vacances.toml");
    fs::create_directories(folder / "out");
    const fs::path output = folder / "out" / "editor";
    QSignalSpy built(files, &FileController::BuildFinished);
    QSignalSpy status(files, &FileController::StatusMessage);
    fileAnswers.emplace_back(FileQuestion::BuildOutput, Q(output));
    files->BuildAction()->trigger();
    ASSERT_TRUE(built.wait(60000));
    ASSERT_TRUE(built.last().at(0).toBool()) << messages.join('\n').toStdString();
    EXPECT_EQ(fileQuestions.back().second, Q(folder / "vacances"));  // beside the manifest, named after it
    EXPECT_TRUE(status.last().at(0).toString().startsWith(Q(output) + QStringLiteral(" : 2 diapositives, ")))
        << status.last().at(0).toString().toStdString();
    EXPECT_EQ(window.statusBar()->currentMessage(), status.last().at(0).toString());

    const fs::path packed = folder / "out" / "pack";
    Pack({QStringLiteral("build"), QStringLiteral("--manifest"), Q(folder / "vacances.toml"), QStringLiteral("-o"),
          Q(packed), QStringLiteral("--player"), QStringLiteral(PELLUMO_PLAYER)});
    EXPECT_TRUE(Contents(output) == Contents(packed));
    EXPECT_EQ(fs::status(output).permissions() & fs::perms::owner_exec, fs::perms::owner_exec);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(FileControllerTest, ABuildCancelledFromItsDialogLeavesNoFile) {
    // Enough large photographs that the build is still at work when the click lands.
    std::vector<TDocumentSlide> slides;
    for (int i = 0; i < 100; ++i)
        for (const char* name : {"autumn.jpg", "by-the-water.jpg"}) slides.push_back({(kDemo / name).string(), {}, {}});
    document.InsertSlides(0, slides, QStringLiteral("Ajouter"));
    ShowWindow();
    fs::create_directories(folder / "out");
    const fs::path output = folder / "out" / "show";
    files->SetProgressDelay(0);
    QSignalSpy built(files, &FileController::BuildFinished);
    QSignalSpy status(files, &FileController::StatusMessage);
    bool clicked = false;
    WhenShown<QProgressDialog>([&clicked](QProgressDialog& dialog) {
        for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
            if (button->isVisible()) {
                QTest::mouseClick(button, Qt::LeftButton);
                clicked = true;
            }
    });
    fileAnswers.emplace_back(FileQuestion::BuildOutput, Q(output));
    files->BuildAction()->trigger();
    EXPECT_TRUE(files->Busy());
    ASSERT_TRUE(built.wait(60000));
    EXPECT_TRUE(clicked);
    EXPECT_FALSE(built.last().at(0).toBool());
    EXPECT_FALSE(files->Busy());
    EXPECT_TRUE(fs::is_empty(folder / "out"));  // neither the show nor its temporary file
    EXPECT_TRUE(status.last().at(0).toString().contains(QStringLiteral("annulée")));
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(FileControllerTest, NewAsksAboutUnsavedChangesAndCancelKeepsTheShow) {
    ShowWindow();
    QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);  // nothing to save: no question
    EXPECT_TRUE(questions.isEmpty());

    document.InsertSlides(0, {{(kDemo / "autumn.jpg").string(), {}, {}}}, QStringLiteral("Ajouter"));
    answers.push_back(QMessageBox::Cancel);
    QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0], QStringLiteral("Enregistrer les modifications de « Sans titre » ?"));
    EXPECT_EQ(document.Show().SlideCount(), 1u);
    EXPECT_TRUE(document.IsModified());

    answers.push_back(QMessageBox::Discard);
    QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(questions.size(), 2);
    EXPECT_EQ(document.Show().SlideCount(), 0u);
    EXPECT_FALSE(document.IsModified());
}

TEST_F(FileControllerTest, RecentFilesListTheLatestFirstKeepEightAndDropMissingOnes) {
    MakeShow();
    for (int i = 1; i <= 9; ++i) SaveAs(folder / ("show" + std::to_string(i) + ".toml"));
    files->OpenFile(Q(folder / "show5.toml"));
    QStringList expected;
    for (int i : {5, 9, 8, 7, 6, 4, 3, 2}) expected << Q(folder / ("show" + std::to_string(i) + ".toml"));
    EXPECT_EQ(files->RecentFiles(), expected);

    // The menu as it opens; a file gone since is dropped when chosen, with a word why.
    fs::remove(folder / "show8.toml");
    QMenu* menu = files->RecentFilesMenu();
    menu->popup(QPoint(0, 0));
    ASSERT_EQ(menu->actions().size(), 8);
    EXPECT_EQ(menu->actions()[2]->data().toString(), expected[2]);
    menu->actions()[2]->trigger();
    menu->hide();
    expected.removeAt(2);
    EXPECT_EQ(files->RecentFiles(), expected);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("show8.toml")));
    EXPECT_EQ(document.FilePath(), Q(folder / "show5.toml"));
}

TEST_F(FileControllerTest, OpensABuiltShowThroughAFolderOfItsPicturesAndManifest) {
    MakeShow();
    SaveAs(folder / "vacances.toml");
    fs::create_directories(folder / "shows");
    const fs::path show = folder / "shows" / "vacances";
    Pack({QStringLiteral("build"), QStringLiteral("--manifest"), Q(folder / "vacances.toml"), QStringLiteral("-o"), Q(show),
          QStringLiteral("--player"), QStringLiteral(PELLUMO_PLAYER)});
    document.Replace(TShowDocument(), QString());

    const fs::path extracted = folder / "shows" / "vacances (extrait)";
    fileAnswers.emplace_back(FileQuestion::OpenShow, Q(show));
    fileAnswers.emplace_back(FileQuestion::ExtractFolder, Q(extracted));
    QSignalSpy opened(&document, &StudioDocument::FilePathChanged);
    files->OpenShowAction()->trigger();
    ASSERT_TRUE(opened.wait(30000)) << messages.join('\n').toStdString();
    EXPECT_EQ(fileQuestions.back().second, Q(extracted));  // suggested beside the show, named after it
    EXPECT_EQ(document.FilePath(), Q(extracted / "show.toml"));
    EXPECT_FALSE(document.IsModified());
    ASSERT_EQ(document.Show().SlideCount(), 2u);
    EXPECT_EQ(document.Show().Slide(0).picture, (extracted / "slide-001.jpg").string());
    EXPECT_EQ(Contents(extracted / "slide-001.jpg"), Contents(folder / "photos" / "leaf.jpg"));
    EXPECT_EQ(document.Show().Slide(0).values.caption, "Feuille");
    EXPECT_EQ(document.Show().Slide(1).values.caption, "Vacances");
    EXPECT_FALSE(document.Show().Settings().loop);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(FileControllerTest, PlaysFromTheGivenSlideWithTheRealPlayerAndCleansUpAfterIt) {
    MakeShow();
    QSignalSpy started(files, &FileController::PlayerStarted);
    QSignalSpy finished(files, &FileController::PlayerFinished);
    files->Play(1);  // the player runs offscreen, as this program does (QT_QPA_PLATFORM)
    ASSERT_TRUE(started.wait(30000)) << messages.join('\n').toStdString();
    const std::string show = started.last().at(0).toString().toStdString();
    EXPECT_EQ(ReadShowFile(show).Slides.size(), 1u);  // the second slide to the end
    EXPECT_TRUE(files->Playing());
    EXPECT_FALSE(files->PlayAction()->isEnabled());

    auto* player = files->findChild<QProcess*>();
    ASSERT_NE(player, nullptr);
    ASSERT_EQ(::kill(static_cast<pid_t>(player->processId()), SIGTERM), 0);
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_FALSE(fs::exists(fs::path(show).parent_path()));
    EXPECT_FALSE(files->Playing());
    EXPECT_TRUE(files->PlayAction()->isEnabled());
}

}  // namespace
}  // namespace pellumo
