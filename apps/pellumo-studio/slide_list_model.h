#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <QAbstractListModel>
#include <QCache>
#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QStyle>

#include "authoring/show_document.h"

namespace pellumo {

class StudioDocument;
class ThumbnailLoader;

// The slides of the edited show as a list: each row a slide's thumbnail (asked of the
// thumbnail loader when a view first wants it), its number, duration and transition style as
// it plays them (its own values, else the defaults', else the built-in ones), and its picture
// and caption as tooltip. It follows the show through the document's change notifications.
//
// Dragging rows carries their numbers in a type of our own; dropping them moves the slides
// as one undoable step. Dropping picture files or folders from elsewhere inserts one slide per
// picture, also as one step.
class SlideListModel : public QAbstractListModel {
    Q_OBJECT

public:
    // The rows that a drag of slides carries (with the model they belong to).
    static constexpr const char* kRowsMimeType = "application/x-pellumo-slide-rows";
    // The longer side of the thumbnails, in the interface's pixels.
    static constexpr int kThumbnailSide = 128;
    // The slide's picture path (or folder), as a QString.
    static constexpr int PictureRole = Qt::UserRole + 1;

    SlideListModel(StudioDocument& document, ThumbnailLoader& thumbnails, QObject* parent = nullptr);
    ~SlideListModel() override;
    SlideListModel(const SlideListModel&) = delete;
    SlideListModel& operator=(const SlideListModel&) = delete;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction | Qt::CopyAction; }
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    // Slides of ours: moved so that they stand before `row` (before `parent`'s row when `row`
    // is -1 and `parent` is an item, at the end otherwise). Files: as InsertFiles at that row.
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    // Inserts a slide for each picture file at `row` (-1 or past the end: at the end), a folder
    // standing for its pictures (in name order, or by the date they were taken when
    // SortsFoldersByDate), all as one undoable step. Files that no registered format reads are
    // left out and told through StatusMessage, as are folders that cannot be read or hold no
    // picture. Folders are listed on a worker thread (by date, the start of every picture is
    // read), so that the interface goes on: the slides come in when the listing is done
    // (ListingFolders). False when nothing is inserted or on its way.
    bool InsertFiles(const QStringList& paths, int row);
    // Folders given to InsertFiles or dropped are still being listed.
    bool ListingFolders() const { return listings_ > 0; }

    bool SortsFoldersByDate() const { return sortFoldersByDate_; }
    void SetSortFoldersByDate(bool byDate) { sortFoldersByDate_ = byDate; }

    // The text shown under a slide's thumbnail: "3 · 5 s · 56 Circular reveal from centre".
    QString Label(std::size_t slide) const;

signals:
    // Something the person should read, for a status bar: files left out of a drop.
    void StatusMessage(const QString& message);
    // Rows that a drop or InsertFiles just inserted or moved, so that a view can select them.
    void SlidesPlaced(int first, int count);

private:
    void DocumentChanged(const TDocumentChange& change);
    // Numbers and labels of rows from `first` to the end have changed.
    void RelabelFrom(int first);
    void ThumbnailReady(const QString& fileName, int longestSide, const QImage& thumbnail);
    void ThumbnailFailed(const QString& fileName, int longestSide, const QString& message);
    void UpdatePicture(const QString& fileName);
    QVariant Decoration(const QString& picture) const;
    // The picture centred in a square of the thumbnails' side.
    QPixmap Boxed(const QPixmap& picture) const;
    QPixmap Boxed(QStyle::StandardPixmap icon) const;
    // InsertFiles, with names already left out (addresses that are not files) to tell of.
    bool Insert(const QStringList& paths, const QStringList& ignored, int row);
    // What a listing found, told and inserted at `row` (where it is now, the rows having
    // changed since, or the end).
    struct Listing;
    bool Place(const Listing& listing, int row);
    // The slides for the files and folders, in their order, and what to tell of those left
    // out. Any thread.
    static Listing ListPictures(const QStringList& paths, QStringList ignored, bool byDate);

    StudioDocument& document_;
    ThumbnailLoader& thumbnails_;
    // Either may go first when a window closes: neither is then spoken to.
    QPointer<StudioDocument> documentAlive_;
    QPointer<ThumbnailLoader> loaderAlive_;
    int subscription_ = 0;
    // The rows the views know of: the document has already changed when it tells us, and the
    // views must hear the old count until the change is announced.
    int rows_ = 0;
    int pixelSide_;      // what is asked of the loader: the side in device pixels
    qreal pixelRatio_;
    bool sortFoldersByDate_ = false;
    int listings_ = 0;  // folders being listed on a worker

    // What rows need as they are painted, kept here since data() is asked for on every paint.
    mutable QCache<QString, QPixmap> thumbnailCache_;
    mutable QSet<QString> requested_;
    mutable QHash<QString, QString> failures_;  // picture -> why it has no thumbnail
    mutable QHash<QString, bool> isFolder_;
    mutable QPixmap placeholder_;
    mutable QPixmap folderIcon_;
    mutable QPixmap failedIcon_;
};

}  // namespace pellumo
