// The timer-driven sequence of the main window and the stepping commands: the steps' rules
// are slide_steps; here they are carried out on the window.
#include <exception>

#include "base/ansi_text.h"
#include "player/main_form.h"

namespace pellumo {

void TMainForm::ApplySlide(const TSlideEntry& entry) {
    catalogueStream_->SetPosition(entry.DataOffset);
    LoadSlidePicture(entry);
    LabelComment.SetCaption({});
    LabelComment.SetCaption(AnsiToUtf8(entry.Caption.Text()));
    LabelComment.Font().SetColor(entry.CaptionColor);
    SetColor(entry.BackColor);
    framed_ = entry.Framed;
    frameColor_ = entry.FrameColor;
    transitionStyle_ = entry.TransitionStyle;
    ShowSlide();
}

TShowPosition TMainForm::Position() const { return {currentIndex_, lastIndex_, loopShow_, Timer.Enabled()}; }

void TMainForm::TakeStep(const TSlideStep& step) {
    if (step.Show) {
        const TSlideEntry& entry = slides_[static_cast<std::size_t>(*step.Show)];
        if (frameLog_) frameLog_->SetSlide(*step.Show);
        Timer.SetInterval(SlideInterval(entry.Duration));
        Timer.SetEnabled(false);
        try {
            ApplySlide(entry);
        } catch (const std::exception&) {
            // A slide that cannot be read (its bytes damaged since the show was made) is passed
            // over as if it had been shown: the screen keeps what it had, and the index and the
            // timer move on below, so the show goes on after the slide's time.
        }
    }
    currentIndex_ = step.IndexAfter;
    // Enabling starts the timer's phase anew: a running timer is left alone.
    if (Timer.Enabled() != step.TimerAfter) Timer.SetEnabled(step.TimerAfter);
}

void TMainForm::TimerTimer(TObject*) { TakeStep(TickStep(Position())); }

void TMainForm::B_PrecClick(TObject*) { TakeStep(PreviousStep(Position())); }

void TMainForm::B_SuivClick(TObject*) { TakeStep(NextStep(Position())); }

void TMainForm::B_LecClick(TObject*) { TakeStep(PlayStep(Position())); }

void TMainForm::B_PauseClick(TObject*) { TakeStep(PauseStep(Position())); }

}  // namespace pellumo
