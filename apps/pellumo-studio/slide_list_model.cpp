#include "slide_list_model.h"

#include <algorithm>
#include <optional>
#include <string>

#include <QApplication>
#include <QDataStream>
#include <QFutureWatcher>
#include <QFileInfo>
#include <QIODevice>
#include <QMimeData>
#include <QPainter>
#include <QStyle>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

#include "authoring/picture_folders.h"
#include "authoring/show_plan.h"
#include "base/exceptions.h"
#include "studio_document.h"
#include "thumbnail_loader.h"
#include "transition/style_names.h"

namespace pellumo {
namespace {

// Thumbnails kept ready to paint; the loader keeps its own, larger cache behind this one.
constexpr int kThumbnailCacheBytes = 64 << 20;

// What a drag of slides carries: whose rows they are (this process, this model) and the rows.
// A drop of rows from another model or program is no move of ours.
QByteArray EncodeRows(const void* owner, const std::vector<int>& rows) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << static_cast<qint64>(QCoreApplication::applicationPid()) << static_cast<quint64>(reinterpret_cast<quintptr>(owner))
        << static_cast<quint32>(rows.size());
    for (const int row : rows) out << static_cast<quint32>(row);
    return bytes;
}

// The rows, when the bytes are a drag of this model's rows that still exist; none otherwise.
std::optional<std::vector<std::size_t>> DecodeRows(const QByteArray& bytes, const void* owner, int rowCount) {
    QDataStream in(bytes);
    qint64 pid = 0;
    quint64 model = 0;
    quint32 count = 0;
    in >> pid >> model >> count;
    if (in.status() != QDataStream::Ok || pid != QCoreApplication::applicationPid() ||
        model != static_cast<quint64>(reinterpret_cast<quintptr>(owner)) || count > static_cast<quint32>(rowCount))
        return std::nullopt;
    std::vector<std::size_t> rows;
    for (quint32 k = 0; k < count; ++k) {
        quint32 row = 0;
        in >> row;
        if (in.status() != QDataStream::Ok || row >= static_cast<quint32>(rowCount)) return std::nullopt;
        rows.push_back(row);
    }
    return rows;
}

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Restores the cursor however the work ends.

}  // namespace

SlideListModel::SlideListModel(StudioDocument& document, ThumbnailLoader& thumbnails, QObject* parent)
    : QAbstractListModel(parent),
      document_(document),
      thumbnails_(thumbnails),
      documentAlive_(&document),
      loaderAlive_(&thumbnails),
      rows_(static_cast<int>(document.Show().SlideCount())),
      pixelRatio_(qApp->devicePixelRatio()) {
    pixelSide_ = qRound(kThumbnailSide * pixelRatio_);
    thumbnailCache_.setMaxCost(kThumbnailCacheBytes);
    subscription_ = document_.Subscribe([this](const TDocumentChange& change) { DocumentChanged(change); });
    connect(&thumbnails_, &ThumbnailLoader::ThumbnailReady, this, &SlideListModel::ThumbnailReady);
    connect(&thumbnails_, &ThumbnailLoader::ThumbnailFailed, this, &SlideListModel::ThumbnailFailed);
}

SlideListModel::~SlideListModel() {
    for (; listings_ > 0; --listings_) QApplication::restoreOverrideCursor();
    if (documentAlive_) document_.Unsubscribe(subscription_);
    if (loaderAlive_)
        for (const QString& picture : std::as_const(requested_)) thumbnails_.Cancel(picture, pixelSide_);
}

int SlideListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

QVariant SlideListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || static_cast<std::size_t>(index.row()) >= document_.Show().SlideCount())
        return {};
    const TDocumentSlide& slide = document_.Show().Slide(static_cast<std::size_t>(index.row()));
    const QString picture = QString::fromStdString(slide.picture);
    switch (role) {
        case Qt::DisplayRole:
            return Label(static_cast<std::size_t>(index.row()));
        case Qt::DecorationRole:
            return Decoration(picture);
        case Qt::ToolTipRole: {
            QStringList lines{picture};
            if (isFolder_.value(picture)) lines << tr("Dossier : une diapositive par image qu'il contient");
            const std::string caption = slide.values.caption.value_or(document_.Show().Defaults().caption.value_or(""));
            if (!caption.empty()) lines << tr("Légende : %1").arg(QString::fromStdString(caption));
            if (failures_.contains(picture)) lines << tr("Pas d'aperçu : %1").arg(failures_.value(picture));
            return lines.join(QLatin1Char('\n'));
        }
        case PictureRole:
            return picture;
        default:
            return {};
    }
}

QString SlideListModel::Label(std::size_t slide) const {
    static const TSlideEntry kBuiltIn = DefaultSlideSettings();
    const TSlideValues& own = document_.Show().Slide(slide).values;
    const TSlideValues& defaults = document_.Show().Defaults();
    const std::int32_t duration = own.duration.value_or(defaults.duration.value_or(kBuiltIn.Duration));
    const TShowStyle style = own.style.value_or(defaults.style.value_or(SlideStyle(kBuiltIn.TransitionStyle)));
    return tr("%1 · %2 s · %3 %4")
        .arg(slide + 1)
        .arg(duration)
        .arg(static_cast<int>(style))
        .arg(FromUtf8(StyleNameOf(style)))
        .trimmed();
}

QPixmap SlideListModel::Boxed(const QPixmap& picture) const {
    QPixmap box(pixelSide_, pixelSide_);
    box.fill(Qt::transparent);
    QPixmap inner = picture;
    inner.setDevicePixelRatio(1);  // placed in device pixels
    QPainter painter(&box);
    painter.drawPixmap((pixelSide_ - inner.width()) / 2, (pixelSide_ - inner.height()) / 2, inner);
    painter.end();
    box.setDevicePixelRatio(pixelRatio_);
    return box;
}

QPixmap SlideListModel::Boxed(QStyle::StandardPixmap icon) const {
    return Boxed(QApplication::style()->standardIcon(icon).pixmap(QSize(kThumbnailSide, kThumbnailSide), pixelRatio_));
}

QVariant SlideListModel::Decoration(const QString& picture) const {
    // Every decoration fills the same square: a view that sizes its items by the first one
    // (uniform sizes) then has room for all of them.
    if (const QPixmap* thumbnail = thumbnailCache_.object(picture)) return *thumbnail;
    if (failures_.contains(picture)) {
        if (failedIcon_.isNull()) failedIcon_ = Boxed(QStyle::SP_MessageBoxWarning);
        return failedIcon_;
    }
    auto folder = isFolder_.constFind(picture);
    if (folder == isFolder_.constEnd()) folder = isFolder_.insert(picture, QFileInfo(picture).isDir());
    if (*folder) {
        if (folderIcon_.isNull()) folderIcon_ = Boxed(QStyle::SP_DirIcon);
        return folderIcon_;
    }
    if (!requested_.contains(picture)) {
        requested_.insert(picture);
        thumbnails_.Request(picture, pixelSide_);  // answers through the event loop, never from here
    }
    if (placeholder_.isNull()) {
        // A neutral frame of a photograph's proportions, where the thumbnail will come.
        QPixmap frame(pixelSide_, pixelSide_ * 3 / 4);
        frame.fill(QColor(0xC8, 0xC8, 0xC8));
        QPainter painter(&frame);
        painter.setPen(QColor(0xA0, 0xA0, 0xA0));
        painter.drawRect(frame.rect().adjusted(0, 0, -1, -1));
        painter.end();
        placeholder_ = Boxed(frame);
    }
    return placeholder_;
}

Qt::ItemFlags SlideListModel::flags(const QModelIndex& index) const {
    // Slides are dropped between slides, never onto one.
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

QStringList SlideListModel::mimeTypes() const { return {QString::fromLatin1(kRowsMimeType), QStringLiteral("text/uri-list")}; }

QMimeData* SlideListModel::mimeData(const QModelIndexList& indexes) const {
    std::vector<int> rows;
    for (const QModelIndex& index : indexes)
        if (index.isValid() && index.model() == this && index.row() < rows_) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.empty()) return nullptr;
    // Rows only, no file addresses: another program offered a move of the pictures could
    // move the files themselves.
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kRowsMimeType), EncodeRows(this, rows));
    return data;
}

bool SlideListModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                     const QModelIndex&) const {
    if (data == nullptr || action == Qt::IgnoreAction) return false;
    if (data->hasFormat(QString::fromLatin1(kRowsMimeType)))
        return DecodeRows(data->data(QString::fromLatin1(kRowsMimeType)), this, rows_).has_value();
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

bool SlideListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                  const QModelIndex& parent) {
    if (data == nullptr || action == Qt::IgnoreAction) return false;
    int before = row >= 0 ? row : parent.isValid() ? parent.row() : rows_;
    before = std::clamp(before, 0, rows_);
    if (data->hasFormat(QString::fromLatin1(kRowsMimeType))) {
        const auto rows = DecodeRows(data->data(QString::fromLatin1(kRowsMimeType)), this, rows_);
        if (!rows) return false;
        // Where the first of them lands once the others close up.
        const auto landing = before - static_cast<int>(std::count_if(rows->begin(), rows->end(), [before](std::size_t r) {
                                          return r < static_cast<std::size_t>(before);
                                      }));
        const int count = static_cast<int>(rows->size());
        document_.MoveSlides(*rows, static_cast<std::size_t>(before));
        emit SlidesPlaced(landing, count);
        return true;
    }
    if (!data->hasUrls()) return false;
    QStringList files, others;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) files << url.toLocalFile();
        else others << url.toDisplayString();
    }
    return Insert(files, others, before);
}

struct SlideListModel::Listing {
    std::vector<TDocumentSlide> slides;
    QStringList messages;
};

SlideListModel::Listing SlideListModel::ListPictures(const QStringList& paths, QStringList ignored, bool byDate) {
    Listing listing;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        const std::string name = path.toStdString();
        if (info.isDir()) {
            try {
                const std::vector<std::string> pictures = byDate ? PicturesInFolderByDate(name) : PicturesInFolder(name);
                if (pictures.empty()) listing.messages << tr("Aucune image dans le dossier « %1 ».").arg(path);
                for (const std::string& picture : pictures) listing.slides.push_back({picture, {}, {}});
            } catch (const Exception& error) {
                listing.messages << QString::fromStdString(error.Message());
            }
        } else if (HasPictureExtension(name)) {
            listing.slides.push_back({name, {}, {}});
        } else {
            ignored << info.fileName();
        }
    }
    if (ignored.size() == 1)
        listing.messages << tr("« %1 » n'est pas une image : laissé de côté.").arg(ignored.front());
    else if (ignored.size() > 1)
        listing.messages << tr("Ce ne sont pas des images, laissés de côté : %1.").arg(ignored.join(QStringLiteral(", ")));
    return listing;
}

bool SlideListModel::InsertFiles(const QStringList& paths, int row) { return Insert(paths, {}, row); }

bool SlideListModel::Insert(const QStringList& paths, const QStringList& ignored, int row) {
    if (std::none_of(paths.begin(), paths.end(), [](const QString& path) { return QFileInfo(path).isDir(); }))
        return Place(ListPictures(paths, ignored, sortFoldersByDate_), row);

    auto* watcher = new QFutureWatcher<Listing>(this);
    ++listings_;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, row] {
        QApplication::restoreOverrideCursor();
        --listings_;
        Place(watcher->result(), row);
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run(ListPictures, paths, ignored, sortFoldersByDate_));
    return true;
}

bool SlideListModel::Place(const Listing& listing, int row) {
    if (!listing.messages.isEmpty()) emit StatusMessage(listing.messages.join(QLatin1Char(' ')));
    if (listing.slides.empty() || !documentAlive_) return false;
    const int at = row < 0 || row > rows_ ? rows_ : row;
    const int count = static_cast<int>(listing.slides.size());
    document_.InsertSlides(static_cast<std::size_t>(at), listing.slides,
                           count == 1 ? tr("Ajouter une image") : tr("Ajouter %n images", nullptr, count));
    emit SlidesPlaced(at, count);
    return true;
}

void SlideListModel::DocumentChanged(const TDocumentChange& change) {
    const int first = static_cast<int>(change.first), count = static_cast<int>(change.count);
    switch (change.kind) {
        case dcSlidesInserted:
            beginInsertRows({}, first, first + count - 1);
            rows_ += count;
            endInsertRows();
            RelabelFrom(first + count);
            break;
        case dcSlidesRemoved:
            beginRemoveRows({}, first, first + count - 1);
            rows_ -= count;
            endRemoveRows();
            RelabelFrom(first);
            break;
        case dcSlidesMoved: {
            const int to = static_cast<int>(change.to);
            // Qt names the place in the list as it was: before the row that then stood there.
            if (beginMoveRows({}, first, first + count - 1, {}, to < first ? to : to + count)) endMoveRows();
            RelabelFrom(std::min(first, to));
            break;
        }
        case dcSlideChanged:
            emit dataChanged(index(first), index(first + std::max(count, 1) - 1));
            break;
        case dcSettings:
        case dcDefaults:
            // Slides take what they leave unset from the defaults.
            if (rows_ > 0) emit dataChanged(index(0), index(rows_ - 1), {Qt::DisplayRole, Qt::ToolTipRole});
            break;
        case dcReset:
            beginResetModel();
            rows_ = static_cast<int>(document_.Show().SlideCount());
            // Another show: its pictures may have changed on disk since they were last seen.
            thumbnailCache_.clear();
            failures_.clear();
            isFolder_.clear();
            endResetModel();
            break;
    }
}

void SlideListModel::RelabelFrom(int first) {
    if (first < rows_) emit dataChanged(index(first), index(rows_ - 1), {Qt::DisplayRole});
}

void SlideListModel::ThumbnailReady(const QString& fileName, int longestSide, const QImage& thumbnail) {
    if (longestSide != pixelSide_ || !requested_.remove(fileName)) return;
    auto* pixmap = new QPixmap(Boxed(QPixmap::fromImage(thumbnail)));
    const int cost = pixmap->width() * pixmap->height() * 4;
    thumbnailCache_.insert(fileName, pixmap, cost);
    UpdatePicture(fileName);
}

void SlideListModel::ThumbnailFailed(const QString& fileName, int longestSide, const QString& message) {
    if (longestSide != pixelSide_ || !requested_.remove(fileName)) return;
    failures_.insert(fileName, message);
    UpdatePicture(fileName);
}

void SlideListModel::UpdatePicture(const QString& fileName) {
    const std::string picture = fileName.toStdString();
    const auto& slides = document_.Show().Slides();
    for (int row = 0; row < rows_ && static_cast<std::size_t>(row) < slides.size(); ++row)
        if (slides[static_cast<std::size_t>(row)].picture == picture)
            emit dataChanged(index(row), index(row), {Qt::DecorationRole, Qt::ToolTipRole});
}

}  // namespace pellumo
