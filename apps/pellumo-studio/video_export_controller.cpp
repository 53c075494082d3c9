#include "video_export_controller.h"

#include <exception>
#include <memory>
#include <string>

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QStatusBar>
#include <QStringList>

#include "authoring/output_guard.h"
#include "background_job.h"
#include "studio_document.h"
#include "studio_files.h"
#include "video/video_export.h"

namespace pellumo {

VideoExportController::VideoExportController(StudioDocument& document, QWidget* window)
    : QObject(window),
      document_(document),
      window_(window),
      dialogs_(window),
      job_(new BackgroundJob(window, this)),
      exportAction_(new QAction(tr("Exporter une &vidéo…"), this)) {
    exportAction_->setStatusTip(tr("Filmer le diaporama tel que le lecteur le montre dans un fichier vidéo (MP4 ou WebM)"));
    connect(exportAction_, &QAction::triggered, this, &VideoExportController::Export);
    connect(job_, &BackgroundJob::Started, this, [this] { exportAction_->setEnabled(false); });
    connect(job_, &BackgroundJob::Ended, this, [this] { exportAction_->setEnabled(true); });
}

// The work's Then reaches this: the job goes before the rest of it.
VideoExportController::~VideoExportController() { delete job_; }

bool VideoExportController::Busy() const { return job_->Busy(); }
void VideoExportController::SetProgressDelay(int milliseconds) { job_->SetProgressDelay(milliseconds); }

void VideoExportController::ShowStatus(const QString& text) {
    if (auto* mainWindow = qobject_cast<QMainWindow*>(window_.data())) mainWindow->statusBar()->showMessage(text);
    emit StatusMessage(text);
}

void VideoExportController::Export() {
    if (Busy()) return;
    if (document_.Show().SlideCount() == 0) {
        dialogs_.Tell(QMessageBox::Information, tr("Le diaporama n'a encore aucune diapositive."));
        return;
    }
    VideoExportDialog dialog(options_, window_);
    if (dialog.exec() != QDialog::Accepted) return;
    options_ = dialog.Options();

    const QFileInfo manifest(document_.FilePath());
    const QString suggested = document_.FilePath().isEmpty()
                                  ? QDir::home().filePath(tr("diaporama.mp4"))
                                  : manifest.absoluteDir().filePath(manifest.completeBaseName() + QStringLiteral(".mp4"));
    QString output = dialogs_.AskFileName(FileQuestion::VideoOutput, suggested);
    if (output.isEmpty()) return;
    if (QFileInfo(output).suffix().isEmpty()) output += QStringLiteral(".mp4");
    const std::string target = output.toStdString();
    // The file dialog has asked before replacing a file; the show's own files are never replaced.
    try {
        VideoCodecsFor(target);
        CheckOutputTarget(target, ShowFiles(document_), true);
    } catch (const std::exception& e) {
        dialogs_.Tell(QMessageBox::Critical,
                      tr("La vidéo ne peut pas être écrite :\n%1").arg(QString::fromStdString(e.what())));
        return;
    }

    auto result = std::make_shared<TVideoExport>();
    const VideoExportOptions options = options_;
    job_->Start(
        tr("Export de la vidéo…"), true,
        [result, show = document_.Show(), options, target](const TWriteProgress& progress) {
            const TVideoShow video = LoadVideoShow(show, progress);
            *result = ExportVideo(video, options.format, options.quality, target, progress);
            return result->bytes;
        },
        [this, result, options, output](const BackgroundJob::Outcome& outcome) {
            if (outcome.kind == BackgroundJob::Outcome::jbCancelled) {
                ShowStatus(tr("Export annulé : rien n'a été écrit."));
            } else if (outcome.kind == BackgroundJob::Outcome::jbFailed) {
                dialogs_.Tell(QMessageBox::Critical, tr("La vidéo n'a pas été écrite :\n%1").arg(outcome.message));
            } else {
                const TVideoFormat& format = options.format;
                ShowStatus(tr("%1 : %2 × %3, %4 images/s, %5, %6, %7")
                               .arg(output)
                               .arg(format.width)
                               .arg(format.height)
                               .arg(format.framesPerSecond)
                               .arg(QString::fromStdString(LengthText(result->frames / format.framesPerSecond)),
                                    result->withSound ? tr("avec musique") : tr("sans son"), SizeText(result->bytes)));
                if (!result->warnings.empty()) {
                    QStringList warnings;
                    for (const std::string& warning : result->warnings) warnings << QString::fromStdString(warning);
                    dialogs_.Tell(QMessageBox::Warning, warnings.join(QLatin1Char('\n')));
                }
            }
            emit ExportFinished(outcome.kind == BackgroundJob::Outcome::jbDone);
        });
}

}  // namespace pellumo
