#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "authoring/show_writer.h"

namespace pellumo {

// The line a progress bar shows after `done` of `total` items: a count, a bar of `width`
// cells and a percentage, e.g. " 57/200 [########----------------]  28 %".
std::string ProgressLine(std::size_t done, std::size_t total, std::size_t width);

// A progress bar redrawn in place on a terminal while a long task works through its items;
// on anything that is not a terminal (a file, a pipe) it writes nothing.
class TProgressBar {
public:
    TProgressBar(std::FILE* out, std::string label, std::size_t total);
    ~TProgressBar();
    TProgressBar(const TProgressBar&) = delete;
    TProgressBar& operator=(const TProgressBar&) = delete;

    // One more item done.
    void Step();

private:
    void Draw() const;

    std::FILE* out_;
    std::string label_;
    std::size_t total_;
    std::size_t done_ = 0;
    bool shown_;
};

// A long write's progress drawn on `bar`, labelled `label`, which is made once the writer says
// it starts (told 0 done) and steps with each item after.
TWriteProgress ProgressOnBar(std::optional<TProgressBar>& bar, std::string label);

}  // namespace pellumo
