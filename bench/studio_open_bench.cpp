// The editor opening a folder of photographs, on Qt's offscreen platform, as a person does it:
// the folder dropped on the strip, then the strip run through to its end while thumbnails
// come. A timer on the interface thread measures how long that thread was held up:
//   studio_open_bench FOLDER COUNT WIDTH HEIGHT [--by-date]
// makes FOLDER (when missing) with COUNT photographs of WIDTH x HEIGHT (links to one JPEG, so
// each is a file of its own to the editor), then prints one JSON line. With PELLUMO_PAUSES set,
// every pause over 30 ms is told on stderr as it happens.
#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "imaging/formats/format_registry.h"
#include "main_window.h"
#include "photograph.h"
#include "raster/jpeg_image.h"
#include "slide_list_model.h"
#include "slide_strip.h"
#include "thumbnail_loader.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

void MakeFolder(const fs::path& folder, int count, int width, int height) {
    if (fs::exists(folder)) return;
    fs::create_directories(folder);
    TJPEGImage jpeg;
    jpeg.Assign(bench::Photograph(width, height));
    const fs::path first = folder / "photo-0001.jpg";
    jpeg.SaveToFile(first.string());
    for (int i = 2; i <= count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "photo-%04d.jpg", i);
        fs::create_hard_link(first, folder / name);
    }
}

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The longest time between two ticks of a timer that asks to tick every millisecond: how long
// the interface thread was held up; and how much of it that thread itself worked, which on a
// busy machine can be far less (it waited for a core).
class PauseMeter : public QObject {
public:
    PauseMeter() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        connect(&timer_, &QTimer::timeout, this, [this] {
            const double pause = clock_.nsecsElapsed() / 1e6;
            const double cpu = ThreadCpuMs();
            const double busy = cpu - lastCpu_;
            if (pause > 30 && std::getenv("PELLUMO_PAUSES"))
                std::fprintf(stderr, "pause %.1f ms (%.1f ms working) at %lld ms\n", pause, busy,
                             static_cast<long long>(since_.elapsed()));
            longest_ = std::max(longest_, pause);
            longestBusy_ = std::max(longestBusy_, busy);
            lastCpu_ = cpu;
            clock_.restart();
        });
    }
    void Start() {
        longest_ = longestBusy_ = 0;
        lastCpu_ = ThreadCpuMs();
        since_.start();
        clock_.start();
        timer_.start();
    }
    double LongestMs() const { return longest_; }
    double LongestBusyMs() const { return longestBusy_; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    QElapsedTimer since_;
    double longest_ = 0;
    double longestBusy_ = 0;
    double lastCpu_ = 0;
};

int Run(const fs::path& folder, int count, int width, int height, bool byDate) {
    MakeFolder(folder, count, width, height);
    QElapsedTimer total;
    total.start();
    MainWindow window;
    window.resize(1200, 800);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    const double shownMs = total.nsecsElapsed() / 1e6;

    SlideStrip& strip = window.Strip();
    auto* loader = strip.findChild<ThumbnailLoader*>();
    if (loader == nullptr) loader = window.findChild<ThumbnailLoader*>();
    strip.Slides().SetSortFoldersByDate(byDate);
    PauseMeter meter;
    meter.Start();
    QElapsedTimer clock;
    clock.start();
    double insertMs = 0;
    QTimer::singleShot(0, &strip, [&] {
        strip.Slides().InsertFiles({QString::fromStdString(folder.string())}, -1);
        insertMs = clock.nsecsElapsed() / 1e6;
    });
    // The strip run through as a person scrolls it, a page every 100 ms (a click in the
    // scroll bar's trough).
    int slides = 0;
    QScrollBar* scroll = strip.verticalScrollBar();
    while (clock.elapsed() < 300000) {
        QTest::qWait(100);
        slides = strip.Slides().rowCount();
        if (slides == 0) continue;
        scroll->triggerAction(QAbstractSlider::SliderPageStepAdd);
        if (scroll->value() == scroll->maximum() && loader->PendingCount() == 0) break;
    }
    const double allMs = clock.nsecsElapsed() / 1e6;
    std::printf("{\"slides\": %d, \"window_ms\": %.1f, \"insert_ms\": %.1f, \"through_ms\": %.1f, "
                "\"longest_pause_ms\": %.1f, \"longest_work_ms\": %.1f}\n",
                slides, shownMs, insertMs, allMs, meter.LongestMs(), meter.LongestBusyMs());
    return slides == count ? 0 : 1;
}

}  // namespace
}  // namespace pellumo

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s FOLDER COUNT WIDTH HEIGHT [--by-date]\n", argv[0]);
        return 2;
    }
    const pellumo::TImageFormatsGuard imageFormats;
    QApplication application(argc, argv);
    return pellumo::Run(argv[1], std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]),
                        argc > 5 && std::string(argv[5]) == "--by-date");
}
