#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "raster/rect.h"

namespace pellumo {

enum TPolyFillMode { ALTERNATE = 1, WINDING = 2 };
enum TCombineMode { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };

// A set of pixels, held as horizontal bands (top to bottom, disjoint, none empty) each with its
// sorted, disjoint, non-touching spans [left, right). Adjacent bands with equal spans are one
// band, so equal sets have equal forms.
//
// Pixel rule, the same for every shape: a pixel (x, y) belongs to a shape when its centre
// (x + 0.5, y + 0.5) lies inside it; a centre exactly on the shape's left or top boundary is
// inside, on its right or bottom boundary outside. For rectangles this is the half-open
// rectangle itself.
//
// Uniting with another region only records the other's rectangles; they are merged, all at
// once, the first time the region is read. So a region built from thousands of bands one
// union at a time costs one sort and one sweep, not one merge per band. A region is not
// shared between threads while it is being built or read.
class TRegion {
public:
    struct Span {
        int Left;
        int Right;
        friend bool operator==(const Span&, const Span&) = default;
    };
    struct Band {
        int Top;
        int Bottom;
        std::uint32_t FirstSpan;
        std::uint32_t SpanCount;
    };

    TRegion() = default;

    // The rectangle's pixels; swapped edges are put in order first.
    static TRegion FromRect(int left, int top, int right, int bottom);
    // The rectangle with its corners rounded by an ellipse `ellipseWidth` wide and
    // `ellipseHeight` high, limited to the rectangle's size.
    static TRegion FromRoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
    // The polygon through the points, closed back to the first.
    static TRegion FromPolygon(std::span<const TPoint> points, TPolyFillMode mode);

    bool Empty() const;
    // The smallest rectangle holding every pixel; (0, 0, 0, 0) when empty.
    TRect Bounds() const;
    bool Contains(int x, int y) const;
    // How many rectangles (band x span) make the region.
    std::size_t RectCount() const;

    // Normalized content; only valid until the region next changes.
    std::span<const Band> Bands() const;
    std::span<const Span> Spans() const;
    std::span<const Span> SpansOf(const Band& band) const { return Spans().subspan(band.FirstSpan, band.SpanCount); }

    void UniteWith(const TRegion& other);
    void Offset(int dx, int dy);

    friend bool operator==(const TRegion& a, const TRegion& b);
    friend class RegionBuilder;

private:
    void Normalize() const;
    void AppendRects(std::vector<TRect>& rects) const;

    mutable std::vector<Band> bands_;
    mutable std::vector<Span> spans_;
    mutable std::vector<TRect> pending_;  // rectangles united but not yet merged
};

// The platform's names for the region operations.
inline TRegion CreateRectRgn(int left, int top, int right, int bottom) {
    return TRegion::FromRect(left, top, right, bottom);
}
inline TRegion CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
    return TRegion::FromRoundRect(left, top, right, bottom, ellipseWidth, ellipseHeight);
}
inline TRegion CreatePolygonRgn(std::span<const TPoint> points, TPolyFillMode mode) {
    return TRegion::FromPolygon(points, mode);
}
// target := a op b (RGN_COPY: a). The target may be one of the sources.
void CombineRgn(TRegion& target, const TRegion& a, const TRegion& b, TCombineMode mode);

}  // namespace pellumo
