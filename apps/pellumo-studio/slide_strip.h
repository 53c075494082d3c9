#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include <QListView>
#include <QString>

class QAction;
class QDrag;

namespace pellumo {

class SlideListModel;
class StudioDocument;
class ThumbnailLoader;

// The slides as thumbnails in reading order, a strip when the view is low and a grid when it
// is tall. Slides are reordered by dragging any selection of them, added by dropping picture
// files or folders or through the actions, removed and duplicated by the actions; every change
// is one undoable step of the document. Inserted or moved slides end up selected.
//
// The actions are the strip's and work while it has the focus; the main window may also put
// them in its menus.
class SlideStrip : public QListView {
    Q_OBJECT

public:
    SlideStrip(StudioDocument& document, ThumbnailLoader& thumbnails, QWidget* parent = nullptr);
    ~SlideStrip() override;
    SlideStrip(const SlideStrip&) = delete;
    SlideStrip& operator=(const SlideStrip&) = delete;

    SlideListModel& Slides() const { return *model_; }

    QAction* AddPicturesAction() const { return addPicturesAction_; }
    QAction* AddFolderAction() const { return addFolderAction_; }
    QAction* RemoveAction() const { return removeAction_; }
    QAction* DuplicateAction() const { return duplicateAction_; }
    // Checked: the pictures of an added or dropped folder come in the order they were taken.
    QAction* SortFoldersByDateAction() const { return sortByDateAction_; }

    // The selected slides' indices, in ascending order.
    std::vector<std::size_t> SelectedRows() const;
    // Selects exactly these slides (those that exist), the first of them current.
    void SelectRows(const std::vector<std::size_t>& rows);

    // The row a drop at `position` (in the viewport) inserts before: 0..rowCount().
    int DropRow(QPoint position) const;

    // Carries out a drag that the strip started, offering `actions`. By default the platform's
    // drag and drop; tests deliver the drop events themselves, since an offscreen platform
    // drops nothing.
    using DragRunner = std::function<Qt::DropAction(QDrag& drag, Qt::DropActions actions)>;
    void SetDragRunner(DragRunner runner) { dragRunner_ = std::move(runner); }

signals:
    void SelectionChanged(const std::vector<std::size_t>& rows);
    // Something the person should read, for a status bar: files left out of a drop.
    void StatusMessage(const QString& message);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void AddPictures();
    void AddFolder();
    void RemoveSelected();
    void DuplicateSelected();
    // Where new slides go: after the last selected one, else at the end.
    int InsertionRow() const;
    // The drag's action when the model takes its data: a move of our slides, a copy of files.
    Qt::DropAction DropActionFor(const QDropEvent& event) const;
    void ShowDropRow(int row);
    void SelectionMayHaveChanged();

    StudioDocument& document_;
    SlideListModel* model_;  // owned by the strip, as are the actions
    QAction* addPicturesAction_;
    QAction* addFolderAction_;
    QAction* removeAction_;
    QAction* duplicateAction_;
    QAction* sortByDateAction_;
    DragRunner dragRunner_;
    int dropRow_ = -1;  // where the drop under way would insert; -1 when none
    QString lastFolder_;  // where the file dialogs open
    std::vector<std::size_t> lastSelection_;
};

}  // namespace pellumo
