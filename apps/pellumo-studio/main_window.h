#pragma once

#include <QMainWindow>

class QAction;

namespace pellumo {

class PreviewWidget;

// The editor's window: for now the preview and the File menu.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);

    PreviewWidget& Preview() const { return *preview_; }
    QAction* QuitAction() const { return quitAction_; }

private:
    PreviewWidget* preview_;  // owned by the window, as are the actions
    QAction* quitAction_;
};

}  // namespace pellumo
