#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/custom_control.h"
#include "platform/notify_window.h"
#include "platform/threads.h"
#include "raster/bitmap.h"
#include "transition/fade_pivot.h"
#include "raster/picture.h"
#include "transition/style_names.h"
#include "transition/transition_frames.h"

namespace pellumo {

enum TBackgroundMode { bmNone, bmTiled, bmStretched, bmCentered };

// (the control, the new picture, the screen bitmap)
using TCustomDrawEvent = std::function<void(TObject* sender, TBitmap& picture, TBitmap& screen)>;

class TCustomTransitionView;

// How long the last frame took: its composition and its paint, in milliseconds.
struct TFrameTimes {
    double composeMs = 0;
    double paintMs = 0;
};

// Advances a transition at the control's pace: one frame, then a sleep for what is left of
// Delay; it composes a frame only once the previous one has been painted.
class TAnimateThread : public TThread {
public:
    explicit TAnimateThread(TCustomTransitionView& control) : control_(control) {}
    std::atomic<bool> Started{false};
    // A frame raised and ended the body before the transition's end.
    std::atomic<bool> FrameFailed{false};

protected:
    void Execute() override;

private:
    TCustomTransitionView& control_;
};

// Shows one picture and changes to the next through one of 128 transition styles, frame by
// frame: on a worker thread (Threaded), in a loop that keeps the messages flowing, or driven
// by the caller writing Progress (Manual). Painting goes through an off-screen buffer.
//
// Busy, Progress, Stopping and Painting, and the settings a running worker reads, are atomic:
// the worker and the user-interface thread both touch them. Event handlers are set before
// transitions run; the frame events and OnProgress fire on the thread that sets the progress.
class TCustomTransitionView : public TCustomControl {
public:
    explicit TCustomTransitionView(TWinControl* parent);
    ~TCustomTransitionView() override;

    TPicture& Picture() { return picture_; }
    // nullptr empties the picture; otherwise it becomes a copy of the given one.
    void SetPicture(const TPicture* picture);
    TPicture& BgPicture() { return bgPicture_; }
    void SetBgPicture(const TPicture* picture);
    TBackgroundMode BgMode() const { return bgMode_; }
    void SetBgMode(TBackgroundMode mode);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    bool Center() const { return center_; }
    void SetCenter(bool center);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool stretch);
    bool StretchFine() const { return stretchFine_; }
    void SetStretchFine(bool stretchFine);
    bool Threaded() const { return threaded_; }
    void SetThreaded(bool threaded) { threaded_ = threaded; }
    TThreadPriority ThreadPriority() const { return threadPriority_; }
    void SetThreadPriority(TThreadPriority priority) { threadPriority_ = priority; }
    bool Manual() const { return manual_; }
    void SetManual(bool manual);
    TShowStyle Style() const { return style_; }
    // Numbers above 127 name no style and are ignored: the style stays as it was.
    void SetStyle(TShowStyle style);
    std::string StyleName() const;
    // A name not in the table changes nothing.
    void SetStyleName(const std::string& name);
    std::uint16_t Step() const { return step_; }
    void SetStep(std::uint16_t step);  // 0 is stored as 1, above 100 as 100
    std::uint16_t Delay() const { return delay_; }
    void SetDelay(std::uint16_t delay) { delay_ = delay; }
    bool Reverse() const { return reverse_; }
    void SetReverse(bool reverse) { reverse_ = reverse; }
    std::uint8_t Progress() const { return progress_; }
    void SetProgress(int value);
    bool Busy() const { return busy_; }
    // Any thread; read from OnProgress, it is the frame just painted.
    TFrameTimes LastFrameTimes() const { return {lastComposeMs_, lastPaintMs_}; }

    // The displayed image (the frame being composed during a transition) and where it sits.
    const TBitmap& ScreenBitmap() const { return *screenBitmap_; }
    TRect PictureRect() const;
    // What was last painted, the whole client area.
    const TBitmap& PaintBuffer();

    virtual void StartTransition();
    virtual void StopTransition();
    virtual void ClearScreen();

    // The largest rectangle of the shape's proportions that fits the bounds, centred in them.
    static TRect FitRect(const TRect& shape, const TRect& bounds);

    TNotifyEvent OnChange;
    TNotifyEvent OnProgress;
    TNotifyEvent OnComplete;
    TCustomDrawEvent OnCustomDraw;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TCustomDrawEvent OnBeforeNewFrame;
    TCustomDrawEvent OnAfterNewFrame;
    TNotifyEvent OnStart;
    TNotifyEvent OnStop;

protected:
    // Ends a running transition and silences the events: the first thing a destructor does,
    // in the most derived class, so that the worker never meets a half-destroyed control.
    void BeginDestruction();

    virtual void DoChange();
    virtual void DoProgress();
    virtual void DoCustomDraw(TBitmap& picture, TBitmap& screen);
    virtual void DoBeforeNewFrame(TBitmap& picture, TBitmap& screen);
    virtual void DoAfterNewFrame(TBitmap& picture, TBitmap& screen);
    virtual void DoComplete();
    virtual void DoStart();
    virtual void DoStop();

    void PaintMessage() override;
    void Paint() override;
    void Resized() override;
    void MouseEnter() override;
    void MouseLeave() override;

private:
    friend class TAnimateThread;

    void PrepareTransition();
    void Animate();
    void Advance();
    bool EndReached() const;
    void NextFrame(TAnimateThread& thread);
    void RenderFrame(bool backwards);
    // A transition whose frame failed ends like a stopped one: OnStop without OnComplete.
    void FinishTransition(bool frameFailed = false);
    bool StopThread();
    void NotifyWindowProc();
    void FreeTransitionBitmaps();

    void UpdatePictureRect();
    // Copies into the paint buffer what was painted straight from the screen bitmap.
    void CatchUpPaintBuffer();
    void DrawBackground(TCanvas& buffer, const TRect& client, const TGraphic& background) const;
    void InvalidateScreenRect(const TRect& rect);
    void AdjustSizeToPicture();
    void PictureChanged();
    void BgPictureChanged();
    TRect ClientRect() const;
    bool PictureHasGraphic() { return picture_.Graphic() != nullptr; }

    TPicture picture_;
    TPicture bgPicture_;
    TBackgroundMode bgMode_ = bmTiled;
    bool autoSize_ = true;
    std::atomic<bool> center_{false};
    std::atomic<bool> stretch_{false};
    std::atomic<bool> stretchFine_{false};
    bool threaded_ = true;
    TThreadPriority threadPriority_ = tpNormal;
    std::atomic<bool> manual_{false};
    std::atomic<TShowStyle> style_{51};
    std::atomic<std::uint16_t> step_{kDefaultTransitionStep};
    std::atomic<std::uint16_t> delay_{kDefaultTransitionDelay};
    std::atomic<std::uint8_t> progress_{0};
    std::atomic<bool> reverse_{false};
    std::atomic<bool> busy_{false};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> painting_{false};
    std::atomic<double> lastComposeMs_{0};
    std::atomic<double> lastPaintMs_{0};
    bool destroying_ = false;

    std::unique_ptr<TBitmap> screenBitmap_;
    TBitmap paintBuffer_;
    // Client area painted straight from the screen bitmap and not yet copied into the paint
    // buffer; user-interface thread.
    TRect unbufferedArea_;
    std::unique_ptr<TBitmap> oldPicture_;
    std::unique_ptr<TBitmap> newPicture_;
    TScreenTrace screenTrace_;  // under renderLock_
    // Under renderLock_: the last frame's invalidation that was not empty, which holds all of
    // the screen bitmap that may differ from the old display.
    TRect coveredArea_;
    std::unique_ptr<TAnimateThread> animateThread_;
    std::recursive_mutex renderLock_;
    TEvent frameEvent_{true};
    TNotifyWindow notifyWindow_;

    // What the worker reads to map its invalidations: written on the user-interface thread.
    mutable std::mutex geometryLock_;
    TRect pictureRect_;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
};

// The control with its properties published.
class TTransitionView : public TCustomTransitionView {
public:
    using TCustomTransitionView::TCustomTransitionView;
    ~TTransitionView() override { BeginDestruction(); }
};

}  // namespace pellumo
