#include "studio_files.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QLocale>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>

#include "authoring/manifest_writer.h"
#include "authoring/output_guard.h"
#include "authoring/show_extraction.h"
#include "authoring/show_manifest.h"
#include "authoring/show_plan.h"
#include "authoring/show_writer.h"
#include "background_job.h"
#include "base/exceptions.h"
#include "base/replace_file.h"
#include "player_launcher.h"
#include "recent_manifests.h"
#include "studio_document.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

std::string Path(const QString& path) { return path.toStdString(); }
QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

// The faults, one a line, in the order the manifest has them.
QString FaultText(TPlanFaults& faults) {
    try {
        faults.RaiseIfAny();
    } catch (const Exception& e) {
        return Text(e.Message());
    }
    return {};
}

// A folder beside the show, named after it, that is not there yet.
QString ExtractionFolderFor(const QString& showFile) {
    const QFileInfo show(showFile);
    const QDir beside = show.absoluteDir();
    const QString name = show.completeBaseName().isEmpty() ? show.fileName() : show.completeBaseName();
    QString candidate = beside.filePath(FileController::tr("%1 (extrait)").arg(name));
    for (int n = 2; QFileInfo::exists(candidate) && n < 1000; ++n)
        candidate = beside.filePath(FileController::tr("%1 (extrait %2)").arg(name).arg(n));
    return candidate;
}

}  // namespace

std::vector<std::string> ShowFiles(const StudioDocument& document) {
    std::vector<std::string> files;
    if (!document.FilePath().isEmpty()) files.push_back(Path(document.FilePath()));
    if (!document.Show().Settings().music.empty()) files.push_back(document.Show().Settings().music);
    for (const TDocumentSlide& slide : document.Show().Slides())
        if (!slide.picture.empty()) files.push_back(slide.picture);
    return files;
}

QString SizeText(std::int64_t bytes) {
    if (bytes < 1000 * 1000) return FileController::tr("%1 Ko").arg((bytes + 999) / 1000);
    return FileController::tr("%1 Mo").arg(QLocale().toString(static_cast<double>(bytes) / 1e6, 'f', 1));
}

FileController::FileController(StudioDocument& document, QWidget* window)
    : QObject(window),
      document_(document),
      window_(window),
      dialogs_(window),
      recent_(new RecentManifests(window, this)),
      job_(new BackgroundJob(window, this)),
      launcher_(new PlayerLauncher(this)),
      newAction_(new QAction(tr("&Nouveau"), this)),
      openAction_(new QAction(tr("&Ouvrir…"), this)),
      openShowAction_(new QAction(tr("Ouvrir un &diaporama…"), this)),
      saveAction_(new QAction(tr("&Enregistrer"), this)),
      saveAsAction_(new QAction(tr("Enregistrer &sous…"), this)),
      buildAction_(new QAction(tr("&Construire le diaporama…"), this)),
      playAction_(new QAction(tr("&Lire le diaporama"), this)),
      player_(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("pellumo"))) {
    newAction_->setShortcut(QKeySequence::New);
    openAction_->setShortcut(QKeySequence::Open);
    saveAction_->setShortcut(QKeySequence::Save);
    saveAsAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    playAction_->setShortcut(QKeySequence(Qt::Key_F5));
    openAction_->setStatusTip(tr("Ouvrir le manifeste d'un diaporama (.toml)"));
    openShowAction_->setStatusTip(tr("Reprendre un diaporama déjà construit : ses images et son manifeste sont écrits dans un dossier"));
    buildAction_->setStatusTip(tr("Écrire le diaporama : le lecteur et ses images en un seul programme"));
    playAction_->setStatusTip(tr("Lire le diaporama en plein écran depuis la diapositive choisie, comme le lecteur le lit"));

    connect(newAction_, &QAction::triggered, this, &FileController::New);
    connect(openAction_, &QAction::triggered, this, &FileController::Open);
    connect(openShowAction_, &QAction::triggered, this, &FileController::OpenShow);
    connect(saveAction_, &QAction::triggered, this, &FileController::Save);
    connect(saveAsAction_, &QAction::triggered, this, &FileController::SaveAs);
    connect(buildAction_, &QAction::triggered, this, &FileController::Build);
    connect(playAction_, &QAction::triggered, this, [this] { Play(playStart_ ? playStart_() : 0); });
    connect(recent_, &RecentManifests::OpenRequested, this, &FileController::OpenRecent);

    connect(job_, &BackgroundJob::Started, this, &FileController::EnableShowActions);
    connect(job_, &BackgroundJob::Ended, this, &FileController::EnableShowActions);
    connect(launcher_, &PlayerLauncher::Started, this, &FileController::PlayerStarted);
    connect(launcher_, &PlayerLauncher::Finished, this, [this] {
        EnableShowActions();
        emit PlayerFinished();
    });
    connect(launcher_, &PlayerLauncher::FailedToStart, this, [this](const QString& reason) {
        Tell(QMessageBox::Critical, tr("Le lecteur n'a pas pu démarrer : %1").arg(reason));
    });
}

// The work's Then and the player's signals reach this: both go before the rest of it.
FileController::~FileController() {
    delete job_;
    delete launcher_;
}

QMenu* FileController::RecentFilesMenu() const { return recent_->Menu(); }
QStringList FileController::RecentFiles() const { return recent_->Files(); }
void FileController::SetSettingsFile(const QString& fileName) { recent_->SetSettingsFile(fileName); }
void FileController::SetProgressDelay(int milliseconds) { job_->SetProgressDelay(milliseconds); }

bool FileController::Busy() const { return job_->Busy(); }
bool FileController::Playing() const { return launcher_->Playing(); }

void FileController::EnableShowActions() {
    buildAction_->setEnabled(!Busy());
    playAction_->setEnabled(!Busy() && !Playing());
}

void FileController::ShowStatus(const QString& text) {
    if (auto* mainWindow = qobject_cast<QMainWindow*>(window_.data())) mainWindow->statusBar()->showMessage(text);
    emit StatusMessage(text);
}

QString FileController::DocumentName() const {
    return document_.FilePath().isEmpty() ? tr("Sans titre") : QFileInfo(document_.FilePath()).fileName();
}

QString FileController::SuggestedFolder() const {
    if (!document_.FilePath().isEmpty()) return QFileInfo(document_.FilePath()).absolutePath();
    for (const TDocumentSlide& slide : document_.Show().Slides())
        if (!slide.picture.empty()) {
            const QFileInfo picture(Text(slide.picture));
            return picture.isDir() ? picture.absoluteFilePath() : picture.absolutePath();
        }
    return QDir::homePath();
}

// ---- The document and its manifest

bool FileController::MaybeSave() {
    if (!document_.IsModified()) return true;
    const QMessageBox::StandardButton answer =
        dialogs_.Ask(QMessageBox::Question, tr("Enregistrer les modifications de « %1 » ?").arg(DocumentName()),
                     QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    if (answer == QMessageBox::Save) return Save();
    return answer == QMessageBox::Discard;
}

void FileController::New() {
    if (!MaybeSave()) return;
    document_.Replace(TShowDocument(), QString());
}

void FileController::Open() {
    if (!MaybeSave()) return;
    const QString path = dialogs_.AskFileName(FileQuestion::OpenManifest, SuggestedFolder() + QLatin1Char('/'));
    if (!path.isEmpty()) OpenFile(path);
}
bool FileController::OpenFile(const QString& path) {
    const QString manifest = QFileInfo(path).absoluteFilePath();
    TPlanFaults faults;
    TShowDocument show;
    try {
        show = ReadManifest(Path(manifest), faults);
    } catch (const std::exception& e) {
        Tell(QMessageBox::Critical, tr("Impossible d'ouvrir « %1 » :\n%2").arg(manifest, Text(e.what())));
        return false;
    }
    document_.Replace(show, manifest);
    recent_->Add(manifest);
    if (!faults.Empty())
        Tell(QMessageBox::Warning,
             tr("« %1 » est ouvert, mais il a des fautes ; les valeurs en faute sont laissées de côté :\n%2")
                 .arg(QFileInfo(manifest).fileName(), FaultText(faults)));
    return true;
}

bool FileController::Save() {
    if (document_.FilePath().isEmpty()) return SaveAs();
    return SaveTo(document_.FilePath());
}

bool FileController::SaveAs() {
    const QString suggested = document_.FilePath().isEmpty()
                                  ? QDir(SuggestedFolder()).filePath(tr("diaporama.toml"))
                                  : document_.FilePath();
    QString path = dialogs_.AskFileName(FileQuestion::SaveManifest, suggested);
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".toml");
    return SaveTo(path);
}

bool FileController::SaveTo(const QString& path) {
    try {
        // Never over a picture or the music of the show: they would be lost.
        std::vector<std::string> files = ShowFiles(document_);
        if (!document_.FilePath().isEmpty()) files.erase(files.begin());  // the manifest is replaced, as asked
        CheckOutputTarget(Path(path), files, true);
        const std::string text = ManifestText(document_.Show(), Path(QFileInfo(path).absolutePath()));
        WriteFileReplacing(Path(path), {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    } catch (const std::exception& e) {
        Tell(QMessageBox::Critical, tr("Le diaporama n'a pas été enregistré :\n%1").arg(Text(e.what())));
        return false;
    }
    document_.MarkSaved(path);
    recent_->Add(path);
    ShowStatus(tr("Enregistré dans %1").arg(path));
    return true;
}

void FileController::OpenRecent(const QString& path) {
    if (!QFileInfo::exists(path)) {
        recent_->Remove(path);
        Tell(QMessageBox::Warning, tr("« %1 » n'existe plus : il est retiré des fichiers récents.").arg(path));
        return;
    }
    if (MaybeSave()) OpenFile(path);
}

// ---- Opening a show file

void FileController::OpenShow() {
    if (Busy() || !MaybeSave()) return;
    const QString showFile = dialogs_.AskFileName(FileQuestion::OpenShow, SuggestedFolder() + QLatin1Char('/'));
    if (showFile.isEmpty()) return;
    const QString folder = dialogs_.AskFileName(FileQuestion::ExtractFolder, ExtractionFolderFor(showFile));
    if (folder.isEmpty()) return;

    auto extracted = std::make_shared<TExtractedShow>();
    job_->Start(
        tr("Extraction des images du diaporama…"), true,
        [extracted, show = Path(showFile), target = Path(folder)](const TWriteProgress& progress) -> std::int64_t {
            *extracted = ExtractShow(show, target);
            WriteExtractedShow(*extracted, progress);
            return 0;
        },
        [this, extracted, showFile, folder](const BackgroundJob::Outcome& outcome) {
            if (outcome.kind == BackgroundJob::Outcome::jbCancelled) {
                ShowStatus(tr("Extraction annulée : rien n'a été écrit."));
                return;
            }
            if (outcome.kind == BackgroundJob::Outcome::jbFailed) {
                Tell(QMessageBox::Critical,
                     tr("Impossible d'ouvrir le diaporama « %1 » :\n%2").arg(showFile, outcome.message));
                return;
            }
            if (!OpenFile(QDir(folder).filePath(QLatin1String(kExtractedManifestName)))) return;
            QStringList notes;
            for (const std::size_t slide : extracted->omittedSlides)
                notes << tr("La diapositive %1 n'a pas d'image : elle est omise.").arg(slide);
            if (!extracted->missingMusic.empty())
                notes << tr("La musique « %1 » n'est pas à côté du diaporama : le manifeste la nomme, mettez-la dans %2.")
                             .arg(Text(extracted->missingMusic), folder);
            if (!notes.isEmpty()) Tell(QMessageBox::Information, notes.join(QLatin1Char('\n')));
        });
}

// ---- Building

void FileController::Build() {
    if (Busy()) return;
    TPlanFaults faults;
    const TShowPlan plan = PlanShow(document_.Show(), faults);
    if (!faults.Empty()) {
        Tell(QMessageBox::Warning, tr("Le diaporama ne peut pas être construit :\n%1").arg(FaultText(faults)));
        return;
    }
    // A portable show starts with the runtime that comes with the player.
    const QString player =
        plan.portable ? Text(PortableRuntimeNear(Path(QFileInfo(player_).absolutePath()))) : player_;
    if (plan.portable && player.isEmpty()) {
        Tell(QMessageBox::Critical, tr("Le lecteur des diaporamas portables (pellumo-portable) est introuvable près de %1")
                                        .arg(QFileInfo(player_).absolutePath()));
        return;
    }
    if (!QFileInfo(player).isFile()) {
        Tell(QMessageBox::Critical, tr("Le lecteur pellumo est introuvable : %1").arg(player));
        return;
    }
    const QString suggested =
        QDir(SuggestedFolder())
            .filePath(document_.FilePath().isEmpty() ? tr("diaporama") : QFileInfo(document_.FilePath()).completeBaseName());
    const QString output = dialogs_.AskFileName(FileQuestion::BuildOutput, suggested);
    if (output.isEmpty()) return;

    // The file dialog has asked before replacing a file; the show's own files are never replaced.
    bool copyMusic = false;
    try {
        std::vector<std::string> inputs = ShowFiles(document_);
        inputs.push_back(Path(player));
        CheckOutputTarget(Path(output), inputs, true, IsShowFile(Path(output)));
        if (!plan.musicFile.empty() && !plan.portable) {
            const TMusicPlace place = MusicBesideOutput(plan.musicFile, Path(output));
            if (place.state == mbInPlace) {
                copyMusic = false;
            } else if (place.state == mbOther) {
                CheckOutputTarget(place.beside, inputs, true);
                copyMusic = dialogs_.Ask(QMessageBox::Question,
                                         tr("Une autre musique nommée « %1 » est déjà à côté du diaporama. La remplacer par celle du diaporama ?")
                                             .arg(Text(fs::path(plan.musicFile).filename().string())),
                                         QMessageBox::Yes | QMessageBox::Cancel) == QMessageBox::Yes;
                if (!copyMusic) return;
            } else {
                copyMusic = true;
            }
        }
    } catch (const std::exception& e) {
        Tell(QMessageBox::Critical, tr("Le diaporama ne peut pas être écrit :\n%1").arg(Text(e.what())));
        return;
    }

    const std::size_t slides = plan.slides.size();
    const QString music = plan.musicFile.empty() ? QString() : Text(fs::path(plan.musicFile).filename().string());
    job_->Start(
        tr("Construction du diaporama…"), true,
        [plan, player = Path(player), target = Path(output), copyMusic](const TWriteProgress& progress) {
            return WriteShow(plan, player, target, copyMusic, progress);
        },
        [this, output, slides, music, copyMusic, portable = plan.portable](const BackgroundJob::Outcome& outcome) {
            if (outcome.kind == BackgroundJob::Outcome::jbCancelled) {
                ShowStatus(tr("Construction annulée : rien n'a été écrit."));
            } else if (outcome.kind == BackgroundJob::Outcome::jbFailed) {
                Tell(QMessageBox::Critical, tr("Le diaporama n'a pas été construit :\n%1").arg(outcome.message));
            } else {
                QString summary = slides == 1 ? tr("%1 : 1 diapositive, %2").arg(output, SizeText(outcome.size))
                                              : tr("%1 : %2 diapositives, %3").arg(output).arg(slides).arg(SizeText(outcome.size));
                if (portable) summary += tr(", portable");
                if (!music.isEmpty())
                    summary += portable    ? tr(", musique « %1 » emportée").arg(music)
                               : copyMusic ? tr(", musique « %1 » copiée à côté").arg(music)
                                           : tr(", musique « %1 » déjà à côté").arg(music);
                ShowStatus(summary);
            }
            emit BuildFinished(outcome.kind == BackgroundJob::Outcome::jbDone);
        });
}

// ---- Playing

void FileController::Play(std::size_t fromSlide) {
    if (Busy() || Playing()) return;
    TShowDocument show = document_.Show();
    if (show.SlideCount() == 0) {
        Tell(QMessageBox::Information, tr("Le diaporama n'a encore aucune diapositive."));
        return;
    }
    const std::size_t skipped = std::min(fromSlide, show.SlideCount() - 1);
    if (skipped > 0) show.RemoveSlides(0, skipped);
    TPlanFaults faults;
    TShowPlan plan = PlanShow(show, faults);
    plan.portable = false;  // played here, the show needs nothing unpacked
    if (!faults.Empty()) {
        Tell(QMessageBox::Warning, tr("Le diaporama ne peut pas être lu :\n%1").arg(FaultText(faults)));
        return;
    }
    if (!QFileInfo(player_).isFile()) {
        Tell(QMessageBox::Critical, tr("Le lecteur pellumo est introuvable : %1").arg(player_));
        return;
    }
    QString error;
    const QString showFile = launcher_->PrepareShowFile(error);
    if (showFile.isEmpty()) {
        Tell(QMessageBox::Critical, tr("Impossible de créer un dossier temporaire : %1").arg(error));
        return;
    }
    job_->Start(
        tr("Préparation de la lecture…"), true,
        [plan, player = Path(player_), target = Path(showFile)](const TWriteProgress& progress) {
            // The player finds its music in its own folder.
            return WriteShow(plan, player, target, !plan.musicFile.empty(), progress);
        },
        [this](const BackgroundJob::Outcome& outcome) {
            if (outcome.kind == BackgroundJob::Outcome::jbDone) {
                launcher_->Start();
                return;
            }
            launcher_->Abandon();
            if (outcome.kind == BackgroundJob::Outcome::jbFailed)
                Tell(QMessageBox::Critical, tr("Le diaporama ne peut pas être lu :\n%1").arg(outcome.message));
        });
}

}  // namespace pellumo
