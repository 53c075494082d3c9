#include "transition/render_frame.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>

#include "raster/bitmap.h"
#include "raster/canvas.h"
#include "transition/frame_quantities.h"
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

class FramePieces : public TPieceDrawer {
public:
    explicit FramePieces(const TFrame& frame) : frame_(frame) {}

    void CopyPiece(const TRect& d, const TRect& s) override {
        frame_.ScreenBitmap.Canvas().CopyRect(d, frame_.NewPicture.Canvas(), s);
        Invalidate(d);
    }

    void MirroredPiece(const TRect& d, const TRect& s, bool leftRight, bool topBottom) override {
        DrawMirrored(frame_.ScreenBitmap, d, frame_.NewPicture, s, leftRight, topBottom);
        Invalidate(d);
    }

    void Invalidate(const TRect& r) const {
        if (frame_.InvalidateScreenRect) frame_.InvalidateScreenRect(r);
    }

private:
    const TFrame& frame_;
};

// A region style's frame in one pass over 32-bit bitmaps of one size: each row takes the new
// picture inside the region's spans and the old display elsewhere, what copying the old display
// and then drawing the picture through the region gives. No region: the whole picture.
void ComposeThroughRegion(TBitmap& screen, const TBitmap& old, const TBitmap& picture, const TRegion* region) {
    const int width = screen.Width();
    // A criss-cross row is hundreds of short runs, where calling memcpy costs more than the
    // copy: runs up to 64 bytes are moved inline, in (overlapping) 16- or 8-byte pieces.
    const auto copy = [](std::uint8_t* to, const std::uint8_t* from, int left, int right) {
        if (left >= right) return;
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
    };
    std::span<const TRegion::Band> bands;
    if (region != nullptr) bands = region->Bands();
    auto band = bands.begin();
    for (int y = 0; y < screen.Height(); ++y) {
        std::uint8_t* row = screen.ScanLine(y);
        if (region == nullptr) {
            copy(row, picture.ScanLine(y), 0, width);
            continue;
        }
        while (band != bands.end() && band->Bottom <= y) ++band;
        int x = 0;  // the old display up to here is placed
        if (band != bands.end() && band->Top <= y) {
            for (const TRegion::Span& span : region->SpansOf(*band)) {
                const int left = std::clamp(span.Left, 0, width);
                const int right = std::clamp(span.Right, 0, width);
                copy(row, old.ScanLine(y), x, left);
                copy(row, picture.ScanLine(y), left, right);
                x = std::max(x, right);
            }
        }
        copy(row, old.ScanLine(y), x, width);
    }
}

}  // namespace

void DrawMirrored(TBitmap& target, const TRect& d, TBitmap& source, const TRect& s, bool leftRight, bool topBottom) {
    if (IsRectEmpty(d)) return;
    TRect from;
    IntersectRect(from, s, TRect{0, 0, source.Width(), source.Height()});
    // A negative extent runs backwards from its origin over |extent| pixels, so a mirrored axis
    // starts on d's last pixel and the copy covers d exactly; origins one past d's edges would
    // widen it by two pixels, stretching the roll and drawing outside the invalidated d.
    const int x = leftRight ? d.Right - 1 : d.Left;
    const int y = topBottom ? d.Bottom - 1 : d.Top;
    const int width = leftRight ? -d.Width() : d.Width();
    const int height = topBottom ? -d.Height() : d.Height();
    StretchBlt(target.Canvas(), x, y, width, height, source.Canvas(), from.Left, from.Top, from.Width(), from.Height());
}

void RenderFrame(const TFrame& frame) {
    TBitmap& picture = frame.NewPicture;
    TBitmap& screen = frame.ScreenBitmap;
    TCanvasLock pictureLock(picture.Canvas());
    TCanvasLock screenLock(screen.Canvas());
    TCanvasLock oldLock(frame.OldPicture.Canvas());
    // Fade, pivot and the region styles decide every pixel between the old display and the new
    // picture, and style 0 covers it all with the picture: when no handler looks at the screen
    // on the way, they read the old display where it is (or not at all) rather than after a
    // copy of a whole frame. The copy would be a plain one: 32-bit rows, one size.
    const bool readsOldDisplay =
        (IsPixelStyle(frame.Style) || IsRegionStyle(frame.Style) || (frame.Style == 0 && !frame.OnCustomDraw)) &&
        frame.Progress > 0 && frame.Progress < 100 && !frame.OnBeforeNewFrame && !screen.OnChange &&
        screen.Canvas().ClipRegion() == nullptr && &frame.OldPicture != &screen && &picture != &screen &&
        Is32Bit(frame.OldPicture) && Is32Bit(picture) && Is32Bit(screen) && SameSize(frame.OldPicture, screen) &&
        SameSize(picture, screen);
    if (!readsOldDisplay) {
        screen.Canvas().Draw(0, 0, frame.OldPicture);
        oldLock.Release();
    }
    if (frame.OnBeforeNewFrame) frame.OnBeforeNewFrame(picture, screen);

    const int width = picture.Width();
    const int height = picture.Height();
    TRect d{0, 0, width, height};
    TRect s = d;
    FramePieces pieces(frame);
    const TShowStyle style = frame.Style;
    if (frame.Progress >= 100) {
        screen.Canvas().Draw(0, 0, picture);
    } else if (frame.Progress > 0) {
        const TFrameQuantities q = ComputeFrameQuantities(width, height, frame.Progress, frame.Step);
        if (style == 0) {
            if (frame.OnCustomDraw) frame.OnCustomDraw(picture, screen);
            screen.Canvas().Draw(0, 0, picture);
        } else if (IsRectangleStyle(style)) {
            ApplyRectangleRule(style, q, d, s, pieces);
            screen.Canvas().CopyRect(d, picture.Canvas(), s);
        } else if (IsRegionStyle(style)) {
            const std::optional<TRegion> region = BuildStyleRegion(style, q);
            if (readsOldDisplay) {
                ComposeThroughRegion(screen, frame.OldPicture, picture, region ? &*region : nullptr);
            } else {
                ClipSelection clip(screen.Canvas(), region ? &*region : nullptr);
                screen.Canvas().Draw(0, 0, picture);
            }
        } else if (IsPixelStyle(style)) {
            ComputeStylePixels(style, q, picture, screen, readsOldDisplay ? &frame.OldPicture : nullptr);
        }
    }
    oldLock.Release();
    pieces.Invalidate(d);
    if (frame.OnAfterNewFrame) frame.OnAfterNewFrame(picture, screen);
}

}  // namespace pellumo
