#pragma once

#include <QMainWindow>

class QAction;

namespace pellumo {

class FileController;
class PreviewController;
class PreviewWidget;
class ShowSettingsPanel;
class SlidePanel;
class SlideStrip;
class StudioDocument;
class ThumbnailLoader;
class VideoExportController;

// The editor's window: the preview in the middle, the slides as a strip below it, the panels
// that edit the selected slides and the show on the right; the File, Edit, Show and View
// menus. Closing with unsaved changes asks first.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    StudioDocument& Document() const { return *document_; }
    PreviewWidget& Preview() const { return *preview_; }
    SlideStrip& Strip() const { return *strip_; }
    SlidePanel& SlideEditor() const { return *slidePanel_; }
    ShowSettingsPanel& SettingsEditor() const { return *settingsPanel_; }
    FileController& Files() const { return *files_; }
    VideoExportController& VideoExport() const { return *videoExport_; }
    QAction* QuitAction() const { return quitAction_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void UpdateTitle();

    StudioDocument* document_;  // children of the window, as are the widgets and actions
    ThumbnailLoader* thumbnails_;
    PreviewWidget* preview_;
    PreviewController* previewController_;
    SlideStrip* strip_;
    SlidePanel* slidePanel_;
    ShowSettingsPanel* settingsPanel_;
    FileController* files_;
    VideoExportController* videoExport_;
    QAction* quitAction_;
};

}  // namespace pellumo
