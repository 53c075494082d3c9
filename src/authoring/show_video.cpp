// The picture track of a show: the player's screen, slide after slide, one video frame at a
// time.
#include "authoring/show_video.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <span>

#include "authoring/caption_font.h"
#include "authoring/option_values.h"
#include "authoring/slide_screen.h"
#include "authoring/video_timeline.h"
#include "base/ansi_text.h"
#include "base/format.h"
#include "player/caption_line.h"
#include "raster/canvas.h"
#include "transition/transition_frames.h"

namespace pellumo {
namespace {

std::vector<TSlideFrames> CheckedSlideFrames(const TVideoShow& show, const TVideoFormat& format) {
    CheckVideoFormat(format);
    return SlideFrames(show.catalogue.Slides, format.framesPerSecond, format.restSeconds);
}

void Fill(TBitmap& bitmap, const TRect& rect, TColor color) {
    bitmap.Canvas().Brush.Color = color;
    bitmap.Canvas().FillRect(rect);
}

}  // namespace

void CheckVideoFormat(const TVideoFormat& format) {
    CheckRange(format.width, kMinVideoSide, kMaxVideoWidth, "--size (largeur)");
    CheckRange(format.height, kMinVideoSide, kMaxVideoHeight, "--size (hauteur)");
    CheckRange(format.framesPerSecond, 1, kMaxVideoFramesPerSecond, "--fps");
    CheckRange(format.restSeconds, 1, kMaxVideoRestSeconds, "--rest-duration");
}

// The screen is what the player's window shows. Above the caption line it is also what the
// transition control last painted, from which the next transition takes its old display.
struct TShowVideoFrames::TState {
    TState(const TVideoShow& filmed, const TVideoFormat& asked)
        : show(filmed),
          format(asked),
          slides(CheckedSlideFrames(filmed, asked)),
          told(filmed.catalogue.Slides.size(), false) {
        if (slides.empty()) throw EOptionError("le diaporama n'a aucune diapositive");
        for (std::size_t i = 0; i < slides.size(); ++i)
            if (slides[i].resting)
                notes.push_back(Format("diapositive %d : durée 0 (repos), montrée %d s",
                                       {std::to_string(i + 1), std::to_string(format.restSeconds)}));
        // Found now, so that a system without a usable face fails before the first frame.
        if (std::any_of(show.catalogue.Slides.begin(), show.catalogue.Slides.end(),
                        [](const TSlideEntry& slide) { return slide.Caption.length > 0; }))
            font = std::make_unique<TCaptionFont>(kCaptionTextHeight, true);
        screen.SetPixelFormat(pf32bit);
        screen.SetSize(format.width, format.height);
        Restart();
    }

    // The window as it opens: black, nothing shown.
    void Restart() {
        Fill(screen, TRect{0, 0, format.width, format.height}, clBlack);
        entered = 0;
        shown.reset();
        control = TRect{0, 0, format.width, format.height};
        transition.reset();
        last = -1;
    }

    const TBitmap& Frame(std::int64_t index) {
        if (index < 0 || index >= slides.back().first + slides.back().count)
            throw Exception(Format("image %s hors de la vidéo", {std::to_string(index)}));
        if (index < last) Restart();
        const std::size_t slide = SlideAtFrame(slides, index);
        while (entered <= slide) Enter(entered++);
        if (transition) ShowProgress(TransitionProgressAt(index - transitionStart, format.framesPerSecond));
        last = index;
        return screen;
    }

    // The player's timer comes to the slide: a picture that does not decode changes nothing,
    // not even a transition under way.
    void Enter(std::size_t index) {
        const TSlideEntry& slide = show.catalogue.Slides[index];
        std::optional<TSlideScreen> next;
        try {
            const std::span<const std::uint8_t> jpeg =
                index < show.pictures.size() ? std::span<const std::uint8_t>(show.pictures[index])
                                             : std::span<const std::uint8_t>();
            next.emplace(PrepareSlideScreen(jpeg, slide, format.width, format.height, show.catalogue.FineResize));
        } catch (const std::exception&) {
            if (!told[index])
                notes.push_back(Format("diapositive %d : image illisible, l'écran garde ce qu'il montrait",
                                       {std::to_string(index + 1)}));
            told[index] = true;
            return;
        }
        if (transition)
            ShowProgress(TransitionProgressBefore(slides[index].first - transitionStart, format.framesPerSecond));
        Show(slide, std::move(*next));
        transitionStart = slides[index].first;
    }

    void Show(const TSlideEntry& slide, TSlideScreen next) {
        TBitmap old = OldDisplay(slide, next);
        Fill(screen, TRect{0, 0, format.width, format.height}, slide.BackColor);
        if (!IsRectEmpty(next.captionLine))
            font->DrawCentred(screen, next.captionLine, AnsiToUnicode(slide.Caption.Text()), slide.CaptionColor);
        shown = next.place;
        control = next.control;
        transition = std::make_unique<TTransitionFrames>(std::move(next.picture), std::move(old),
                                                         SlideStyle(slide.TransitionStyle), kDefaultTransitionStep);
        progress = -1;
    }

    // What was last painted under the new picture's place. A smaller picture would leave parts
    // of the last one around it, so then, and always for style 0, the screen is cleared to the
    // new colour first; the first picture comes on the window as it opened.
    TBitmap OldDisplay(const TSlideEntry& slide, const TSlideScreen& next) {
        TBitmap old;
        old.SetPixelFormat(pf32bit);
        old.SetSize(next.place.Width(), next.place.Height());
        const bool covers = !shown || (next.place.Width() >= shown->Width() && next.place.Height() >= shown->Height());
        if (shown && (!covers || SlideStyle(slide.TransitionStyle) == 0)) {
            Fill(old, TRect{0, 0, old.Width(), old.Height()}, slide.BackColor);
            return old;
        }
        // Only the control's last painting counts: what lay beyond it stays black.
        TRect source;
        if (IntersectRect(source, next.place, control)) {
            const TRect target{source.Left - next.place.Left, source.Top - next.place.Top,
                               source.Right - next.place.Left, source.Bottom - next.place.Top};
            old.Canvas().CopyRect(target, screen.Canvas(), source);
        }
        return old;
    }

    void ShowProgress(int value) {
        if (value == progress) return;
        screen.Canvas().Draw(shown->Left, shown->Top, transition->Compose(value));
        progress = value;
        if (progress == 100) transition.reset();
    }

    const TVideoShow& show;
    const TVideoFormat format;
    const std::vector<TSlideFrames> slides;
    std::vector<std::string> notes;
    std::vector<bool> told;  // the slides whose unreadable picture is in the notes
    std::unique_ptr<TCaptionFont> font;  // when a slide has a caption

    TBitmap screen;
    std::size_t entered = 0;      // slides the timer has come to
    std::optional<TRect> shown;   // where the picture on screen lies; none before the first
    TRect control;                // the control's area when it last painted
    std::unique_ptr<TTransitionFrames> transition;  // while one runs
    std::int64_t transitionStart = 0;
    int progress = -1;            // of the transition's frame on screen
    std::int64_t last = -1;       // the frame asked for last
};

TShowVideoFrames::TShowVideoFrames(const TVideoShow& show, const TVideoFormat& format)
    : state_(std::make_unique<TState>(show, format)) {}

TShowVideoFrames::~TShowVideoFrames() = default;

std::int64_t TShowVideoFrames::FrameCount() const {
    return state_->slides.back().first + state_->slides.back().count;
}

const TBitmap& TShowVideoFrames::Frame(std::int64_t index) { return state_->Frame(index); }

const std::vector<std::string>& TShowVideoFrames::Notes() const { return state_->notes; }

}  // namespace pellumo
