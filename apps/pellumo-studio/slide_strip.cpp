#include "slide_strip.h"

#include <algorithm>

#include <QAction>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QItemSelection>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>

#include "raster/picture.h"
#include "slide_list_model.h"
#include "studio_document.h"

namespace pellumo {
namespace {

constexpr int kSide = SlideListModel::kThumbnailSide;

// A file dialog's filter of every registered picture extension, in both cases: the dialog
// matches names letter case and all on Linux, and cameras write ".JPG".
QString PictureFilter() {
    QStringList patterns;
    for (const TFileFormat& format : TPicture::FileFormats()) {
        const QString extension = QString::fromStdString(format.Extension);
        patterns << QStringLiteral("*.") + extension.toLower() << QStringLiteral("*.") + extension.toUpper();
    }
    patterns.removeDuplicates();
    return SlideStrip::tr("Images (%1)").arg(patterns.join(QLatin1Char(' '))) + QStringLiteral(";;") +
           SlideStrip::tr("Tous les fichiers (*)");
}

}  // namespace

SlideStrip::SlideStrip(StudioDocument& document, ThumbnailLoader& thumbnails, QWidget* parent)
    : QListView(parent), document_(document), model_(new SlideListModel(document, thumbnails, this)) {
    setViewMode(IconMode);
    // The document orders the slides: icons are never placed freely.
    setMovement(Static);
    setFlow(LeftToRight);
    setWrapping(true);
    setResizeMode(Adjust);
    setUniformItemSizes(true);
    setWordWrap(true);
    setIconSize(QSize(kSide, kSide));
    const int lineHeight = fontMetrics().lineSpacing();
    setGridSize(QSize(kSide + 48, kSide + 3 * lineHeight + 12));
    setSelectionMode(ExtendedSelection);
    // Set after the movement, which turns dragging off: moves inside, files from outside.
    setDragDropMode(InternalMove);
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDefaultDropAction(Qt::MoveAction);
    setDropIndicatorShown(false);  // painted here, between the slides
    setModel(model_);

    addPicturesAction_ = new QAction(QIcon::fromTheme(QStringLiteral("list-add")), tr("Ajouter des images…"), this);
    addFolderAction_ = new QAction(QIcon::fromTheme(QStringLiteral("folder-new")), tr("Ajouter un dossier…"), this);
    removeAction_ = new QAction(QIcon::fromTheme(QStringLiteral("edit-delete")), tr("Supprimer"), this);
    removeAction_->setShortcut(QKeySequence::Delete);
    duplicateAction_ = new QAction(QIcon::fromTheme(QStringLiteral("edit-copy")), tr("Dupliquer"), this);
    duplicateAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    sortByDateAction_ = new QAction(tr("Trier les dossiers par date de prise de vue"), this);
    sortByDateAction_->setCheckable(true);
    // The keys act on the slides only while the strip has the focus, not in a caption's field.
    for (QAction* action : {removeAction_, duplicateAction_}) action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    auto* separator2 = new QAction(this);
    separator2->setSeparator(true);
    addActions({addPicturesAction_, addFolderAction_, separator, duplicateAction_, removeAction_, separator2,
                sortByDateAction_});
    setContextMenuPolicy(Qt::ActionsContextMenu);

    connect(addPicturesAction_, &QAction::triggered, this, &SlideStrip::AddPictures);
    connect(addFolderAction_, &QAction::triggered, this, &SlideStrip::AddFolder);
    connect(removeAction_, &QAction::triggered, this, &SlideStrip::RemoveSelected);
    connect(duplicateAction_, &QAction::triggered, this, &SlideStrip::DuplicateSelected);
    connect(sortByDateAction_, &QAction::toggled, model_, &SlideListModel::SetSortFoldersByDate);

    connect(model_, &SlideListModel::StatusMessage, this, &SlideStrip::StatusMessage);
    connect(model_, &SlideListModel::SlidesPlaced, this, [this](int first, int count) {
        std::vector<std::size_t> rows;
        for (int row = first; row < first + count; ++row) rows.push_back(static_cast<std::size_t>(row));
        SelectRows(rows);
    });
    // The selection model follows moves and removals without saying so: the rows it holds may
    // change with any change of the rows.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &SlideStrip::SelectionMayHaveChanged);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &SlideStrip::SelectionMayHaveChanged);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &SlideStrip::SelectionMayHaveChanged);
    connect(model_, &QAbstractItemModel::rowsMoved, this, &SlideStrip::SelectionMayHaveChanged);
    connect(model_, &QAbstractItemModel::modelReset, this, &SlideStrip::SelectionMayHaveChanged);
    SelectionMayHaveChanged();
}

SlideStrip::~SlideStrip() = default;

std::vector<std::size_t> SlideStrip::SelectedRows() const {
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes()) rows.push_back(static_cast<std::size_t>(index.row()));
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void SlideStrip::SelectRows(const std::vector<std::size_t>& rows) {
    QItemSelection selection;
    for (const std::size_t row : rows) {
        const QModelIndex index = model_->index(static_cast<int>(row));
        if (index.isValid()) selection.select(index, index);
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (selection.isEmpty()) return;
    const QModelIndex first = model_->index(static_cast<int>(*std::min_element(rows.begin(), rows.end())));
    selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    scrollTo(first);
}

int SlideStrip::DropRow(QPoint position) const {
    // The slides lie in reading order: the drop goes before the first one the point is before,
    // in an earlier line or left of its middle in the same line.
    const int count = model_->rowCount();
    for (int row = 0; row < count; ++row) {
        const QRect rect = visualRect(model_->index(row));
        if (position.y() < rect.top() || (position.y() <= rect.bottom() && position.x() < rect.center().x()))
            return row;
    }
    return count;
}

void SlideStrip::startDrag(Qt::DropActions) {
    const QModelIndexList indexes = selectionModel()->selectedIndexes();
    QMimeData* rows = model_->mimeData(indexes);
    if (rows == nullptr) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(rows);
    const QModelIndex current = currentIndex().isValid() && selectionModel()->isSelected(currentIndex())
                                    ? currentIndex()
                                    : indexes.front();
    const QVariant decoration = model_->data(current, Qt::DecorationRole);
    const QPixmap pixmap = decoration.canConvert<QPixmap>() ? decoration.value<QPixmap>()
                                                            : decoration.value<QIcon>().pixmap(iconSize());
    if (!pixmap.isNull()) drag->setPixmap(pixmap.scaled(pixmap.size() / 2, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    // The drop moves the slides in the document; nothing is left to do here, whatever the
    // drag's outcome.
    if (dragRunner_) {
        dragRunner_(*drag, Qt::MoveAction);
        drag->deleteLater();
    } else {
        drag->exec(Qt::MoveAction, Qt::MoveAction);  // Qt deletes the drag once it is over
    }
}

Qt::DropAction SlideStrip::DropActionFor(const QDropEvent& event) const {
    const QMimeData* mime = event.mimeData();
    if (mime == nullptr) return Qt::IgnoreAction;
    if (mime->hasFormat(QString::fromLatin1(SlideListModel::kRowsMimeType)))
        return event.possibleActions().testFlag(Qt::MoveAction) &&
                       model_->canDropMimeData(mime, Qt::MoveAction, -1, 0, {})
                   ? Qt::MoveAction
                   : Qt::IgnoreAction;
    // Files are only read: never answer "move" to a file manager, which would then delete them.
    Qt::DropAction action = Qt::IgnoreAction;
    if (event.possibleActions().testFlag(Qt::CopyAction)) action = Qt::CopyAction;
    else if (event.possibleActions().testFlag(Qt::LinkAction)) action = Qt::LinkAction;
    return action != Qt::IgnoreAction && model_->canDropMimeData(mime, action, -1, 0, {}) ? action : Qt::IgnoreAction;
}

void SlideStrip::dragEnterEvent(QDragEnterEvent* event) {
    const Qt::DropAction action = DropActionFor(*event);
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
    setState(DraggingState);
    ShowDropRow(DropRow(event->position().toPoint()));
}

void SlideStrip::dragMoveEvent(QDragMoveEvent* event) {
    const Qt::DropAction action = DropActionFor(*event);
    if (action == Qt::IgnoreAction) {
        event->ignore();
        ShowDropRow(-1);
        return;
    }
    event->setDropAction(action);
    event->accept();
    const QPoint position = event->position().toPoint();
    ShowDropRow(DropRow(position));
    // Near an edge the view scrolls, so that a long show can be crossed in one drag.
    const QRect inner = viewport()->rect().adjusted(autoScrollMargin(), autoScrollMargin(), -autoScrollMargin(),
                                                    -autoScrollMargin());
    if (hasAutoScroll() && !inner.contains(position)) startAutoScroll();
}

void SlideStrip::dragLeaveEvent(QDragLeaveEvent* event) {
    stopAutoScroll();
    setState(NoState);
    ShowDropRow(-1);
    event->accept();
}

void SlideStrip::dropEvent(QDropEvent* event) {
    stopAutoScroll();
    setState(NoState);
    ShowDropRow(-1);
    const Qt::DropAction action = DropActionFor(*event);
    const int row = DropRow(event->position().toPoint());
    if (action != Qt::IgnoreAction && model_->dropMimeData(event->mimeData(), action, row, 0, {})) {
        event->setDropAction(action);
        event->accept();
    } else {
        event->ignore();
    }
}

void SlideStrip::ShowDropRow(int row) {
    if (row == dropRow_) return;
    dropRow_ = row;
    viewport()->update();
}

void SlideStrip::paintEvent(QPaintEvent* event) {
    QListView::paintEvent(event);
    const int count = model_->rowCount();
    if (dropRow_ < 0 || count == 0) return;
    // A bar in the gap before the slide the drop goes before, or after the last one.
    const QRect rect = visualRect(model_->index(std::min(dropRow_, count - 1)));
    const int x = dropRow_ < count ? rect.left() - 3 : rect.right() + 2;
    QPainter painter(viewport());
    painter.fillRect(QRect(std::max(x, 0), rect.top(), 3, rect.height()), palette().highlight());
}

void SlideStrip::AddPictures() {
    const QStringList files = QFileDialog::getOpenFileNames(this, tr("Ajouter des images"), lastFolder_, PictureFilter());
    if (files.isEmpty()) return;
    lastFolder_ = QFileInfo(files.front()).absolutePath();
    model_->InsertFiles(files, InsertionRow());
}

void SlideStrip::AddFolder() {
    const QString folder = QFileDialog::getExistingDirectory(this, tr("Ajouter un dossier"), lastFolder_);
    if (folder.isEmpty()) return;
    lastFolder_ = folder;
    model_->InsertFiles({folder}, InsertionRow());
}

void SlideStrip::RemoveSelected() {
    const std::vector<std::size_t> rows = SelectedRows();
    if (rows.empty()) return;
    document_.RemoveSlides(rows);
    // The slide that took the place of the first one removed, so that Delete goes on.
    const std::size_t count = document_.Show().SlideCount();
    if (count > 0) SelectRows({std::min(rows.front(), count - 1)});
}

void SlideStrip::DuplicateSelected() {
    const std::vector<std::size_t> rows = SelectedRows();
    if (rows.empty()) return;
    const std::size_t before = document_.Show().SlideCount();
    document_.DuplicateSlides(rows);
    // The copies stand together right after the last slide copied.
    if (document_.Show().SlideCount() != before + rows.size()) return;
    std::vector<std::size_t> copies;
    for (std::size_t k = 0; k < rows.size(); ++k) copies.push_back(rows.back() + 1 + k);
    SelectRows(copies);
}

int SlideStrip::InsertionRow() const {
    const std::vector<std::size_t> rows = SelectedRows();
    return rows.empty() ? model_->rowCount() : static_cast<int>(rows.back()) + 1;
}

void SlideStrip::SelectionMayHaveChanged() {
    std::vector<std::size_t> rows = SelectedRows();
    removeAction_->setEnabled(!rows.empty());
    duplicateAction_->setEnabled(!rows.empty());
    if (rows == lastSelection_) return;
    lastSelection_ = std::move(rows);
    emit SelectionChanged(lastSelection_);
}

}  // namespace pellumo
