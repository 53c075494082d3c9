#include "progress_bar.h"

#include <algorithm>
#include <unistd.h>

namespace pellumo {

std::string ProgressLine(std::size_t done, std::size_t total, std::size_t width) {
    done = std::min(done, total);
    const std::size_t filled = total == 0 ? width : done * width / total;
    const std::size_t percent = total == 0 ? 100 : done * 100 / total;
    const std::string count = std::to_string(total);
    std::string line = std::to_string(done);
    line.insert(0, count.size() - line.size(), ' ');
    line += '/' + count + " [" + std::string(filled, '#') + std::string(width - filled, '-') + "] ";
    const std::string percentText = std::to_string(percent);
    return line + std::string(3 - percentText.size(), ' ') + percentText + " %";
}

TProgressBar::TProgressBar(std::FILE* out, std::string label, std::size_t total)
    : out_(out), label_(std::move(label)), total_(total), shown_(::isatty(::fileno(out)) == 1) {
    Draw();
}

TProgressBar::~TProgressBar() {
    if (shown_) std::fputc('\n', out_);
}

void TProgressBar::Step() {
    ++done_;
    Draw();
}

void TProgressBar::Draw() const {
    if (!shown_) return;
    std::fprintf(out_, "\r%s %s", label_.c_str(), ProgressLine(done_, total_, 30).c_str());
    std::fflush(out_);
}

TWriteProgress ProgressOnBar(std::optional<TProgressBar>& bar, std::string label) {
    TWriteProgress progress;
    progress.step = [&bar, label = std::move(label)](std::size_t done, std::size_t total) {
        if (done == 0)
            bar.emplace(stderr, label, total);
        else if (bar)
            bar->Step();
    };
    return progress;
}

}  // namespace pellumo
