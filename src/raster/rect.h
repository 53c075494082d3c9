#pragma once

#include <algorithm>

namespace pellumo {

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// (Left, Top, Right, Bottom); Right and Bottom are exclusive.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

constexpr TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }

inline void SetRect(TRect& rect, int left, int top, int right, int bottom) { rect = {left, top, right, bottom}; }

inline void OffsetRect(TRect& rect, int dx, int dy) {
    rect.Left += dx;
    rect.Right += dx;
    rect.Top += dy;
    rect.Bottom += dy;
}

// True when the rectangle holds no pixel.
inline bool IsRectEmpty(const TRect& rect) { return rect.Right <= rect.Left || rect.Bottom <= rect.Top; }

// The common part of a and b; an empty intersection gives (0, 0, 0, 0) and false.
inline bool IntersectRect(TRect& result, const TRect& a, const TRect& b) {
    const TRect common{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                       std::min(a.Bottom, b.Bottom)};
    result = IsRectEmpty(common) ? TRect{} : common;
    return !IsRectEmpty(common);
}

// The smallest rectangle holding both; an empty one adds nothing.
inline TRect UnionRect(const TRect& a, const TRect& b) {
    if (IsRectEmpty(a)) return IsRectEmpty(b) ? TRect{} : b;
    if (IsRectEmpty(b)) return a;
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

// True when every pixel of `inner` lies in `outer`; an empty `inner` lies anywhere.
inline bool ContainsRect(const TRect& outer, const TRect& inner) {
    return IsRectEmpty(inner) || (inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
                                  inner.Bottom <= outer.Bottom);
}

}  // namespace pellumo
