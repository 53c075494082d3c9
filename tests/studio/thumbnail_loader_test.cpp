// Thumbnails are made off the interface thread: a strip of large photographs comes back small
// and upright while the interface keeps its pace; files changed since are read again, and
// requests no longer wanted are dropped.
#include "thumbnail_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>

#include <QColor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "raster/bitmap.h"
#include "raster/jpeg_codec.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

// A 6000 x 4000 photograph's worth of JPEG, grainy as the benchmarks' photograph, so that its
// entropy data weighs what a camera's does (about 4 MB): a red left half, gradients on the right.
void WriteLargeJpeg(const fs::path& path) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(6000, 4000);
    std::uint32_t noise = 12345;
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x, row += 3) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = static_cast<int>((noise >> 16) % 17);  // 0..16
            const bool left = x < 3000;
            row[0] = static_cast<std::uint8_t>((left ? 20 : y / 16) + grain);
            row[1] = static_cast<std::uint8_t>((left ? 20 : x / 24) + grain);
            row[2] = static_cast<std::uint8_t>((left ? 200 : 128) + grain);
        }
    }
    const std::vector<std::uint8_t> bytes = EncodeJpeg(bitmap, 85);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
}

std::string TestJpeg(const char* name) { return std::string(PELLUMO_TEST_DATA) + "/jpeg/" + name; }

void ExpectColour(const QImage& image, int x, int y, QColor expected, int tolerance = 12) {
    const QColor got = image.pixelColor(x, y);
    EXPECT_NEAR(got.red(), expected.red(), tolerance) << "at " << x << "," << y;
    EXPECT_NEAR(got.green(), expected.green(), tolerance) << "at " << x << "," << y;
    EXPECT_NEAR(got.blue(), expected.blue(), tolerance) << "at " << x << "," << y;
}

TEST(ThumbnailLoader, FiftyLargePhotographsComeBackSmallWhileTheInterfaceKeepsItsPace) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const fs::path original = fs::path(folder.path().toStdString()) / "photo.jpg";
    WriteLargeJpeg(original);
    std::cout << "[ thumbnails ] the photograph weighs " << fs::file_size(original) / 1000 << " kB\n";
    // Fifty files of one photograph, as a folder of a camera's pictures would be.
    std::vector<QString> names;
    for (int i = 0; i < 50; ++i) {
        const fs::path name = original.parent_path() / ("photo" + std::to_string(i) + ".jpg");
        std::error_code error;
        fs::create_hard_link(original, name, error);
        if (error) fs::copy_file(original, name);
        names.push_back(QString::fromStdString(name.string()));
    }

    ThumbnailLoader loader;
    int ready = 0, failed = 0;
    QEventLoop loop;
    QElapsedTimer clock;
    qint64 firstAnswer = -1;
    QObject::connect(&loader, &ThumbnailLoader::ThumbnailReady, [&](const QString&, int, const QImage& thumbnail) {
        if (firstAnswer < 0) firstAnswer = clock.elapsed();
        EXPECT_EQ(thumbnail.size(), QSize(256, 171));
        ExpectColour(thumbnail, 40, 85, QColor(208, 28, 28));
        if (++ready + failed == 50) loop.quit();
    });
    QObject::connect(&loader, &ThumbnailLoader::ThumbnailFailed, [&](const QString&, int, const QString& message) {
        ADD_FAILURE() << message.toStdString();
        if (ready + ++failed == 50) loop.quit();
    });

    // The interface thread's pace: a tick every 5 ms, and the longest wait between two.
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    ticks.setInterval(5);
    qint64 lastTick = -1, longestGap = 0;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (lastTick >= 0) longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });
    qint64 longestRequestNs = 0;
    QTimer::singleShot(20, [&] {
        clock.restart();
        for (const QString& name : names) {
            QElapsedTimer request;
            request.start();
            loader.Request(name, 256);
            longestRequestNs = std::max(longestRequestNs, request.nsecsElapsed());
        }
    });
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    clock.start();
    ticks.start();
    loop.exec();
    const qint64 total = clock.elapsed();

    EXPECT_EQ(ready, 50);
    std::cout << "[ thumbnails ] 50 of 6000x4000 on " << loader.Threads() << " threads: first after " << firstAnswer
              << " ms, all after " << total << " ms (" << total * loader.Threads() / 50
              << " ms of a thread each); longest request " << longestRequestNs / 1000
              << " us; longest gap between 5 ms ticks " << longestGap << " ms\n";
    ::testing::Test::RecordProperty("longest_tick_gap_ms", static_cast<int>(longestGap));
    EXPECT_LT(longestRequestNs, 50'000'000);
    EXPECT_LT(longestGap, 200);
}

TEST(ThumbnailLoader, TurnsJpegsUprightReadsOtherFormatsAndReportsWhatItCannotRead) {
    QTemporaryDir folder;
    const QString png = folder.filePath("halves.png");
    QImage halves(300, 200, QImage::Format_RGB32);
    halves.fill(QColor(20, 160, 40));
    for (int y = 0; y < 200; ++y)
        for (int x = 150; x < 300; ++x) halves.setPixelColor(x, y, QColor(200, 40, 180));
    ASSERT_TRUE(halves.save(png));
    const QString broken = folder.filePath("broken.png");
    std::ofstream(broken.toStdString()) << "not a picture at all";
    const QString upright = QString::fromStdString(TestJpeg("orientation_6_mm_16x16.jpg"));

    ThumbnailLoader loader;
    QSignalSpy ready(&loader, &ThumbnailLoader::ThumbnailReady);
    QSignalSpy failed(&loader, &ThumbnailLoader::ThumbnailFailed);
    loader.Request(upright, 8);
    loader.Request(png, 64);
    loader.Request(broken, 64);
    loader.Request(folder.filePath("missing.jpg"), 64);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ready.count() + failed.count() == 4; }, 20000));
    ASSERT_EQ(ready.count(), 2);

    for (const QList<QVariant>& answer : ready) {
        const QImage thumbnail = answer[2].value<QImage>();
        if (answer[0].toString() == upright) {
            // Stored as red, green / blue, white and turned a quarter clockwise by its Exif data.
            ASSERT_EQ(thumbnail.size(), QSize(8, 8));
            ExpectColour(thumbnail, 1, 1, QColor(30, 50, 220));
            ExpectColour(thumbnail, 6, 1, QColor(200, 30, 40));
            ExpectColour(thumbnail, 6, 6, QColor(20, 180, 60));
            ExpectColour(thumbnail, 1, 6, QColor(250, 250, 250));
        } else {
            ASSERT_EQ(thumbnail.size(), QSize(64, 43));
            ExpectColour(thumbnail, 10, 20, QColor(20, 160, 40));
            ExpectColour(thumbnail, 54, 20, QColor(200, 40, 180));
        }
    }
    for (const QList<QVariant>& answer : failed) {
        EXPECT_FALSE(answer[2].toString().isEmpty()) << answer[0].toString().toStdString();
        EXPECT_TRUE(loader.Cached(answer[0].toString(), 64).isNull());
    }
    EXPECT_EQ(loader.PendingCount(), 0);
}

TEST(ThumbnailLoader, ReadsAChangedFileAgainAndDropsRequestsNoLongerWanted) {
    QTemporaryDir folder;
    const QString png = folder.filePath("plain.png");
    QImage plain(40, 40, QImage::Format_RGB32);
    plain.fill(QColor(0, 0, 200));
    ASSERT_TRUE(plain.save(png));

    ThumbnailLoader loader(nullptr, 1);
    QSignalSpy ready(&loader, &ThumbnailLoader::ThumbnailReady);
    loader.Request(png, 32);
    loader.Request(png, 32);  // already on its way: one answer
    ASSERT_TRUE(QTest::qWaitFor([&] { return ready.count() == 1; }, 10000));
    EXPECT_FALSE(QTest::qWaitFor([&] { return ready.count() > 1; }, 200));
    ExpectColour(loader.Cached(png, 32), 5, 5, QColor(0, 0, 200));
    EXPECT_TRUE(loader.Cached(png, 16).isNull());  // another size is another thumbnail

    // Rewritten: the cached thumbnail is of a file that no longer is.
    plain.fill(QColor(230, 200, 0));
    ASSERT_TRUE(plain.save(png));
    const fs::path path = png.toStdString();
    fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(2));
    EXPECT_TRUE(loader.Cached(png, 32).isNull());
    loader.Request(png, 32);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ready.count() == 2; }, 10000));
    ExpectColour(ready[1][2].value<QImage>(), 5, 5, QColor(230, 200, 0));

    // One thread: the first request is read while the others wait, and those are cancelled.
    QSignalSpy failed(&loader, &ThumbnailLoader::ThumbnailFailed);
    ready.clear();
    for (int size : {20, 21, 22, 23}) loader.Request(png, size);
    loader.Cancel(png, 21);
    loader.Cancel(png, 23);
    loader.Request(png, 32);  // cached, but answered through the event loop all the same
    loader.Cancel(png, 32);
    EXPECT_TRUE(ready.isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ready.count() == 2; }, 10000));
    EXPECT_FALSE(QTest::qWaitFor([&] { return ready.count() > 2 || !failed.isEmpty(); }, 300));
    EXPECT_EQ(ready[0][1].toInt(), 20);
    EXPECT_EQ(ready[1][1].toInt(), 22);
    EXPECT_EQ(loader.PendingCount(), 0);
}

}  // namespace
}  // namespace pellumo
