#include "preview_widget.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include <QPainter>
#include <QResizeEvent>
#include <QtConcurrent/QtConcurrentRun>

#include "base/exceptions.h"
#include "imaging/resample/resample.h"
#include "platform/font.h"
#include "player/catalogue.h"
#include "player/fit_to_window.h"
#include "raster/bitmap.h"
#include "transition/transition_view.h"

namespace pellumo {
namespace {

// The player's caption line: 29 pixels under the picture, its text 13 pixels high and bold;
// the picture is fitted to what is left, less one pixel.
constexpr int kCaptionLine = 29;
constexpr int kCaptionTextHeight = 13;

constexpr int kSmallestScreenSide = 32;
constexpr int kLargestScreenSide = 16384;

QColor ToQColor(TColor color) { return {GetRValue(color), GetGValue(color), GetBValue(color)}; }

int Scaled(int pixels, double scale) { return std::max(1, static_cast<int>(std::lround(pixels * scale))); }

// Pictures with the same fit come out the same whatever the style, colours or caption text.
bool SameFit(const PreviewSlide& a, const PreviewSlide& b) {
    return a.picture == b.picture && a.caption.empty() == b.caption.empty() && a.frameColor == b.frameColor &&
           a.fineResize == b.fineResize;
}

// The picture as the player fits it to its screen, then reduced to the preview's scale, with
// the player's frame drawn into it (one pixel, as in the player).
TBitmap FitSlide(const PreviewSlide& slide, QSize screen, double scale) {
    TBitmap bitmap;
    if (!slide.picture || slide.picture->Empty()) return bitmap;
    bitmap.Assign(*slide.picture);
    const int available = slide.caption.empty() ? screen.height() : screen.height() - kCaptionLine - 1;
    FitToWindow(bitmap, screen.width(), available, slide.fineResize);
    if (scale < 1.0)
        ResampleBitmap(Scaled(bitmap.Width(), scale), Scaled(bitmap.Height(), scale), rfTriangle, 0.0f, bitmap, bitmap);
    if (slide.frameColor) {
        TCanvas& canvas = bitmap.Canvas();
        canvas.Brush.Color = *slide.frameColor;
        canvas.FrameRect(TRect{0, 0, bitmap.Width(), bitmap.Height()});
    }
    return bitmap;
}

}  // namespace

struct PreviewWidget::Layout {
    QRect screen;        // in the widget's coordinates
    double scale = 1.0;  // the preview's physical pixels per pixel of the player's screen
    double pixelRatio = 1.0;

    int CaptionLine() const { return Scaled(kCaptionLine, scale / pixelRatio); }
    // Where the transition control lies: the screen less the caption line when there is one.
    QRect ControlRect(const PreviewSlide& slide) const {
        QRect rect = screen;
        if (!slide.caption.empty()) rect.setHeight(std::max(1, screen.height() - CaptionLine()));
        return rect;
    }
};

struct PreviewWidget::Fitted {
    TBitmap from;
    TBitmap to;
    QSize screen;
    double scale = 1.0;
};

PreviewWidget::PreviewWidget(QWidget* parent) : QWidget(parent), view_(std::make_unique<TTransitionView>(nullptr)) {
    // The control is made without a parent and lent to this widget: it owns its window, which
    // stays a child here until the control goes, in this widget's destructor.
    view_->Widget()->setParent(this);
    view_->Widget()->show();
    view_->SetAutoSize(false);
    view_->SetCenter(true);
    view_->SetBgMode(bmNone);
    view_->SetColor(clBlack);
    view_->OnStop = [this](TObject*) {
        if (!playing_) return;
        playing_ = false;
        emit TransitionFinished();
    };
    view_->Widget()->setGeometry(ComputeLayout().screen);
    pool_.setMaxThreadCount(1);
    refit_.setSingleShot(true);
    refit_.setInterval(150);  // once the size has settled
    connect(&refit_, &QTimer::timeout, this, [this] {
        if (to_) Prepare(preparing_ && animatePending_);
    });
}

PreviewWidget::~PreviewWidget() {
    // The fitting posts its result to this widget: it must be over before the widget goes.
    pool_.clear();
    pool_.waitForDone();
    playing_ = false;
    view_.reset();
}

PreviewWidget::Layout PreviewWidget::ComputeLayout() const {
    Layout layout;
    layout.pixelRatio = devicePixelRatioF();
    const double physicalWidth = width() * layout.pixelRatio, physicalHeight = height() * layout.pixelRatio;
    layout.scale = std::min({1.0, physicalWidth / screenSize_.width(), physicalHeight / screenSize_.height()});
    const int screenWidth = Scaled(screenSize_.width(), layout.scale / layout.pixelRatio);
    const int screenHeight = Scaled(screenSize_.height(), layout.scale / layout.pixelRatio);
    layout.screen = QRect((width() - screenWidth) / 2, (height() - screenHeight) / 2, screenWidth, screenHeight);
    return layout;
}

QRect PreviewWidget::ScreenRect() const { return ComputeLayout().screen; }

bool PreviewWidget::Playing() const { return preparing_ || playing_; }

void PreviewWidget::SetScreenSize(QSize size) {
    size = size.expandedTo({kSmallestScreenSide, kSmallestScreenSide})
               .boundedTo({kLargestScreenSide, kLargestScreenSide});
    if (size == screenSize_) return;
    screenSize_ = size;
    if (shown_) view_->Widget()->setGeometry(ComputeLayout().ControlRect(*shown_));
    update();
    if (to_) Prepare(false);
}

void PreviewWidget::Play(const PreviewSlide& from, const PreviewSlide& to) {
    const bool sameFit = fitted_ && !preparing_ && from_ && SameFit(*from_, from) && SameFit(*to_, to);
    from_ = from;
    to_ = to;
    const Layout layout = ComputeLayout();
    if (sameFit && fitted_->screen == screenSize_ && fitted_->scale == layout.scale) Run(true);
    else Prepare(true);
}

void PreviewWidget::Replay() {
    if (!to_) return;
    if (fitted_ && !preparing_ && fitted_->screen == screenSize_ && fitted_->scale == ComputeLayout().scale) Run(true);
    else Prepare(true);
}

void PreviewWidget::Prepare(bool animate) {
    const quint64 generation = ++generation_;
    preparing_ = true;
    animatePending_ = animate;
    pool_.clear();  // fittings not begun yet are for slides no longer shown
    (void)QtConcurrent::run(&pool_, [this, generation, from = *from_, to = *to_, screen = screenSize_,
                                     scale = ComputeLayout().scale, animate] {
        std::shared_ptr<Fitted> fitted;
        QString error;
        try {
            fitted = std::make_shared<Fitted>();
            fitted->from.Assign(FitSlide(from, screen, scale));
            fitted->to.Assign(FitSlide(to, screen, scale));
            fitted->screen = screen;
            fitted->scale = scale;
        } catch (const Exception& e) {
            error = QString::fromStdString(e.Message());
        } catch (const std::exception& e) {
            error = QString::fromLocal8Bit(e.what());
        }
        QMetaObject::invokeMethod(
            this, [=, this] { Prepared(generation, fitted, error, animate); }, Qt::QueuedConnection);
    });
}

void PreviewWidget::Prepared(quint64 generation, const std::shared_ptr<const Fitted>& fitted, const QString& error,
                             bool animate) {
    if (generation != generation_) return;
    preparing_ = false;
    if (!error.isEmpty()) {
        emit PreviewFailed(error);
        return;
    }
    fitted_ = fitted;
    Run(animate);
}

void PreviewWidget::ApplySlide(const PreviewSlide& slide) {
    shown_ = slide;
    view_->SetColor(slide.backColor);
    view_->Widget()->setGeometry(ComputeLayout().ControlRect(slide));
    update();  // the caption line
}

void PreviewWidget::ShowAtOnce(const PreviewSlide& slide, const TBitmap& picture) {
    ApplySlide(slide);
    view_->ClearScreen();
    view_->Update();
    if (picture.Empty()) {
        view_->SetPicture(nullptr);
        return;
    }
    // The control shows a picture only through a transition: its last frame, at once.
    view_->Picture().Assign(picture);
    view_->SetManual(true);
    view_->StartTransition();
    view_->SetProgress(100);
    view_->StopTransition();
    view_->SetManual(false);
}

// What the player does for a slide: the colours and caption change first, then the picture
// comes through its transition from what the screen shows.
void PreviewWidget::Run(bool animate) {
    if (!fitted_ || !from_ || !to_) return;
    try {
        if (view_->Busy()) view_->StopTransition();
        ShowAtOnce(*from_, fitted_->from);
        if (!animate || fitted_->to.Empty()) {
            ShowAtOnce(*to_, fitted_->to);
            return;
        }
        ApplySlide(*to_);
        view_->SetStyle(SlideStyle(to_->transitionStyle));
        // A smaller picture would leave parts of the last one around it; style 0 always starts
        // from a clear screen.
        const TPicture& shownPicture = view_->Picture();
        const bool coversLastPicture =
            fitted_->to.Width() >= shownPicture.Width() && fitted_->to.Height() >= shownPicture.Height();
        if (!coversLastPicture || to_->transitionStyle == 0) {
            view_->ClearScreen();
            view_->Update();
        }
        view_->Picture().Assign(fitted_->to);
        playing_ = true;
        emit TransitionStarted();
        view_->StartTransition();
    } catch (const std::exception& e) {
        const auto* own = dynamic_cast<const Exception*>(&e);
        emit PreviewFailed(own != nullptr ? QString::fromStdString(own->Message()) : QString::fromLocal8Bit(e.what()));
        if (playing_) {
            playing_ = false;
            emit TransitionFinished();
        }
    }
}

void PreviewWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    view_->Widget()->setGeometry(shown_ ? ComputeLayout().ControlRect(*shown_) : ComputeLayout().screen);
    if (to_) refit_.start();
}

void PreviewWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Mid));
    const Layout layout = ComputeLayout();
    painter.fillRect(layout.screen, ToQColor(shown_ ? shown_->backColor : clBlack));
    if (!shown_ || shown_->caption.empty()) return;
    // The player's label: its font, its colour, centred on the line, on the window's colour.
    TFont font;
    font.SetHeight(-kCaptionTextHeight);
    font.SetBold(true);
    QFont qtFont = font.ToQFont();
    qtFont.setPixelSize(Scaled(kCaptionTextHeight, layout.scale / layout.pixelRatio));
    const QRect line(layout.screen.left(), layout.screen.bottom() + 1 - layout.CaptionLine(), layout.screen.width(),
                     layout.CaptionLine());
    painter.setClipRect(line);
    painter.setFont(qtFont);
    painter.setPen(ToQColor(shown_->captionColor));
    painter.drawText(line, Qt::AlignCenter | Qt::TextSingleLine, QString::fromStdString(shown_->caption));
}

}  // namespace pellumo
