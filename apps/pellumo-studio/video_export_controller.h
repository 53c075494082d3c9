#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "studio_dialogs.h"
#include "video_export_dialog.h"

class QAction;
class QWidget;

namespace pellumo {

class BackgroundJob;
class StudioDocument;

// The show filmed into a video file as it stands, saved or not: the options asked, then the
// file's name, then the work done off the interface thread on a copy of the show, behind a
// progress dialog that can cancel it. The status bar of a QMainWindow tells what was written.
// Interface thread only.
class VideoExportController : public QObject {
    Q_OBJECT

public:
    VideoExportController(StudioDocument& document, QWidget* window);
    // Stops the export under way, which then leaves no file.
    ~VideoExportController() override;
    VideoExportController(const VideoExportController&) = delete;
    VideoExportController& operator=(const VideoExportController&) = delete;

    QAction* ExportAction() const { return exportAction_; }
    bool Busy() const;

    // How long work may last before its progress dialog shows (500 ms by default).
    void SetProgressDelay(int milliseconds);
    // Replace the dialogs, for tests; an empty hook brings the real dialog back.
    void SetFileNameHook(StudioDialogs::FileNameHook hook) { dialogs_.SetFileNameHook(std::move(hook)); }
    void SetQuestionHook(StudioDialogs::QuestionHook hook) { dialogs_.SetQuestionHook(std::move(hook)); }

signals:
    // What was written, in a line; also shown in a QMainWindow's status bar.
    void StatusMessage(const QString& text);
    // An export ended: written, or not (failed, cancelled).
    void ExportFinished(bool written);

private:
    void Export();
    void ShowStatus(const QString& text);

    StudioDocument& document_;
    QPointer<QWidget> window_;
    StudioDialogs dialogs_;
    BackgroundJob* job_;
    QAction* exportAction_;
    VideoExportOptions options_;  // the last asked for, offered again
};

}  // namespace pellumo
