// The player over a show of its own, on Qt's offscreen platform, in a 1920 x 1080 window:
//   show_playback_bench write-show SHOW COUNT WIDTH HEIGHT   a show of COUNT photographs
//   show_playback_bench first-slide SHOW   exits as soon as the first slide has been painted
//                                          (the caller times the process from its start)
//   show_playback_bench play SHOW          plays every slide, then prints the peak memory
#include <QEvent>
#include <QObject>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "base/large_buffers.h"
#include "base/memory_stream.h"
#include "photograph.h"
#include "platform/application.h"
#include "player/main_form.h"
#include "player/show_file.h"
#include "raster/jpeg_image.h"

namespace pellumo {
namespace {

void WriteShow(const std::string& path, int count, int width, int height) {
    TJPEGImage jpeg;
    jpeg.Assign(bench::Photograph(width, height));
    std::vector<show_files::TestSlide> slides(static_cast<std::size_t>(count));
    for (show_files::TestSlide& slide : slides) {
        slide.Entry.Duration = 0;  // rests: the benchmark steps through the show itself
        slide.Entry.TransitionStyle = 56;
        slide.Jpeg = jpeg.Data();
    }
    show_files::WriteShowFile(path, TCatalogue{}, slides);
}

// Raised by the first paint of the picture once a slide is on its way.
class TFirstSlidePaint : public QObject {
public:
    explicit TFirstSlidePaint(const TMainForm& form) : form_(form) {}
    bool painted = false;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && form_.CurrentIndex() >= 1) painted = true;
        return QObject::eventFilter(watched, event);
    }

private:
    const TMainForm& form_;
};

TMainForm& OpenShow(const std::string& path) {
    Application->SetExeName(path);
    TMainForm& form = Application->CreateForm<TMainForm>();
    form.SetWindowState(wsNormal);
    form.SetBounds(0, 0, 1920, 1080);
    return form;
}

void FirstSlide(const std::string& path) {
    TMainForm& form = OpenShow(path);
    TFirstSlidePaint paint(form);
    form.ImageScreen.Widget()->installEventFilter(&paint);
    form.Show();
    while (!paint.painted) Application->ProcessMessages();
    // The time asked for ends here; the process's tear-down is not part of it.
    std::_Exit(0);
}

void WaitForTransition(const TMainForm& form, int index) {
    do {
        Application->ProcessMessages();
    } while (form.ImageScreen.Busy() || form.CurrentIndex() < index);
}

long PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

void Play(const std::string& path) {
    TMainForm& form = OpenShow(path);
    form.Show();
    WaitForTransition(form, 1);
    while (form.CurrentIndex() <= form.LastIndex()) {
        const int next = form.CurrentIndex() + 1;
        form.TimerTimer(&form.Timer);
        WaitForTransition(form, next);
    }
    std::printf("{\"slides\": %d, \"peak_kib\": %ld}\n", form.LastIndex() + 1, PeakResidentKiB());
}

}  // namespace
}  // namespace pellumo

int main(int argc, char** argv) {
    const std::string mode = argc >= 3 ? argv[1] : "";
    if (mode == "write-show" && argc == 6) {
        pellumo::WriteShow(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
        return 0;
    }
    if ((mode != "first-slide" && mode != "play") || argc != 3) {
        std::fprintf(stderr, "usage: %s write-show SHOW COUNT WIDTH HEIGHT | first-slide SHOW | play SHOW\n", argv[0]);
        return 2;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    pellumo::KeepLargeBuffersForReuse();  // as the player runs
    int qtArgc = 1;
    pellumo::TApplication application(qtArgc, argv);
    if (mode == "first-slide")
        pellumo::FirstSlide(argv[2]);
    else
        pellumo::Play(argv[2]);
    return 0;
}
