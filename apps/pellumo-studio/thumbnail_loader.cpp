#include "thumbnail_loader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include "authoring/exif_orientation.h"
#include "authoring/picture_orientation.h"
#include "base/exceptions.h"
#include "base/memory_stream.h"
#include "imaging/resample/resample.h"
#include "raster/bitmap.h"
#include "raster/jpeg_codec.h"
#include "raster/jpeg_image.h"
#include "raster/picture.h"

namespace pellumo {
namespace {

constexpr qint64 kDefaultCacheBytes = qint64{128} << 20;

bool IsJpegFile(const std::string& fileName) {
    return TPicture::GraphicClassOfFile(fileName) == TJPEGImage::StaticClass();
}

// Reduces a 24-bit bitmap to fit a square of `longestSide`, keeping its proportions; a picture
// that fits stays as it is. One thread: the loader already reads several pictures at once.
void FitInSquare(TBitmap& bitmap, int longestSide) {
    const int width = bitmap.Width(), height = bitmap.Height();
    if (std::max(width, height) <= longestSide) return;
    const double scale = static_cast<double>(longestSide) / std::max(width, height);
    const int newWidth = std::max(1, static_cast<int>(std::lround(width * scale)));
    const int newHeight = std::max(1, static_cast<int>(std::lround(height * scale)));
    ResampleBitmap(newWidth, newHeight, rfTriangle, 0.0f, bitmap, bitmap, 1);
}

QImage ToImage(TBitmap& bitmap) {
    bitmap.SetPixelFormat(pf32bit);  // blue-green-red-unused rows are what Qt calls RGB32
    QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
    const auto rowBytes = static_cast<std::size_t>(bitmap.Width()) * 4;
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* row = image.scanLine(y);
        std::memcpy(row, bitmap.ScanLine(y), rowBytes);
        // Qt takes the unused byte as opacity wherever the image meets transparency.
        for (std::size_t x = 3; x < rowBytes; x += 4) row[x] = 0xFF;
    }
    return image;
}

}  // namespace

QImage ReadThumbnail(const std::string& fileName, int longestSide) {
    longestSide = std::max(longestSide, 1);
    TBitmap bitmap;
    if (IsJpegFile(fileName)) {
        TMemoryStream file;
        file.LoadFromFile(fileName);
        DecodeJpegScaled(file.Bytes(), longestSide, bitmap);
        FitInSquare(bitmap, longestSide);
        // Turned once small: the orientation only moves pixels.
        OrientUpright(bitmap, ExifOrientation(file.Bytes()));
    } else {
        TPicture picture;
        picture.LoadFromFile(fileName);
        bitmap.Assign(*picture.Graphic());
        if (bitmap.Empty())
            throw Exception(QCoreApplication::translate("pellumo::ThumbnailLoader", "L'image n'a aucun pixel.")
                                .toStdString());
        bitmap.SetPixelFormat(pf24bit);
        FitInSquare(bitmap, longestSide);
    }
    return ToImage(bitmap);
}

ThumbnailLoader::ThumbnailLoader(QObject* parent, int threads) : QObject(parent) {
    if (threads <= 0) threads = std::clamp(QThread::idealThreadCount(), 1, 4);
    pool_.setMaxThreadCount(threads);
    cache_.setMaxCost(kDefaultCacheBytes);
}

ThumbnailLoader::~ThumbnailLoader() {
    CancelAll();
    // The workers post their answers to this object: they must be done before it goes.
    pool_.waitForDone();
}

QString ThumbnailLoader::RequestKey(const QString& fileName, int longestSide) {
    return fileName + QChar(0) + QString::number(longestSide);
}

namespace {

// A file rewritten since its thumbnail was made has another time or length.
QString CacheKey(const QString& fileName, int longestSide) {
    const QFileInfo info(fileName);
    return fileName + QChar(0) + QString::number(longestSide) + QChar(0) +
           QString::number(info.lastModified().toMSecsSinceEpoch()) + QChar(0) + QString::number(info.size());
}

}  // namespace

void ThumbnailLoader::Request(const QString& fileName, int longestSide) {
    const QString requestKey = RequestKey(fileName, longestSide);
    if (wanted_.contains(requestKey)) return;
    const Job job{fileName, longestSide, CacheKey(fileName, longestSide), ++lastTicket_};
    wanted_.insert(requestKey, job.ticket);
    if (const QImage* cached = cache_.object(job.cacheKey)) {
        QMetaObject::invokeMethod(
            this, [this, job, image = *cached] { Deliver(job, {image, {}}); }, Qt::QueuedConnection);
        return;
    }
    waiting_.push_back(job);
    Dispatch();
}

void ThumbnailLoader::Cancel(const QString& fileName, int longestSide) {
    const auto found = wanted_.find(RequestKey(fileName, longestSide));
    if (found == wanted_.end()) return;
    const quint64 ticket = found.value();
    wanted_.erase(found);
    std::erase_if(waiting_, [ticket](const Job& job) { return job.ticket == ticket; });
}

void ThumbnailLoader::CancelAll() {
    wanted_.clear();
    waiting_.clear();
}

QImage ThumbnailLoader::Cached(const QString& fileName, int longestSide) const {
    const QImage* cached = cache_.object(CacheKey(fileName, longestSide));
    return cached != nullptr ? *cached : QImage();
}

void ThumbnailLoader::Dispatch() {
    while (running_ < pool_.maxThreadCount() && !waiting_.empty()) {
        const Job job = waiting_.front();
        waiting_.pop_front();
        // Read meanwhile for an earlier request of the same file.
        if (const QImage* cached = cache_.object(job.cacheKey)) {
            QMetaObject::invokeMethod(
                this, [this, job, image = *cached] { Deliver(job, {image, {}}); }, Qt::QueuedConnection);
            continue;
        }
        ++running_;
        // The future is not kept: the worker answers through this object's event queue.
        (void)QtConcurrent::run(&pool_, [this, job] {
            Outcome outcome;
            try {
                outcome.thumbnail = ReadThumbnail(job.fileName.toStdString(), job.longestSide);
            } catch (const Exception& error) {
                outcome.error = QString::fromStdString(error.Message());
            } catch (const std::exception& error) {
                outcome.error = QString::fromLocal8Bit(error.what());
            }
            QMetaObject::invokeMethod(
                this, [this, job, outcome] { Finished(job, outcome); }, Qt::QueuedConnection);
        });
    }
}

void ThumbnailLoader::Finished(const Job& job, const Outcome& outcome) {
    --running_;
    if (!outcome.thumbnail.isNull()) {
        const auto cost = static_cast<qint64>(outcome.thumbnail.sizeInBytes());
        cache_.insert(job.cacheKey, new QImage(outcome.thumbnail), std::min(cost, cache_.maxCost()));
    }
    Deliver(job, outcome);
    Dispatch();
}

void ThumbnailLoader::Deliver(const Job& job, const Outcome& outcome) {
    const auto found = wanted_.find(RequestKey(job.fileName, job.longestSide));
    if (found == wanted_.end() || found.value() != job.ticket) return;
    wanted_.erase(found);
    if (outcome.thumbnail.isNull()) emit ThumbnailFailed(job.fileName, job.longestSide, outcome.error);
    else emit ThumbnailReady(job.fileName, job.longestSide, outcome.thumbnail);
}

}  // namespace pellumo
