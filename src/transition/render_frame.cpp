#include "transition/render_frame.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "raster/bitmap.h"
#include "raster/blit.h"
#include "raster/canvas.h"
#include "transition/frame_quantities.h"
#include "transition/screen_trace.h"
#include "transition/style_rules.h"

namespace pellumo {
namespace {

bool Is32Bit(const TBitmap& bitmap) { return BitsPerPixel(bitmap.PixelFormat()) == 32; }

bool SameSize(const TBitmap& a, const TBitmap& b) { return a.Width() == b.Width() && a.Height() == b.Height(); }

// Unselects the clip region however the drawing through it ends.
class ClipSelection {
public:
    ClipSelection(TCanvas& canvas, const TRegion* region) : canvas_(canvas) { SelectClipRgn(canvas_, region); }
    ~ClipSelection() { SelectClipRgn(canvas_, nullptr); }
    ClipSelection(const ClipSelection&) = delete;
    ClipSelection& operator=(const ClipSelection&) = delete;

private:
    TCanvas& canvas_;
};

// One stretched copy of the new picture onto the screen, in StretchBlt's terms.
struct TPictureCopy {
    int X, Y, Width, Height;
    TRect Source;
};

TPictureCopy PlainCopy(const TRect& d, const TRect& s) { return {d.Left, d.Top, d.Width(), d.Height(), s}; }

TPictureCopy MirroredCopy(const TRect& d, const TBitmap& source, const TRect& s, bool leftRight, bool topBottom) {
    TRect from;
    IntersectRect(from, s, TRect{0, 0, source.Width(), source.Height()});
    // A negative extent runs backwards from its origin over |extent| pixels, so a mirrored axis
    // starts on d's last pixel and the copy covers d exactly; origins one past d's edges would
    // widen it by two pixels, stretching the roll and drawing outside the invalidated d.
    return {leftRight ? d.Right - 1 : d.Left, topBottom ? d.Bottom - 1 : d.Top, leftRight ? -d.Width() : d.Width(),
            topBottom ? -d.Height() : d.Height(), from};
}

void Draw(TBitmap& target, const TPictureCopy& copy, TBitmap& source) {
    StretchBlt(target.Canvas(), copy.X, copy.Y, copy.Width, copy.Height, source.Canvas(), copy.Source.Left,
               copy.Source.Top, copy.Source.Width(), copy.Source.Height());
}

void InvalidateFrameRect(const TFrame& frame, const TRect& r) {
    if (frame.InvalidateScreenRect) frame.InvalidateScreenRect(r);
}

// A rectangle style's copies of the new picture, its pieces and then the final one, gathered
// before any is drawn: the old display need only be placed where none of them lands.
class FramePieces : public TPieceDrawer {
public:
    explicit FramePieces(const TFrame& frame) : frame_(frame) {}

    void CopyPiece(const TRect& d, const TRect& s) override { pieces_.push_back({PlainCopy(d, s), d, true}); }

    void MirroredPiece(const TRect& d, const TRect& s, bool leftRight, bool topBottom) override {
        // An empty roll draws nothing but is still told, as every piece is.
        pieces_.push_back({MirroredCopy(d, frame_.NewPicture, s, leftRight, topBottom), d, !IsRectEmpty(d)});
    }

    void FinalCopy(const TRect& d, const TRect& s) { pieces_.push_back({PlainCopy(d, s), {}, true}); }

    // Where the copies land on the screen.
    TRegion Covered() const {
        TRegion covered;
        for (const Piece& piece : pieces_) {
            if (!piece.drawn) continue;
            const TPictureCopy& c = piece.copy;
            const TRect area = StretchBlitArea(frame_.ScreenBitmap, c.X, c.Y, c.Width, c.Height, frame_.NewPicture,
                                               c.Source.Left, c.Source.Top, c.Source.Width(), c.Source.Height());
            if (!IsRectEmpty(area))
                covered.UniteWith(TRegion::FromRect(area.Left, area.Top, area.Right, area.Bottom));
        }
        return covered;
    }

    // Draws the copies in order, invalidating each piece as it lands (the final copy's rectangle
    // is the frame's, invalidated with the rest of the frame).
    void DrawAll() const {
        for (const Piece& piece : pieces_) {
            if (piece.drawn) Draw(frame_.ScreenBitmap, piece.copy, frame_.NewPicture);
            if (piece.invalidated) InvalidateFrameRect(frame_, *piece.invalidated);
        }
    }

private:
    struct Piece {
        TPictureCopy copy;
        std::optional<TRect> invalidated;  // none for the final copy
        bool drawn;
    };
    const TFrame& frame_;
    std::vector<Piece> pieces_;
};

// Calls outside(y, left, right) for each part of each row outside the region's spans and
// inside(...) for each part within them, left to right. No region: the whole row is inside.
template <typename Outside, typename Inside>
void ForEachRowPart(const TBitmap& screen, const TRegion* region, Outside outside, Inside inside) {
    const int width = screen.Width();
    std::span<const TRegion::Band> bands;
    if (region != nullptr) bands = region->Bands();
    auto band = bands.begin();
    for (int y = 0; y < screen.Height(); ++y) {
        if (region == nullptr) {
            inside(y, 0, width);
            continue;
        }
        while (band != bands.end() && band->Bottom <= y) ++band;
        int x = 0;  // the row is decided up to here
        if (band != bands.end() && band->Top <= y) {
            for (const TRegion::Span& span : region->SpansOf(*band)) {
                const int left = std::clamp(span.Left, 0, width);
                const int right = std::clamp(span.Right, 0, width);
                if (x < left) outside(y, x, left);
                if (std::max(x, left) < right) inside(y, std::max(x, left), right);
                x = std::max(x, right);
            }
        }
        if (x < width) outside(y, x, width);
    }
}

// Copies pixels [left, right) of one row. A criss-cross row is hundreds of short runs, where
// calling memcpy costs more than the copy: runs up to 64 bytes are moved inline, in
// (overlapping) 16- or 8-byte pieces.
void CopyRowPart(std::uint8_t* to, const std::uint8_t* from, int left, int right) {
    const auto bytes = static_cast<std::size_t>(right - left) * 4;
    to += static_cast<std::size_t>(left) * 4;
    from += static_cast<std::size_t>(left) * 4;
    if (bytes > 64) {
        std::memcpy(to, from, bytes);
    } else if (bytes >= 16) {
        for (std::size_t i = 0; i + 16 < bytes; i += 16) std::memcpy(to + i, from + i, 16);
        std::memcpy(to + bytes - 16, from + bytes - 16, 16);
    } else if (bytes >= 8) {
        std::memcpy(to, from, 8);
        std::memcpy(to + bytes - 8, from + bytes - 8, 8);
    } else {
        std::memcpy(to, from, 4);
    }
}

// A row copier from one 32-bit bitmap onto the screen, for ForEachRowPart.
auto RowCopier(TBitmap& screen, const TBitmap& from) {
    return [&screen, &from](int y, int left, int right) { CopyRowPart(screen.ScanLine(y), from.ScanLine(y), left, right); };
}

// A region style's frame in one pass over 32-bit bitmaps of one size: each row takes the new
// picture inside the region's spans and the old display elsewhere, what copying the old display
// and then drawing the picture through the region gives. No region: the whole picture.
void ComposeThroughRegion(TBitmap& screen, const TBitmap& old, const TBitmap& picture, const TRegion* region) {
    ForEachRowPart(screen, region, RowCopier(screen, old), RowCopier(screen, picture));
}

// The old display onto the screen outside `covered`, which the frame's copies are about to fill.
void PlaceOldDisplayOutside(TBitmap& screen, const TBitmap& old, const TRegion& covered) {
    ForEachRowPart(screen, &covered, RowCopier(screen, old), [](int, int, int) {});
}

}  // namespace

void DrawMirrored(TBitmap& target, const TRect& d, TBitmap& source, const TRect& s, bool leftRight, bool topBottom) {
    if (IsRectEmpty(d)) return;
    Draw(target, MirroredCopy(d, source, s, leftRight, topBottom), source);
}

void RenderFrame(const TFrame& frame) {
    TBitmap& picture = frame.NewPicture;
    TBitmap& screen = frame.ScreenBitmap;
    TCanvasLock pictureLock(picture.Canvas());
    TCanvasLock screenLock(screen.Canvas());
    TCanvasLock oldLock(frame.OldPicture.Canvas());
    // Fade, pivot and the region styles decide every pixel between the old display and the new
    // picture, style 0 covers it all with the picture, and the rectangle styles' copies are
    // known before they are drawn: when no handler looks at the screen on the way, they read the
    // old display where it is (or not at all) rather than after a copy of a whole frame. The
    // copy would be a plain one: 32-bit rows, one size.
    const bool readsOldDisplay =
        (IsPixelStyle(frame.Style) || IsRegionStyle(frame.Style) || IsRectangleStyle(frame.Style) ||
         (frame.Style == 0 && !frame.OnCustomDraw)) &&
        frame.Progress > 0 && frame.Progress < 100 && !frame.OnBeforeNewFrame && !screen.OnChange &&
        screen.Canvas().ClipRegion() == nullptr && &frame.OldPicture != &screen && &picture != &screen &&
        Is32Bit(frame.OldPicture) && Is32Bit(picture) && Is32Bit(screen) && SameSize(frame.OldPicture, screen) &&
        SameSize(picture, screen);
    // What the frame before left holds only while nothing else draws on the screen: no handler
    // after the frame either.
    TScreenTrace* const trace = readsOldDisplay && (frame.Style == 0 || IsPixelStyle(frame.Style)) &&
                                        !frame.OnAfterNewFrame
                                    ? frame.ScreenTrace
                                    : nullptr;
    if (frame.ScreenTrace != nullptr && trace == nullptr) frame.ScreenTrace->Forget();
    if (!readsOldDisplay) {
        screen.Canvas().Draw(0, 0, frame.OldPicture);
        oldLock.Release();
    }
    if (frame.OnBeforeNewFrame) frame.OnBeforeNewFrame(picture, screen);

    const int width = picture.Width();
    const int height = picture.Height();
    TRect d{0, 0, width, height};
    TRect s = d;
    const TShowStyle style = frame.Style;
    if (frame.Progress >= 100) {
        screen.Canvas().Draw(0, 0, picture);
    } else if (frame.Progress > 0) {
        const TFrameQuantities q = ComputeFrameQuantities(width, height, frame.Progress, frame.Step);
        if (style == 0) {
            if (frame.OnCustomDraw) frame.OnCustomDraw(picture, screen);
            if (trace != nullptr && trace->Screen == &screen && trace->Picture == &picture) {
                d = {};  // every frame of style 0 is the whole picture, and it is there already
            } else {
                screen.Canvas().Draw(0, 0, picture);
                if (trace != nullptr) {
                    trace->Forget();
                    trace->Screen = &screen;
                    trace->Picture = &picture;
                }
            }
        } else if (IsRectangleStyle(style)) {
            FramePieces pieces(frame);
            ApplyRectangleRule(style, q, d, s, pieces);
            pieces.FinalCopy(d, s);
            if (readsOldDisplay) PlaceOldDisplayOutside(screen, frame.OldPicture, pieces.Covered());
            pieces.DrawAll();
        } else if (IsRegionStyle(style)) {
            const std::optional<TRegion> region = BuildStyleRegion(style, q);
            if (readsOldDisplay) {
                ComposeThroughRegion(screen, frame.OldPicture, picture, region ? &*region : nullptr);
            } else {
                ClipSelection clip(screen.Canvas(), region ? &*region : nullptr);
                screen.Canvas().Draw(0, 0, picture);
            }
        } else if (IsPixelStyle(style)) {
            const TRect changed =
                ComputeStylePixels(style, q, picture, screen, readsOldDisplay ? &frame.OldPicture : nullptr, trace);
            if (trace != nullptr) d = changed;
        }
    }
    oldLock.Release();
    InvalidateFrameRect(frame, d);
    if (frame.OnAfterNewFrame) frame.OnAfterNewFrame(picture, screen);
}

}  // namespace pellumo
