#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "studio_dialogs.h"

class QAction;
class QMenu;
class QWidget;

namespace pellumo {

class BackgroundJob;
class PlayerLauncher;
class RecentManifests;
class StudioDocument;

// Every file of the show, the manifest first when it has one: none of them may be replaced by
// what the editor writes.
std::vector<std::string> ShowFiles(const StudioDocument& document);
// "6,5 Mo", "812 Ko": the size of a file the editor wrote, as a file manager gives it.
QString SizeText(std::int64_t bytes);

// The File menu's work: new, open, save, recent files, building the show and playing it with
// the real player. Slow work (building, extracting) runs off the interface thread on copies of
// the show, behind a progress dialog that can cancel it, never on the document itself.
// Interface thread only.
class FileController : public QObject {
    Q_OBJECT

public:
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
    QMenu* RecentFilesMenu() const;
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
    void SetProgressDelay(int milliseconds);
    // Replace the dialogs, for tests; an empty hook brings the real dialog back.
    void SetFileNameHook(StudioDialogs::FileNameHook hook) { dialogs_.SetFileNameHook(std::move(hook)); }
    void SetQuestionHook(StudioDialogs::QuestionHook hook) { dialogs_.SetQuestionHook(std::move(hook)); }

signals:
    // What was saved or built, in a line; also shown in a QMainWindow's status bar.
    void StatusMessage(const QString& text);
    // A build ended: written, or not (faults told, cancelled).
    void BuildFinished(bool written);
    void PlayerStarted(const QString& showFile);
    // The player ended, or could not start; its temporary folder is gone.
    void PlayerFinished();

private:
    void New();
    void Open();
    void OpenShow();
    void Build();
    void OpenRecent(const QString& path);
    bool SaveTo(const QString& path);

    void Tell(QMessageBox::Icon icon, const QString& text) const { dialogs_.Tell(icon, text); }
    void ShowStatus(const QString& text);
    void EnableShowActions();
    QString DocumentName() const;
    // A folder where a new file is best suggested: the manifest's, else the first picture's.
    QString SuggestedFolder() const;

    StudioDocument& document_;
    QPointer<QWidget> window_;
    StudioDialogs dialogs_;
    RecentManifests* recent_;
    BackgroundJob* job_;
    PlayerLauncher* launcher_;
    QAction* newAction_;
    QAction* openAction_;
    QAction* openShowAction_;
    QAction* saveAction_;
    QAction* saveAsAction_;
    QAction* buildAction_;
    QAction* playAction_;
    std::function<std::size_t()> playStart_;
    QString player_;
};

}  // namespace pellumo
