// The timer-driven sequence of the main window and the stepping commands.
#include "player/main_form.h"

#include <algorithm>
#include <exception>

#include "base/ansi_text.h"

namespace pellumo {
namespace {

// The timer's interval for a slide, in milliseconds; a duration too long for the timer waits
// as long as the timer can.
unsigned IntervalOf(const TSlideEntry& entry) {
    constexpr std::int32_t kLongest = 0x7FFFFFFF / 1000;
    return static_cast<unsigned>(std::clamp(entry.Duration, 0, kLongest)) * 1000u;
}

}  // namespace

void TMainForm::ApplySlide(const TSlideEntry& entry) {
    catalogueStream_->SetPosition(entry.DataOffset);
    LoadSlidePicture();
    LabelComment.SetCaption({});
    LabelComment.SetCaption(AnsiToUtf8(entry.Caption.Text()));
    LabelComment.Font().SetColor(entry.CaptionColor);
    SetColor(entry.BackColor);
    framed_ = entry.Framed;
    frameColor_ = entry.FrameColor;
    transitionStyle_ = entry.TransitionStyle;
    ShowSlide();
}

void TMainForm::TimerTimer(TObject*) {
    if (currentIndex_ > lastIndex_) {
        if (!loopShow_) {
            Timer.SetEnabled(false);
            return;
        }
        currentIndex_ = 0;
    }
    // An empty show has nothing at index 0 either.
    if (currentIndex_ > lastIndex_) {
        Timer.SetEnabled(false);
        return;
    }
    try {
        const TSlideEntry& entry = slides_[static_cast<std::size_t>(currentIndex_)];
        Timer.SetInterval(IntervalOf(entry));
        Timer.SetEnabled(false);
        ApplySlide(entry);
        Timer.SetEnabled(true);
        ++currentIndex_;
    } catch (const std::exception&) {
        // A slide that cannot be read stops the show quietly; the screen keeps what it had.
        Timer.SetEnabled(false);
    }
}

void TMainForm::StepTo(int index) {
    currentIndex_ = index;
    try {
        const TSlideEntry& entry = slides_[static_cast<std::size_t>(currentIndex_)];
        Timer.SetInterval(IntervalOf(entry));
        ApplySlide(entry);
    } catch (const std::exception&) {
        Timer.SetEnabled(false);
    }
}

void TMainForm::B_PrecClick(TObject*) {
    Timer.SetEnabled(false);
    if (currentIndex_ > 0) StepTo(currentIndex_ - 1);
}

void TMainForm::B_SuivClick(TObject*) {
    Timer.SetEnabled(false);
    if (currentIndex_ < lastIndex_) StepTo(currentIndex_ + 1);
}

void TMainForm::B_LecClick(TObject*) {
    currentIndex_ = currentIndex_ < lastIndex_ ? currentIndex_ + 1 : 0;
    if (!Timer.Enabled()) Timer.SetEnabled(true);
}

void TMainForm::B_PauseClick(TObject*) { Timer.SetEnabled(false); }

}  // namespace pellumo
