#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <QSize>
#include <QThreadPool>
#include <QTimer>
#include <QWidget>

#include "base/color.h"

namespace pellumo {

class TBitmap;
class TTransitionView;

// One slide as the player shows it.
struct PreviewSlide {
    // The picture as the show stores it, shared and never changed here; none leaves the
    // screen empty in the back colour.
    std::shared_ptr<const TBitmap> picture;
    std::string caption;  // UTF-8; empty hides the caption line, as in the player
    TColor captionColor = clWhite;
    TColor backColor = clBlack;
    std::optional<TColor> frameColor;  // none: no frame
    std::int32_t transitionStyle = 0;  // as the show stores it; the player plays its low 7 bits
    bool fineResize = false;           // the show's choice of resampler for fitting
};

// A scaled-down screen of the player's size on which the real transition control plays the
// change from one slide to the next, at the player's pace: each picture fitted and placed as
// the player places it, framed, with the caption line under it. The pictures are fitted off
// the interface thread; Play returns at once.
class PreviewWidget : public QWidget {
    Q_OBJECT

public:
    explicit PreviewWidget(QWidget* parent = nullptr);
    // The transition control goes first: its window is a child of this widget.
    ~PreviewWidget() override;
    PreviewWidget(const PreviewWidget&) = delete;
    PreviewWidget& operator=(const PreviewWidget&) = delete;

    // Shows `from` as the screen stood after it, then plays the transition into `to`. A play
    // under way stops first. When only the style, colours or caption text differ from the last
    // play, it starts without fitting the pictures again.
    void Play(const PreviewSlide& from, const PreviewSlide& to);
    // Plays the last transition again; nothing before the first Play.
    void Replay();
    // Whether a transition is being prepared or played.
    bool Playing() const;

    // The simulated screen in the player's pixels, 1920 x 1080 by default; each side is kept
    // within 32..16384. The slides shown are fitted again and shown at the end of their
    // transition.
    QSize ScreenSize() const { return screenSize_; }
    void SetScreenSize(QSize size);
    // Where the simulated screen lies in the widget; never enlarged beyond the player's pixels.
    QRect ScreenRect() const;
    const TTransitionView& TransitionView() const { return *view_; }

    QSize sizeHint() const override { return {480, 270}; }

signals:
    void TransitionStarted();
    // After every started transition: at its end, or when it was stopped.
    void TransitionFinished();
    // The pictures could not be fitted (memory, a picture beyond the limits).
    void PreviewFailed(const QString& message);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Layout;
    struct Fitted;

    Layout ComputeLayout() const;
    void Prepare(bool animate);
    void Prepared(quint64 generation, const std::shared_ptr<const Fitted>& fitted, const QString& error,
                  bool animate);
    void Run(bool animate);
    void ShowAtOnce(const PreviewSlide& slide, const TBitmap& picture);
    void ApplySlide(const PreviewSlide& slide);

    std::unique_ptr<TTransitionView> view_;
    QSize screenSize_{1920, 1080};
    std::optional<PreviewSlide> from_;
    std::optional<PreviewSlide> to_;
    // The slide whose colours and caption the screen shows now.
    std::optional<PreviewSlide> shown_;
    std::shared_ptr<const Fitted> fitted_;
    quint64 generation_ = 0;
    bool preparing_ = false;
    bool animatePending_ = false;  // the fitting under way ends in a transition
    bool playing_ = false;
    QTimer refit_;
    QThreadPool pool_;
};

}  // namespace pellumo
