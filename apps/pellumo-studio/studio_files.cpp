#include "studio_files.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QLocale>
#include <QMainWindow>
#include <QMenu>
#include <QProcess>
#include <QProgressDialog>
#include <QPromise>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrentRun>

#include "authoring/manifest_writer.h"
#include "authoring/output_guard.h"
#include "authoring/show_extraction.h"
#include "authoring/show_manifest.h"
#include "authoring/show_plan.h"
#include "authoring/show_reading.h"
#include "authoring/show_writer.h"
#include "base/exceptions.h"
#include "base/replace_file.h"
#include "studio_document.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

constexpr int kRecentFiles = 8;
const char* const kRecentKey = "recentFiles";

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

// Every file of the show: none of them may be replaced by what the editor writes.
std::vector<std::string> ShowFiles(const StudioDocument& document) {
    std::vector<std::string> files;
    if (!document.FilePath().isEmpty()) files.push_back(Path(document.FilePath()));
    if (!document.Show().Settings().music.empty()) files.push_back(document.Show().Settings().music);
    for (const TDocumentSlide& slide : document.Show().Slides())
        if (!slide.picture.empty()) files.push_back(slide.picture);
    return files;
}

int ProgressNumber(std::size_t value) {
    return static_cast<int>(std::min<std::size_t>(value, std::numeric_limits<int>::max()));
}

// "6,5 Mo", "812 Ko": the size of a show as a file manager gives it.
QString SizeText(std::int64_t bytes) {
    if (bytes < 1000 * 1000) return FileController::tr("%1 Ko").arg((bytes + 999) / 1000);
    return FileController::tr("%1 Mo").arg(QLocale().toString(static_cast<double>(bytes) / 1e6, 'f', 1));
}

// Qt's words for the standard buttons are only French when its translation is installed.
void NameButtons(QMessageBox& box) {
    const std::pair<QMessageBox::StandardButton, QString> names[] = {
        {QMessageBox::Save, FileController::tr("Enregistrer")},
        {QMessageBox::Discard, FileController::tr("Ne pas enregistrer")},
        {QMessageBox::Cancel, FileController::tr("Annuler")},
        {QMessageBox::Yes, FileController::tr("Remplacer")},
        {QMessageBox::Ok, FileController::tr("OK")},
    };
    for (const auto& [button, name] : names)
        if (QAbstractButton* shown = box.button(button)) shown->setText(name);
}

QMessageBox::StandardButton AskWithBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                       QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, QStringLiteral("Pellumo Studio"), text, buttons, parent);
    // A long list of faults stays readable: the first ones shown, all of them a click away.
    constexpr int kShownLines = 20;
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > kShownLines) {
        box.setText(lines.mid(0, kShownLines).join(QLatin1Char('\n')) + QStringLiteral("\n…"));
        box.setDetailedText(text);
    }
    NameButtons(box);
    if (buttons & QMessageBox::Save) box.setDefaultButton(QMessageBox::Save);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString AskWithFileDialog(QWidget* parent, FileQuestion question, const QString& suggested) {
    const QString manifests = FileController::tr("Manifestes de diaporama (*.toml)");
    QFileDialog dialog(parent);
    dialog.setDirectory(QFileInfo(suggested).absolutePath());
    switch (question) {
        case FileQuestion::OpenManifest:
            dialog.setWindowTitle(FileController::tr("Ouvrir un manifeste"));
            dialog.setNameFilters({manifests, FileController::tr("Tous les fichiers (*)")});
            dialog.setFileMode(QFileDialog::ExistingFile);
            break;
        case FileQuestion::SaveManifest:
            dialog.setWindowTitle(FileController::tr("Enregistrer le diaporama"));
            dialog.setNameFilter(manifests);
            dialog.setDefaultSuffix(QStringLiteral("toml"));
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            break;
        case FileQuestion::OpenShow:
            dialog.setWindowTitle(FileController::tr("Ouvrir un diaporama"));
            dialog.setFileMode(QFileDialog::ExistingFile);
            break;
        case FileQuestion::ExtractFolder:
            // A save dialog, so that the suggested new folder is offered by name.
            dialog.setWindowTitle(FileController::tr("Dossier où écrire les images et le manifeste"));
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
            dialog.setLabelText(QFileDialog::Accept, FileController::tr("Extraire"));
            break;
        case FileQuestion::BuildOutput:
            dialog.setWindowTitle(FileController::tr("Construire le diaporama"));
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setLabelText(QFileDialog::Accept, FileController::tr("Construire"));
            break;
    }
    if (!suggested.isEmpty() && dialog.acceptMode() == QFileDialog::AcceptSave)
        dialog.selectFile(QFileInfo(suggested).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
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

FileController::FileController(StudioDocument& document, QWidget* window)
    : QObject(window),
      document_(document),
      window_(window),
      newAction_(new QAction(tr("&Nouveau"), this)),
      openAction_(new QAction(tr("&Ouvrir…"), this)),
      openShowAction_(new QAction(tr("Ouvrir un &diaporama…"), this)),
      saveAction_(new QAction(tr("&Enregistrer"), this)),
      saveAsAction_(new QAction(tr("Enregistrer &sous…"), this)),
      recentMenu_(new QMenu(tr("Fichiers &récents"), window)),
      buildAction_(new QAction(tr("&Construire le diaporama…"), this)),
      playAction_(new QAction(tr("&Lire le diaporama"), this)),
      player_(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("pellumo"))),
      progress_(new QProgressDialog(window)),
      ownsWidgets_(window == nullptr) {
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
    connect(recentMenu_, &QMenu::aboutToShow, this, &FileController::FillRecentMenu);

    // The dialog starts its timer as it is made: reset it so that it waits for a job.
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setAutoClose(true);
    progress_->setAutoReset(true);
    progress_->setCancelButtonText(tr("Annuler"));
    progress_->reset();
    connect(progress_, &QProgressDialog::canceled, this, [this] {
        if (!cancel_) return;
        cancelled_ = true;
        cancel_->store(true);
    });
    connect(&watcher_, &QFutureWatcherBase::progressRangeChanged, this, [this](int minimum, int maximum) {
        if (!cancelled_ && Busy()) progress_->setRange(minimum, maximum);
    });
    connect(&watcher_, &QFutureWatcherBase::progressValueChanged, this, [this](int value) {
        if (!cancelled_ && Busy()) progress_->setValue(value);
    });
    connect(&watcher_, &QFutureWatcherBase::finished, this, &FileController::JobFinished);

    FillRecentMenu();
}

FileController::~FileController() {
    if (cancel_) cancel_->store(true);
    watcher_.disconnect(this);
    watcher_.waitForFinished();
    if (playerProcess_ != nullptr) {
        playerProcess_->disconnect(this);
        playerProcess_->terminate();
        if (!playerProcess_->waitForFinished(3000)) {
            playerProcess_->kill();
            playerProcess_->waitForFinished(3000);
        }
    }
    if (ownsWidgets_) {
        delete progress_;
        delete recentMenu_;
    }
}

void FileController::SetSettingsFile(const QString& fileName) {
    settingsFile_ = fileName;
    FillRecentMenu();
}

void FileController::SetFileNameHook(FileNameHook hook) { fileNameHook_ = std::move(hook); }
void FileController::SetQuestionHook(QuestionHook hook) { questionHook_ = std::move(hook); }

bool FileController::Busy() const { return static_cast<bool>(then_); }
bool FileController::Playing() const { return playerProcess_ != nullptr; }

QString FileController::AskFileName(FileQuestion question, const QString& suggested) {
    const QString chosen = fileNameHook_ ? fileNameHook_(question, suggested) : AskWithFileDialog(window_, question, suggested);
    return chosen.isEmpty() ? chosen : QFileInfo(chosen).absoluteFilePath();
}

QMessageBox::StandardButton FileController::Ask(QMessageBox::Icon icon, const QString& text,
                                                QMessageBox::StandardButtons buttons) {
    return questionHook_ ? questionHook_(icon, text, buttons) : AskWithBox(window_, icon, text, buttons);
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
        Ask(QMessageBox::Question, tr("Enregistrer les modifications de « %1 » ?").arg(DocumentName()),
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
    const QString path = AskFileName(FileQuestion::OpenManifest, SuggestedFolder() + QLatin1Char('/'));
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
    AddRecent(manifest);
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
    QString path = AskFileName(FileQuestion::SaveManifest, suggested);
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
    AddRecent(path);
    ShowStatus(tr("Enregistré dans %1").arg(path));
    return true;
}

// ---- Recent files

std::unique_ptr<QSettings> FileController::Settings() const {
    if (!settingsFile_.isEmpty()) return std::make_unique<QSettings>(settingsFile_, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::UserScope, QStringLiteral("pellumo"), QStringLiteral("pellumo-studio"));
}

QStringList FileController::RecentFiles() const { return Settings()->value(QLatin1String(kRecentKey)).toStringList(); }

void FileController::AddRecent(const QString& path) {
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > kRecentFiles) files.removeLast();
    Settings()->setValue(QLatin1String(kRecentKey), files);
    recentMenu_->menuAction()->setEnabled(true);
}

void FileController::RemoveRecent(const QString& path) {
    QStringList files = RecentFiles();
    files.removeAll(path);
    Settings()->setValue(QLatin1String(kRecentKey), files);
    recentMenu_->menuAction()->setEnabled(!files.isEmpty());
}

// Filled each time it opens, never while one of its entries is at work (the entry would be
// deleted under it), and so also with what another editor has changed.
void FileController::FillRecentMenu() {
    recentMenu_->clear();
    const QStringList files = RecentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString& path = files[i];
        QAction* entry = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
        entry->setToolTip(path);
        entry->setStatusTip(path);
        entry->setData(path);
        connect(entry, &QAction::triggered, this, [this, path] { OpenRecent(path); });
    }
    recentMenu_->menuAction()->setEnabled(!files.isEmpty());
}

void FileController::OpenRecent(const QString& path) {
    if (!QFileInfo::exists(path)) {
        RemoveRecent(path);
        Tell(QMessageBox::Warning, tr("« %1 » n'existe plus : il est retiré des fichiers récents.").arg(path));
        return;
    }
    if (MaybeSave()) OpenFile(path);
}

// ---- Work off the interface thread

void FileController::RunInBackground(const QString& label, bool cancellable, Work work, Then then) {
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    cancelled_ = false;
    then_ = std::move(then);
    buildAction_->setEnabled(false);
    playAction_->setEnabled(false);

    progress_->reset();
    progress_->setLabelText(label);
    if (cancellable)
        progress_->setCancelButtonText(tr("Annuler"));
    else
        progress_->setCancelButton(nullptr);
    progress_->setMinimumDuration(progressDelay_);
    // Its minimum starts the delay after which the dialog shows (an empty range would not);
    // then it is busy until the work tells how far it is.
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setRange(0, 0);

    // The worker holds copies only; the flag is shared, so that it outlives either side.
    watcher_.setFuture(QtConcurrent::run([work = std::move(work), cancel = cancel_](QPromise<JobOutcome>& promise) {
        TWriteProgress progress;
        progress.step = [&promise](std::size_t done, std::size_t total) {
            promise.setProgressRange(0, ProgressNumber(total));
            promise.setProgressValue(ProgressNumber(done));
        };
        progress.cancelled = [cancel] { return cancel->load(); };
        JobOutcome outcome;
        try {
            outcome.size = work(progress);
            outcome.kind = JobOutcome::jbDone;
        } catch (const EWriteCancelled&) {
            outcome.kind = JobOutcome::jbCancelled;
        } catch (const std::exception& e) {
            outcome.message = Text(e.what());
        }
        promise.addResult(outcome);
    }));
}

void FileController::JobFinished() {
    progress_->reset();
    const JobOutcome outcome = watcher_.future().resultCount() > 0 ? watcher_.result() : JobOutcome{};
    const Then then = std::move(then_);
    then_ = nullptr;
    cancel_.reset();
    buildAction_->setEnabled(true);
    playAction_->setEnabled(!Playing());
    then(outcome);
}

// ---- Opening a show file

void FileController::OpenShow() {
    if (!MaybeSave()) return;
    const QString showFile = AskFileName(FileQuestion::OpenShow, SuggestedFolder() + QLatin1Char('/'));
    if (showFile.isEmpty()) return;
    const QString folder = AskFileName(FileQuestion::ExtractFolder, ExtractionFolderFor(showFile));
    if (folder.isEmpty()) return;

    auto extracted = std::make_shared<TExtractedShow>();
    try {
        *extracted = ExtractShow(Path(showFile), Path(folder));
    } catch (const std::exception& e) {
        Tell(QMessageBox::Critical, tr("Impossible d'ouvrir le diaporama « %1 » :\n%2").arg(showFile, Text(e.what())));
        return;
    }
    RunInBackground(
        tr("Écriture des images du diaporama…"), false,
        [extracted](const TWriteProgress&) -> std::int64_t {
            WriteExtractedShow(*extracted);
            return 0;
        },
        [this, extracted, showFile, folder](const JobOutcome& outcome) {
            if (outcome.kind != JobOutcome::jbDone) {
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
    const QString player = player_;
    if (!QFileInfo(player).isFile()) {
        Tell(QMessageBox::Critical, tr("Le lecteur pellumo est introuvable : %1").arg(player));
        return;
    }
    const QString suggested =
        QDir(SuggestedFolder())
            .filePath(document_.FilePath().isEmpty() ? tr("diaporama") : QFileInfo(document_.FilePath()).completeBaseName());
    const QString output = AskFileName(FileQuestion::BuildOutput, suggested);
    if (output.isEmpty()) return;

    // The file dialog has asked before replacing a file; the show's own files are never replaced.
    bool copyMusic = false;
    try {
        std::vector<std::string> inputs = ShowFiles(document_);
        inputs.push_back(Path(player));
        CheckOutputTarget(Path(output), inputs, true, IsShowFile(Path(output)));
        if (!plan.musicFile.empty()) {
            const TMusicPlace place = MusicBesideOutput(plan.musicFile, Path(output));
            if (place.state == mbInPlace) {
                copyMusic = false;
            } else if (place.state == mbOther) {
                CheckOutputTarget(place.beside, inputs, true);
                copyMusic = Ask(QMessageBox::Question,
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
    RunInBackground(
        tr("Construction du diaporama…"), true,
        [plan, player = Path(player), target = Path(output), copyMusic](const TWriteProgress& progress) {
            return WriteShow(plan, player, target, copyMusic, progress);
        },
        [this, output, slides, music, copyMusic](const JobOutcome& outcome) {
            if (outcome.kind == JobOutcome::jbCancelled) {
                ShowStatus(tr("Construction annulée : rien n'a été écrit."));
            } else if (outcome.kind == JobOutcome::jbFailed) {
                Tell(QMessageBox::Critical, tr("Le diaporama n'a pas été construit :\n%1").arg(outcome.message));
            } else {
                QString summary = slides == 1 ? tr("%1 : 1 diapositive, %2").arg(output, SizeText(outcome.size))
                                              : tr("%1 : %2 diapositives, %3").arg(output).arg(slides).arg(SizeText(outcome.size));
                if (!music.isEmpty())
                    summary += copyMusic ? tr(", musique « %1 » copiée à côté").arg(music)
                                         : tr(", musique « %1 » déjà à côté").arg(music);
                ShowStatus(summary);
            }
            emit BuildFinished(outcome.kind == JobOutcome::jbDone);
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
    const TShowPlan plan = PlanShow(show, faults);
    if (!faults.Empty()) {
        Tell(QMessageBox::Warning, tr("Le diaporama ne peut pas être lu :\n%1").arg(FaultText(faults)));
        return;
    }
    if (!QFileInfo(player_).isFile()) {
        Tell(QMessageBox::Critical, tr("Le lecteur pellumo est introuvable : %1").arg(player_));
        return;
    }
    playFolder_ = std::make_unique<QTemporaryDir>(QDir(QDir::tempPath()).filePath(QStringLiteral("pellumo-lecture-XXXXXX")));
    if (!playFolder_->isValid()) {
        Tell(QMessageBox::Critical, tr("Impossible de créer un dossier temporaire : %1").arg(playFolder_->errorString()));
        playFolder_.reset();
        return;
    }
    const QString showFile = playFolder_->filePath(QStringLiteral("diaporama"));
    RunInBackground(
        tr("Préparation de la lecture…"), true,
        [plan, player = Path(player_), target = Path(showFile)](const TWriteProgress& progress) {
            // The player finds its music in its own folder.
            return WriteShow(plan, player, target, !plan.musicFile.empty(), progress);
        },
        [this, showFile](const JobOutcome& outcome) {
            if (outcome.kind != JobOutcome::jbDone) {
                playFolder_.reset();
                if (outcome.kind == JobOutcome::jbFailed)
                    Tell(QMessageBox::Critical, tr("Le diaporama ne peut pas être lu :\n%1").arg(outcome.message));
                return;
            }
            playerProcess_ = new QProcess(this);
            playerProcess_->setProgram(showFile);
            playerProcess_->setWorkingDirectory(playFolder_->path());
            playerProcess_->setProcessChannelMode(QProcess::ForwardedChannels);
            playAction_->setEnabled(false);
            connect(playerProcess_, &QProcess::started, this, [this, showFile] { emit PlayerStarted(showFile); });
            connect(playerProcess_, &QProcess::finished, this, &FileController::PlayerEnded);
            connect(playerProcess_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
                if (error != QProcess::FailedToStart) return;  // the others end in finished
                const QString reason = playerProcess_->errorString();
                PlayerEnded();
                Tell(QMessageBox::Critical, tr("Le lecteur n'a pas pu démarrer : %1").arg(reason));
            });
            playerProcess_->start();
        });
}

void FileController::PlayerEnded() {
    if (playerProcess_ == nullptr) return;
    playerProcess_->disconnect(this);
    playerProcess_->deleteLater();
    playerProcess_ = nullptr;
    playFolder_.reset();  // removes the show and its music
    playAction_->setEnabled(!Busy());
    emit PlayerFinished();
}

}  // namespace pellumo
