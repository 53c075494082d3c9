// The transition control: settings, start, stop, clear, and the frames' pacing.
#include "transition/transition_view.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "base/stopwatch.h"
#include "platform/application.h"
#include "transition/render_frame.h"
#include "transition/style_rules.h"

namespace pellumo {
namespace {

// Each frame is due a Delay after the one before was due, not after it ended: a wait that
// runs a little long is made up by the next, so a transition lasts its planned time. A frame
// more than a Delay late starts the count again from now rather than rushing the next ones.
std::chrono::steady_clock::time_point NextFrameDue(std::chrono::steady_clock::time_point due, std::uint16_t delayMs) {
    const std::chrono::milliseconds delay(delayMs);
    const auto now = std::chrono::steady_clock::now();
    return now - (due + delay) > delay ? now : due + delay;
}

}  // namespace

TCustomTransitionView::TCustomTransitionView(TWinControl* parent)
    : TCustomControl(parent), screenBitmap_(std::make_unique<TBitmap>()) {
    SetBounds(Left(), Top(), 100, 100);
    SetParentColor(true);
    screenBitmap_->Canvas();
    paintBuffer_.Canvas();
    picture_.OnChange = [this](TPicture&) { PictureChanged(); };
    bgPicture_.OnChange = [this](TPicture&) { BgPictureChanged(); };
}

TCustomTransitionView::~TCustomTransitionView() {
    BeginDestruction();
    picture_.OnChange = nullptr;
    bgPicture_.OnChange = nullptr;
}

void TCustomTransitionView::BeginDestruction() {
    destroying_ = true;
    StopTransition();
}

void TCustomTransitionView::SetPicture(const TPicture* picture) {
    if (picture == nullptr) picture_.SetGraphic(nullptr);
    else picture_.Assign(*picture);
}

void TCustomTransitionView::SetBgPicture(const TPicture* picture) {
    if (picture == nullptr) bgPicture_.SetGraphic(nullptr);
    else bgPicture_.Assign(*picture);
}

void TCustomTransitionView::SetBgMode(TBackgroundMode mode) {
    if (mode == bgMode_) return;
    bgMode_ = mode;
    if (bgPicture_.Graphic() != nullptr && !painting_) Invalidate();
}

void TCustomTransitionView::SetAutoSize(bool autoSize) {
    if (autoSize == autoSize_) return;
    autoSize_ = autoSize;
    if (autoSize_) AdjustSizeToPicture();
}

void TCustomTransitionView::SetCenter(bool center) {
    if (center == center_) return;
    center_ = center;
    if (PictureHasGraphic()) UpdatePictureRect();
    if (!screenBitmap_->Empty() && !painting_) Invalidate();
}

void TCustomTransitionView::SetStretch(bool stretch) {
    if (stretch == stretch_) return;
    CatchUpPaintBuffer();
    stretch_ = stretch;
    if (!screenBitmap_->Empty() && !painting_) Invalidate();
}

void TCustomTransitionView::SetStretchFine(bool stretchFine) {
    if (stretchFine == stretchFine_) return;
    stretchFine_ = stretchFine;
    if (!screenBitmap_->Empty() && !painting_) Invalidate();
}

void TCustomTransitionView::SetStyle(TShowStyle style) {
    if (style >= kStyleCount || style == style_) return;
    // Fade and pivot work on 32-bit rows: a running transition changes its bitmaps first.
    if (busy_ && IsPixelStyle(style) && !IsPixelStyle(style_) && newPicture_) {
        TCanvas& pictureCanvas = newPicture_->Canvas();
        pictureCanvas.Lock();
        newPicture_->SetPixelFormat(pf32bit);
        pictureCanvas.Unlock();
        TCanvas& screenCanvas = screenBitmap_->Canvas();
        screenCanvas.Lock();
        screenBitmap_->SetPixelFormat(pf32bit);
        screenCanvas.Unlock();
    }
    style_ = style;
}

std::string TCustomTransitionView::StyleName() const { return std::string(StyleNameOf(style_)); }

void TCustomTransitionView::SetStyleName(const std::string& name) {
    if (const auto style = FindStyleByName(name)) SetStyle(*style);
}

void TCustomTransitionView::SetStep(std::uint16_t step) { step_ = std::clamp<std::uint16_t>(step, 1, 100); }

void TCustomTransitionView::SetManual(bool manual) {
    if (manual == manual_) return;
    manual_ = manual;
    StopThread();
    if (!busy_) progress_ = reverse_ ? 100 : 0;
    else if (!manual_) Animate();
}

// --- Transitions ---------------------------------------------------------------------------

void TCustomTransitionView::StartTransition() {
    if (!PictureHasGraphic() || busy_) return;
    busy_ = true;
    try {
        PrepareTransition();
        if (!manual_ && !stopping_) Animate();
    } catch (...) {
        FreeTransitionBitmaps();
        busy_ = false;
        throw;
    }
}

void TCustomTransitionView::PrepareTransition() {
    CatchUpPaintBuffer();
    {
        std::lock_guard guard(renderLock_);
        screenTrace_.Forget();  // the screen and the old display are about to be made anew
        coveredArea_ = TRect{0, 0, picture_.Width(), picture_.Height()};
    }
    screenBitmap_->SetSize(picture_.Width(), picture_.Height());
    UpdatePictureRect();
    // The old display is what was last painted under the new picture's place.
    const TRect placed = PictureRect();
    TRect source = placed;
    if (stretch_) source = stretchFine_ ? FitRect(placed, ClientRect()) : ClientRect();
    oldPicture_ = std::make_unique<TBitmap>();
    oldPicture_->SetSize(screenBitmap_->Width(), screenBitmap_->Height());
    oldPicture_->Canvas().CopyRect(TRect{0, 0, oldPicture_->Width(), oldPicture_->Height()}, paintBuffer_.Canvas(),
                                   source);

    newPicture_ = std::make_unique<TBitmap>();
    try {
        newPicture_->Assign(*picture_.Graphic());
    } catch (const std::exception&) {
        newPicture_->SetSize(screenBitmap_->Width(), screenBitmap_->Height());
        newPicture_->Canvas().Draw(0, 0, *picture_.Graphic());
    }
    // Fade and pivot work on 32-bit rows; the others copy blocks, fastest between bitmaps of
    // the display's own form, so the new picture takes that form too.
    const TPixelFormat format = IsPixelStyle(style_) ? pf32bit : pfDevice;
    newPicture_->SetPixelFormat(format);
    screenBitmap_->SetPixelFormat(format);
    newPicture_->Canvas();  // made here, before a worker can reach for them
    oldPicture_->Canvas();
    progress_ = reverse_ ? 100 : 0;
    DoStart();
}

void TCustomTransitionView::Advance() {
    const int current = progress_;
    const int step = step_;
    int next;
    if (reverse_) next = current > step ? current - step : 0;
    else next = current < 100 - step ? current + step : 100;
    SetProgress(next);
}

bool TCustomTransitionView::EndReached() const { return reverse_ ? progress_ == 0 : progress_ == 100; }

void TCustomTransitionView::Animate() {
    if (threaded_) {
        animateThread_ = std::make_unique<TAnimateThread>(*this);
        animateThread_->SetPriority(threadPriority_);
        animateThread_->Resume();
        return;
    }
    // The loop keeps the messages flowing; a stop dispatched from them ends the transition at
    // once, and the loop, finding it no longer busy, renders nothing more.
    auto due = std::chrono::steady_clock::now();
    do {
        Advance();
        if (EndReached() || !busy_) break;
        due = NextFrameDue(due, delay_);
        while (std::chrono::steady_clock::now() < due && !manual_ && !stopping_ && busy_) {
            Application->ProcessMessages();
            Sleep(1);
        }
    } while (!EndReached() && !manual_ && !stopping_ && busy_);
    if (busy_ && (stopping_ || !manual_)) FinishTransition();
}

void TAnimateThread::Execute() {
    Started = true;
    try {
        auto due = std::chrono::steady_clock::now();
        while (!Terminated()) {
            control_.NextFrame(*this);
            if (Terminated()) break;
            due = NextFrameDue(due, control_.delay_);
            std::this_thread::sleep_until(due);
        }
    } catch (const std::exception&) {
        // A frame that cannot be composed ends the transition as if stopped; the display keeps
        // the last frame painted.
        FrameFailed = true;
    }
    TCustomTransitionView& control = control_;
    control.notifyWindow_.Post([&control] { control.NotifyWindowProc(); });
}

void TCustomTransitionView::NextFrame(TAnimateThread& thread) {
    frameEvent_.WaitFor();
    if (thread.Terminated()) return;
    frameEvent_.ResetEvent();
    Advance();
    if (EndReached()) thread.Terminate();
}

void TCustomTransitionView::SetProgress(int value) {
    const auto progress = static_cast<std::uint8_t>(std::clamp(value, 0, 100));
    if (!busy_ || progress == progress_) {
        frameEvent_.SetEvent();  // no frame: nothing for a worker to wait for
        return;
    }
    try {
        {
            std::lock_guard guard(renderLock_);
            const bool backwards = progress < progress_;
            progress_ = progress;
            // A frame that changes nothing paints nothing. Cleared before the frame invalidates
            // anything: its paint may come from the user-interface thread as soon as it does.
            lastPaintMs_ = 0;
            const TStopwatch compose;
            RenderFrame(backwards);
            lastComposeMs_ = compose.Milliseconds();
        }
        if (HasPendingUpdate()) Update();
    } catch (...) {
        frameEvent_.SetEvent();  // nobody may wait for the paint of a frame that never came
        throw;
    }
    frameEvent_.SetEvent();  // painted now, or nothing to paint
    DoProgress();
}

void TCustomTransitionView::RenderFrame(bool backwards) {
    const TShowStyle style = style_;
    TRect invalidated;
    TFrame frame{*newPicture_, *oldPicture_, *screenBitmap_, style, step_, progress_, {}, {}, {}, {}, &screenTrace_};
    if (OnBeforeNewFrame) frame.OnBeforeNewFrame = [this](TBitmap& p, TBitmap& s) { OnBeforeNewFrame(this, p, s); };
    // A handler sees the old display under style 0's picture; without one, the old display is
    // not copied there only to be covered.
    if (OnCustomDraw) frame.OnCustomDraw = [this](TBitmap& p, TBitmap& s) { DoCustomDraw(p, s); };
    if (OnAfterNewFrame) frame.OnAfterNewFrame = [this](TBitmap& p, TBitmap& s) { OnAfterNewFrame(this, p, s); };
    frame.InvalidateScreenRect = [this, &invalidated](const TRect& r) {
        invalidated = UnionRect(invalidated, r);
        InvalidateScreenRect(r);
    };
    pellumo::RenderFrame(frame);
    // A rectangle style's step backwards gives back to the old display what the frame before
    // covered, which the frame's own invalidation misses; the other styles invalidate all they
    // change. Invalidated once the frame is composed: a paint that settles this rectangle before
    // the frame exists would read the one before and leave the uncovered part stale.
    if (backwards && IsRectangleStyle(style)) InvalidateScreenRect(coveredArea_);
    // A frame that invalidates nothing leaves the screen as it was.
    if (!IsRectEmpty(invalidated)) coveredArea_ = invalidated;
}

void TCustomTransitionView::NotifyWindowProc() {
    const bool frameFailed = animateThread_ && animateThread_->FrameFailed;
    animateThread_.reset();
    if (busy_ && (stopping_ || !manual_)) FinishTransition(frameFailed);
}

void TCustomTransitionView::FreeTransitionBitmaps() {
    newPicture_.reset();
    oldPicture_.reset();
}

void TCustomTransitionView::FinishTransition(bool frameFailed) {
    busy_ = false;
    FreeTransitionBitmaps();
    if (destroying_) return;
    if (!stopping_ && !frameFailed) DoComplete();
    DoStop();
}

void TCustomTransitionView::StopTransition() {
    if (!busy_ || stopping_) return;
    stopping_ = true;
    try {
        if (manual_ || !StopThread()) FinishTransition();
    } catch (...) {
        stopping_ = false;
        throw;
    }
    stopping_ = false;
}

bool TCustomTransitionView::StopThread() {
    if (!animateThread_) return false;
    animateThread_->Terminate();
    frameEvent_.SetEvent();  // a worker waiting for its frame to be painted wakes and sees it
    // The worker may be waiting for a repaint of ours: keep serving those until it ends.
    while (animateThread_->Resumed() && !animateThread_->Finished()) {
        ServeRepaintRequests();
        Sleep(1);
    }
    if (animateThread_->Started) {
        while (animateThread_) notifyWindow_.ProcessMessages();
    } else {
        NotifyWindowProc();
    }
    return true;
}

void TCustomTransitionView::ClearScreen() {
    if (busy_ || screenBitmap_->Empty()) return;
    CatchUpPaintBuffer();
    auto cleared = std::make_unique<TBitmap>();
    cleared->Canvas();
    screenBitmap_ = std::move(cleared);
    Invalidate();
}

void TCustomTransitionView::PictureChanged() {
    if (destroying_) return;
    if (PictureHasGraphic() && autoSize_) AdjustSizeToPicture();
    DoChange();
}

void TCustomTransitionView::BgPictureChanged() {
    if (bgMode_ != bmNone && !painting_) Invalidate();
}

// --- Events ----------------------------------------------------------------------------------

void TCustomTransitionView::DoChange() {
    if (OnChange) OnChange(this);
}
void TCustomTransitionView::DoProgress() {
    if (OnProgress) OnProgress(this);
}
void TCustomTransitionView::DoCustomDraw(TBitmap& picture, TBitmap& screen) {
    if (OnCustomDraw) OnCustomDraw(this, picture, screen);
}
void TCustomTransitionView::DoBeforeNewFrame(TBitmap& picture, TBitmap& screen) {
    if (OnBeforeNewFrame) OnBeforeNewFrame(this, picture, screen);
}
void TCustomTransitionView::DoAfterNewFrame(TBitmap& picture, TBitmap& screen) {
    if (OnAfterNewFrame) OnAfterNewFrame(this, picture, screen);
}
void TCustomTransitionView::DoComplete() {
    if (OnComplete) OnComplete(this);
}
void TCustomTransitionView::DoStart() {
    if (OnStart) OnStart(this);
}
void TCustomTransitionView::DoStop() {
    if (OnStop) OnStop(this);
}
void TCustomTransitionView::MouseEnter() {
    if (OnMouseEnter) OnMouseEnter(this);
}
void TCustomTransitionView::MouseLeave() {
    if (OnMouseLeave) OnMouseLeave(this);
}

}  // namespace pellumo
