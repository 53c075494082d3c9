#include "raster/region.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "raster/region_builder.h"

namespace pellumo {
namespace {

using Span = TRegion::Span;

// Rectangles in order of their tops. United regions arrive as runs already in that order (one
// run per region, or one for a whole series of bands added top to bottom), so the runs are
// merged rather than everything sorted afresh.
void SortByTop(std::vector<TRect>& rects) {
    const auto byTop = [](const TRect& a, const TRect& b) { return a.Top < b.Top; };
    std::vector<std::size_t> runs{0};
    for (std::size_t i = 1; i < rects.size(); ++i)
        if (rects[i].Top < rects[i - 1].Top) runs.push_back(i);
    runs.push_back(rects.size());
    if (runs.size() > rects.size() / 8 + 2) {  // mostly unordered: merging runs would not pay
        std::sort(rects.begin(), rects.end(), byTop);
        return;
    }
    std::vector<std::size_t> merged;
    while (runs.size() > 2) {
        merged.assign(1, 0);
        std::size_t i = 0;
        for (; i + 2 < runs.size(); i += 2) {
            std::inplace_merge(rects.begin() + static_cast<std::ptrdiff_t>(runs[i]),
                               rects.begin() + static_cast<std::ptrdiff_t>(runs[i + 1]),
                               rects.begin() + static_cast<std::ptrdiff_t>(runs[i + 2]), byTop);
            merged.push_back(runs[i + 2]);
        }
        if (i + 2 == runs.size()) merged.push_back(runs.back());  // an odd run left for the next pass
        runs.swap(merged);
    }
}

// The spans where `mode` holds for (in a, in b), from two normalized span lists.
void CombineSpans(std::span<const Span> a, std::span<const Span> b, TCombineMode mode, std::vector<Span>& out) {
    out.clear();
    auto keep = [mode](bool inA, bool inB) {
        switch (mode) {
            case RGN_AND: return inA && inB;
            case RGN_OR: return inA || inB;
            case RGN_XOR: return inA != inB;
            case RGN_DIFF: return inA && !inB;
            case RGN_COPY: return inA;
        }
        return false;
    };
    std::size_t ia = 0, ib = 0;
    bool inA = false, inB = false;
    int start = 0;
    bool inside = false;
    // Walk the edges of both lists in order of x; each edge flips one membership.
    while (ia < a.size() * 2 || ib < b.size() * 2) {
        const int xa = ia < a.size() * 2 ? (ia % 2 == 0 ? a[ia / 2].Left : a[ia / 2].Right) : INT32_MAX;
        const int xb = ib < b.size() * 2 ? (ib % 2 == 0 ? b[ib / 2].Left : b[ib / 2].Right) : INT32_MAX;
        const int x = std::min(xa, xb);
        if (xa == x) {
            inA = !inA;
            ++ia;
        }
        if (xb == x) {
            inB = !inB;
            ++ib;
        }
        const bool now = keep(inA, inB);
        if (now && !inside) start = x;
        if (!now && inside && x > start) {
            if (!out.empty() && out.back().Right == start) out.back().Right = x;
            else out.push_back({start, x});
        }
        inside = now;
    }
}

TRegion CombineNormalized(const TRegion& a, const TRegion& b, TCombineMode mode) {
    const auto bandsA = a.Bands();
    const auto bandsB = b.Bands();
    RegionBuilder builder;
    std::vector<Span> spans;
    std::size_t ia = 0, ib = 0;
    int y = std::min(bandsA.empty() ? INT32_MAX : bandsA.front().Top, bandsB.empty() ? INT32_MAX : bandsB.front().Top);
    while (ia < bandsA.size() || ib < bandsB.size()) {
        // The next stretch of rows over which neither input changes.
        const TRegion::Band* bandA = ia < bandsA.size() && bandsA[ia].Top <= y ? &bandsA[ia] : nullptr;
        const TRegion::Band* bandB = ib < bandsB.size() && bandsB[ib].Top <= y ? &bandsB[ib] : nullptr;
        int next = INT32_MAX;
        next = std::min(next, bandA ? bandA->Bottom : (ia < bandsA.size() ? bandsA[ia].Top : INT32_MAX));
        next = std::min(next, bandB ? bandB->Bottom : (ib < bandsB.size() ? bandsB[ib].Top : INT32_MAX));
        if (bandA || bandB) {
            CombineSpans(bandA ? a.SpansOf(*bandA) : std::span<const Span>{},
                         bandB ? b.SpansOf(*bandB) : std::span<const Span>{}, mode, spans);
            builder.AddBand(y, next, spans);
        }
        y = next;
        if (bandA && bandA->Bottom == y) ++ia;
        if (bandB && bandB->Bottom == y) ++ib;
    }
    return builder.Finish();
}

}  // namespace

TRegion TRegion::FromRect(int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    RegionBuilder builder;
    if (left < right) builder.AddBand(top, bottom, {{left, right}});
    return builder.Finish();
}

bool TRegion::Empty() const { return Bands().empty(); }

TRect TRegion::Bounds() const {
    const auto bands = Bands();
    if (bands.empty()) return {};
    TRect bounds{INT32_MAX, bands.front().Top, INT32_MIN, bands.back().Bottom};
    for (const Band& band : bands) {
        const auto spans = SpansOf(band);
        bounds.Left = std::min(bounds.Left, spans.front().Left);
        bounds.Right = std::max(bounds.Right, spans.back().Right);
    }
    return bounds;
}

bool TRegion::Contains(int x, int y) const {
    const auto bands = Bands();
    const auto band = std::upper_bound(bands.begin(), bands.end(), y, [](int v, const Band& b) { return v < b.Bottom; });
    if (band == bands.end() || band->Top > y) return false;
    const auto spans = SpansOf(*band);
    const auto span = std::upper_bound(spans.begin(), spans.end(), x, [](int v, const Span& s) { return v < s.Right; });
    return span != spans.end() && span->Left <= x;
}

std::size_t TRegion::RectCount() const { return Spans().size(); }

std::span<const TRegion::Band> TRegion::Bands() const {
    Normalize();
    return bands_;
}

std::span<const TRegion::Span> TRegion::Spans() const {
    Normalize();
    return spans_;
}

void TRegion::AppendRects(std::vector<TRect>& rects) const {
    for (const Band& band : bands_)
        for (std::uint32_t i = 0; i < band.SpanCount; ++i) {
            const Span& s = spans_[band.FirstSpan + i];
            rects.push_back({s.Left, band.Top, s.Right, band.Bottom});
        }
    rects.insert(rects.end(), pending_.begin(), pending_.end());
}

void TRegion::UniteWith(const TRegion& other) {
    if (&other == this) return;
    if (bands_.empty() && pending_.empty()) {
        *this = other;
        return;
    }
    other.AppendRects(pending_);
}

void TRegion::Offset(int dx, int dy) {
    for (Band& band : bands_) {
        band.Top += dy;
        band.Bottom += dy;
    }
    for (Span& span : spans_) {
        span.Left += dx;
        span.Right += dx;
    }
    for (TRect& rect : pending_) OffsetRect(rect, dx, dy);
}

// One sweep down the rows over every rectangle: at each row where some rectangle starts or
// ends, the spans of the rectangles then active are merged into the band below it.
void TRegion::Normalize() const {
    if (pending_.empty()) return;
    std::vector<TRect> rects;
    rects.reserve(spans_.size() + pending_.size());
    AppendRects(rects);
    std::erase_if(rects, [](const TRect& r) { return IsRectEmpty(r); });
    pending_.clear();
    pending_.shrink_to_fit();
    SortByTop(rects);

    RegionBuilder builder;
    std::vector<const TRect*> active;  // sorted by left edge
    std::vector<Span> spans;
    std::size_t nextRect = 0;
    int top = rects.empty() ? 0 : rects.front().Top;
    for (;;) {
        std::erase_if(active, [top](const TRect* r) { return r->Bottom <= top; });
        if (active.empty()) {
            if (nextRect == rects.size()) break;
            top = rects[nextRect].Top;  // over a gap between rectangles
        }
        // Bands end where the next rectangle starts, so each is taken in at its own top.
        for (; nextRect < rects.size() && rects[nextRect].Top == top; ++nextRect) {
            const TRect* r = &rects[nextRect];
            active.insert(std::upper_bound(active.begin(), active.end(), r,
                                           [](const TRect* a, const TRect* b) { return a->Left < b->Left; }),
                          r);
        }
        int bottom = nextRect < rects.size() ? rects[nextRect].Top : INT32_MAX;
        spans.clear();
        for (const TRect* r : active) {
            bottom = std::min(bottom, r->Bottom);
            if (!spans.empty() && r->Left <= spans.back().Right) spans.back().Right = std::max(spans.back().Right, r->Right);
            else spans.push_back({r->Left, r->Right});
        }
        builder.AddBand(top, bottom, spans);
        top = bottom;
    }
    TRegion merged = builder.Finish();
    bands_ = std::move(merged.bands_);
    spans_ = std::move(merged.spans_);
}

bool operator==(const TRegion& a, const TRegion& b) {
    const auto bandsA = a.Bands();
    const auto bandsB = b.Bands();
    if (bandsA.size() != bandsB.size() || a.Spans().size() != b.Spans().size()) return false;
    for (std::size_t i = 0; i < bandsA.size(); ++i) {
        if (bandsA[i].Top != bandsB[i].Top || bandsA[i].Bottom != bandsB[i].Bottom) return false;
        const auto spansA = a.SpansOf(bandsA[i]);
        const auto spansB = b.SpansOf(bandsB[i]);
        if (!std::equal(spansA.begin(), spansA.end(), spansB.begin(), spansB.end())) return false;
    }
    return true;
}

void CombineRgn(TRegion& target, const TRegion& a, const TRegion& b, TCombineMode mode) {
    if (mode == RGN_COPY) {
        if (&target != &a) target = a;
        return;
    }
    if (mode == RGN_OR) {
        // Uniting into one of the sources only records rectangles; see the class comment.
        if (&target == &a) {
            target.UniteWith(b);
        } else if (&target == &b) {
            target.UniteWith(a);
        } else {
            TRegion result = a;
            result.UniteWith(b);
            target = std::move(result);
        }
        return;
    }
    target = CombineNormalized(a, b, mode);
}

}  // namespace pellumo
