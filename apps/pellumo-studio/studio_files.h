#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include <QFutureWatcher>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QAction;
class QMenu;
class QProcess;
class QProgressDialog;
class QSettings;
class QTemporaryDir;
class QWidget;

namespace pellumo {

class StudioDocument;
struct TWriteProgress;

// The file names the File menu asks for.
enum class FileQuestion {
    OpenManifest,   // an existing .toml manifest
    SaveManifest,   // where to save the manifest
    OpenShow,       // an existing show file, to be taken apart
    ExtractFolder,  // where its pictures and manifest go (a new folder, or an existing one)
    BuildOutput,    // the show file to build
};

// The File menu's work: new, open, save, recent files, building the show and playing it with
// the real player. Slow work (building, extracting) runs off the interface thread on copies of
// the show, behind a progress dialog, never on the document itself. Interface thread only.
class FileController : public QObject {
    Q_OBJECT

public:
    // The absolute path chosen, or an empty string when the person cancelled.
    using FileNameHook = std::function<QString(FileQuestion question, const QString& suggested)>;
    // The button pressed; a message that only informs is asked with QMessageBox::Ok.
    using QuestionHook =
        std::function<QMessageBox::StandardButton(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons)>;

    // Dialogs are parented to `window`; when it is a QMainWindow, its status bar tells what was
    // saved or built.
    FileController(StudioDocument& document, QWidget* window);
    // Stops the work under way (its output is left unwritten) and a player this started.
    ~FileController() override;
    FileController(const FileController&) = delete;
    FileController& operator=(const FileController&) = delete;

    QAction* NewAction() const { return newAction_; }
    QAction* OpenAction() const { return openAction_; }
    QAction* OpenShowAction() const { return openShowAction_; }
    QAction* SaveAction() const { return saveAction_; }
    QAction* SaveAsAction() const { return saveAsAction_; }
    QMenu* RecentFilesMenu() const { return recentMenu_; }
    QAction* BuildAction() const { return buildAction_; }
    // Plays from the slide that SetPlayStart names (the first one unless told).
    QAction* PlayAction() const { return playAction_; }

    // Where the Play action starts: the selected slide, as the window knows it.
    void SetPlayStart(std::function<std::size_t()> currentSlide) { playStart_ = std::move(currentSlide); }

    // Asks whether to save the unsaved changes, and saves when asked to. False when the person
    // cancelled, or the save failed: what was about to happen (closing, opening) must not.
    bool MaybeSave();
    // Opens the manifest as the document, without asking about unsaved changes. A manifest
    // with faults opens with what could be read, the faults told in one message; one that
    // cannot be read at all leaves the document as it was. False then.
    bool OpenFile(const QString& path);
    // Saves in the document's manifest; a show never saved asks where, as SaveAs.
    bool Save();
    bool SaveAs();
    // The slides from `fromSlide` to the end, played full screen by the real player in a
    // temporary folder, which is removed when the player ends. Returns at once.
    void Play(std::size_t fromSlide);

    // Manifests opened or saved, the most recent first.
    QStringList RecentFiles() const;
    bool Busy() const;     // a build, an extraction or the preparation of a play is under way
    bool Playing() const;  // a player started by Play is running

    // For tests, and for a player installed elsewhere; by default `pellumo` beside the
    // editor's own program.
    void SetPlayerProgram(const QString& player) { player_ = player; }
    QString PlayerProgram() const { return player_; }
    // Where the recent files are kept (an INI file); by default the user's settings.
    void SetSettingsFile(const QString& fileName);
    // How long work may last before its progress dialog shows (500 ms by default).
    void SetProgressDelay(int milliseconds) { progressDelay_ = milliseconds; }
    // Replace the dialogs, for tests; an empty hook brings the real dialog back.
    void SetFileNameHook(FileNameHook hook);
    void SetQuestionHook(QuestionHook hook);

signals:
    // What was saved or built, in a line; also shown in a QMainWindow's status bar.
    void StatusMessage(const QString& text);
    // A build ended: written, or not (faults told, cancelled).
    void BuildFinished(bool written);
    void PlayerStarted(const QString& showFile);
    // The player ended, or could not start; its temporary folder is gone.
    void PlayerFinished();

private:
    struct JobOutcome {
        enum Kind { jbDone, jbCancelled, jbFailed };
        Kind kind = jbFailed;
        QString message;
        std::int64_t size = 0;
    };
    using Work = std::function<std::int64_t(const TWriteProgress& progress)>;
    using Then = std::function<void(const JobOutcome& outcome)>;

    void New();
    void Open();
    void OpenShow();
    void Build();
    void OpenRecent(const QString& path);

    bool SaveTo(const QString& path);
    void AddRecent(const QString& path);
    void RemoveRecent(const QString& path);
    void FillRecentMenu();
    std::unique_ptr<QSettings> Settings() const;

    // Runs `work` on a worker thread behind the progress dialog, then `then` here.
    void RunInBackground(const QString& label, bool cancellable, Work work, Then then);
    void JobFinished();
    void PlayerEnded();

    QString AskFileName(FileQuestion question, const QString& suggested);
    QMessageBox::StandardButton Ask(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons);
    void Tell(QMessageBox::Icon icon, const QString& text) { Ask(icon, text, QMessageBox::Ok); }
    void ShowStatus(const QString& text);
    QString DocumentName() const;
    // A folder where a new file is best suggested: the manifest's, else the first picture's.
    QString SuggestedFolder() const;

    StudioDocument& document_;
    QPointer<QWidget> window_;
    QAction* newAction_;
    QAction* openAction_;
    QAction* openShowAction_;
    QAction* saveAction_;
    QAction* saveAsAction_;
    QMenu* recentMenu_;
    QAction* buildAction_;
    QAction* playAction_;
    std::function<std::size_t()> playStart_;

    QString player_;
    QString settingsFile_;
    int progressDelay_ = 500;
    FileNameHook fileNameHook_;
    QuestionHook questionHook_;

    // One dialog for every job, kept for the controller's life: its setValue runs events, in
    // which the job may end, so it must never be deleted while a job uses it.
    QProgressDialog* progress_;
    bool ownsWidgets_;  // without a window, the dialog and the menu have no other owner
    QFutureWatcher<JobOutcome> watcher_;
    std::shared_ptr<std::atomic<bool>> cancel_;  // the running job's
    bool cancelled_ = false;                     // the running job was cancelled from the dialog
    Then then_;

    std::unique_ptr<QTemporaryDir> playFolder_;
    QProcess* playerProcess_ = nullptr;
};

}  // namespace pellumo
