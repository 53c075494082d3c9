#include "main_window.h"

#include <algorithm>

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>

#include "preview_controller.h"
#include "preview_widget.h"
#include "show_settings_panel.h"
#include "slide_panel.h"
#include "slide_strip.h"
#include "studio_document.h"
#include "studio_files.h"
#include "thumbnail_loader.h"
#include "video_export_controller.h"

namespace pellumo {
namespace {

// Screens a show is often played on, for the preview.
constexpr QSize kScreens[] = {{1920, 1080}, {1280, 720}, {1366, 768}, {2560, 1440}, {3840, 2160}, {1024, 768}};

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent),
      document_(new StudioDocument(this)),
      thumbnails_(new ThumbnailLoader(this)),
      preview_(new PreviewWidget(this)),
      previewController_(new PreviewController(*document_, *preview_, this)),
      strip_(new SlideStrip(*document_, *thumbnails_, this)),
      slidePanel_(new SlidePanel(*document_, this)),
      settingsPanel_(new ShowSettingsPanel(*document_, this)),
      files_(new FileController(*document_, this)),
      videoExport_(new VideoExportController(*document_, this)),
      quitAction_(new QAction(tr("&Quitter"), this)) {
    setCentralWidget(preview_);

    auto* slides = new QDockWidget(tr("Diapositives"), this);
    slides->setObjectName(QStringLiteral("slides"));
    slides->setWidget(strip_);
    slides->setFeatures(QDockWidget::DockWidgetMovable);
    addDockWidget(Qt::BottomDockWidgetArea, slides);

    auto* panels = new QTabWidget(this);
    panels->addTab(slidePanel_, tr("Diapositive"));
    panels->addTab(settingsPanel_, tr("Diaporama"));
    auto* side = new QDockWidget(tr("Réglages"), this);
    side->setObjectName(QStringLiteral("settings"));
    side->setWidget(panels);
    side->setFeatures(QDockWidget::DockWidgetMovable);
    addDockWidget(Qt::RightDockWidgetArea, side);
    // The preview takes what the panels do not need: a form of short fields is no wider.
    panels->setMaximumWidth(460);

    connect(strip_, &SlideStrip::SelectionChanged, this, [this](const std::vector<std::size_t>& rows) {
        slidePanel_->SetSelection(rows);
        if (!rows.empty()) previewController_->ShowSlide(rows.front());
    });
    connect(strip_, &SlideStrip::StatusMessage, this, [this](const QString& message) { statusBar()->showMessage(message, 5000); });
    connect(previewController_, &PreviewController::Failed, this,
            [this](const QString& message) { statusBar()->showMessage(message, 5000); });
    files_->SetPlayStart([this] {
        const std::vector<std::size_t> rows = strip_->SelectedRows();
        return rows.empty() ? std::size_t{0} : rows.front();
    });
    // A show opened or made new starts on its first slide.
    document_->Subscribe([this](const TDocumentChange& change) {
        if (change.kind == dcReset && document_->Show().SlideCount() > 0) strip_->SelectRows({0});
    });
    connect(document_, &StudioDocument::FilePathChanged, this, &MainWindow::UpdateTitle);
    connect(document_, &StudioDocument::ModifiedChanged, this, &QWidget::setWindowModified);

    BuildMenus();
    UpdateTitle();
    statusBar();
}

// Qt deletes children in the order they were made, which is the order they lean on each other
// (the document first, then what follows it): they go here in the opposite order instead.
MainWindow::~MainWindow() {
    QObjectList parts = children();
    std::reverse(parts.begin(), parts.end());
    for (QObject* part : parts)
        if (part != document_) delete part;
}

void MainWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&Fichier"));
    file->addAction(files_->NewAction());
    file->addAction(files_->OpenAction());
    file->addAction(files_->OpenShowAction());
    file->addMenu(files_->RecentFilesMenu());
    file->addSeparator();
    file->addAction(files_->SaveAction());
    file->addAction(files_->SaveAsAction());
    file->addSeparator();
    quitAction_->setShortcut(QKeySequence::Quit);
    quitAction_->setMenuRole(QAction::QuitRole);
    connect(quitAction_, &QAction::triggered, this, &QWidget::close);
    file->addAction(quitAction_);

    QMenu* edit = menuBar()->addMenu(tr("&Édition"));
    QAction* undo = document_->UndoStack().createUndoAction(this, tr("Annuler"));
    undo->setShortcuts(QKeySequence::Undo);
    QAction* redo = document_->UndoStack().createRedoAction(this, tr("Rétablir"));
    redo->setShortcuts(QKeySequence::Redo);  // Ctrl+Shift+Z and Ctrl+Y alike, as the desktop has them
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    edit->addAction(strip_->AddPicturesAction());
    edit->addAction(strip_->AddFolderAction());
    edit->addAction(strip_->DuplicateAction());
    edit->addAction(strip_->RemoveAction());
    edit->addSeparator();
    edit->addAction(strip_->SortFoldersByDateAction());

    QMenu* show = menuBar()->addMenu(tr("&Diaporama"));
    show->addAction(files_->PlayAction());
    show->addAction(files_->BuildAction());
    show->addAction(videoExport_->ExportAction());

    QMenu* view = menuBar()->addMenu(tr("&Affichage"));
    QMenu* screens = view->addMenu(tr("Taille de l'écran de l'aperçu"));
    auto* screenChoice = new QActionGroup(this);
    for (const QSize screen : kScreens) {
        QAction* choice = screens->addAction(QStringLiteral("%1 × %2").arg(screen.width()).arg(screen.height()));
        choice->setCheckable(true);
        choice->setChecked(screen == preview_->ScreenSize());
        screenChoice->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, screen] { preview_->SetScreenSize(screen); });
    }
}

void MainWindow::UpdateTitle() {
    const QString path = document_->FilePath();
    const QString name = path.isEmpty() ? tr("Sans titre") : QFileInfo(path).fileName();
    setWindowTitle(tr("%1[*] — Pellumo Studio").arg(name));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (files_->MaybeSave())
        event->accept();
    else
        event->ignore();
}

}  // namespace pellumo
