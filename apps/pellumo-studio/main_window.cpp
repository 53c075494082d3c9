#include "main_window.h"

#include <QAction>
#include <QKeySequence>
#include <QMenuBar>

#include "preview_widget.h"

namespace pellumo {

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), preview_(new PreviewWidget(this)), quitAction_(new QAction(tr("&Quitter"), this)) {
    setWindowTitle(QStringLiteral("Pellumo Studio"));
    setCentralWidget(preview_);

    quitAction_->setShortcut(QKeySequence::Quit);
    quitAction_->setMenuRole(QAction::QuitRole);
    connect(quitAction_, &QAction::triggered, this, &QWidget::close);
    QMenu* fileMenu = menuBar()->addMenu(tr("&Fichier"));
    fileMenu->addAction(quitAction_);
}

}  // namespace pellumo
