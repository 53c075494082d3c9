#pragma once

#include <deque>
#include <string>

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>
#include <QThreadPool>

namespace pellumo {

// The thumbnail of one picture file, upright, its longer side at most `longestSide` (never
// enlarged), as a 32-bit image. A JPEG is decoded at the smallest DCT scale that still
// reaches the size, then turned upright by its Exif orientation; other formats are read
// through the format registry (started by main) at full size. Raises the layers' exceptions;
// any thread.
QImage ReadThumbnail(const std::string& fileName, int longestSide);

// Thumbnails of picture files, made on a few worker threads and handed to the interface
// thread by signal, so that a strip of large photographs never holds the interface up.
// Results are cached by file, size and the file's modification time and length: a file
// changed since is read again. Interface thread only.
class ThumbnailLoader : public QObject {
    Q_OBJECT

public:
    // `threads`: how many pictures are read at once; 0 takes the number of cores, at most 4.
    explicit ThumbnailLoader(QObject* parent = nullptr, int threads = 0);
    // Drops what waits and waits for what is being read.
    ~ThumbnailLoader() override;
    ThumbnailLoader(const ThumbnailLoader&) = delete;
    ThumbnailLoader& operator=(const ThumbnailLoader&) = delete;

    // Asks for a thumbnail and returns at once. The answer comes later, always through the
    // event loop (even from the cache): ThumbnailReady or ThumbnailFailed, once, unless the
    // request is cancelled first. Asking again for one that is on its way changes nothing.
    // Requests are served in the order they came.
    void Request(const QString& fileName, int longestSide);
    // The request is no longer wanted: it is dropped if it waits, and its answer is not
    // delivered if it is being read (the thumbnail still joins the cache).
    void Cancel(const QString& fileName, int longestSide);
    void CancelAll();
    // Requests asked for and not answered or cancelled yet.
    int PendingCount() const { return static_cast<int>(wanted_.size()); }

    // The cached thumbnail of the file as it is now, or a null image.
    QImage Cached(const QString& fileName, int longestSide) const;
    // The cache's budget in bytes of pixels (128 MiB by default); the least recently used go first.
    void SetCacheLimit(qint64 bytes) { cache_.setMaxCost(bytes); }
    int Threads() const { return pool_.maxThreadCount(); }

signals:
    void ThumbnailReady(const QString& fileName, int longestSide, const QImage& thumbnail);
    void ThumbnailFailed(const QString& fileName, int longestSide, const QString& message);

private:
    struct Job {
        QString fileName;
        int longestSide;
        QString cacheKey;
        quint64 ticket;
    };
    struct Outcome {
        QImage thumbnail;
        QString error;
    };

    void Dispatch();
    void Finished(const Job& job, const Outcome& outcome);
    // Delivers the answer when the request is still wanted as that ticket.
    void Deliver(const Job& job, const Outcome& outcome);
    static QString RequestKey(const QString& fileName, int longestSide);

    QThreadPool pool_;
    std::deque<Job> waiting_;
    int running_ = 0;
    // Request key -> ticket of the request that is wanted.
    QHash<QString, quint64> wanted_;
    quint64 lastTicket_ = 0;
    QCache<QString, QImage> cache_;
};

}  // namespace pellumo
