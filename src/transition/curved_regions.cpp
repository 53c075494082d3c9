// Curved, circular and diagonal reveals: styles 58, 59, 69, 70, 80 to 85 and 110 to 117.
#include <cstdint>

#include "base/integer_math.h"
#include "transition/region_rules.h"

namespace pellumo {
namespace {

// a·k div d without overflow for the widest pictures allowed (2^28 pixels in one row).
int Scaled(int a, int k, int d) { return static_cast<int>(std::int64_t{a} * k / d); }

TRegion RoundRect(int x1, int y1, int x2, int y2, int ellipseWidth, int ellipseHeight) {
    return CreateRoundRectRgn(x1, y1, x2, y2, ellipseWidth, ellipseHeight);
}

TRegion TriangleRegion(int x1, int y1, int x2, int y2, int x3, int y3) {
    const TPoint points[4] = {{x1, y1}, {x2, y2}, {x3, y3}, {x1, y1}};
    return CreatePolygonRgn(points, WINDING);
}

void Unite(TRegion& target, const TRegion& other) { CombineRgn(target, target, other, RGN_OR); }

// Style 117: right triangles at the top-left corners of a 10 × 10 grid, legs growing to a
// fifth of the picture, so that near the end each covers its own cell.
TRegion TriangularShred(const TFrameQuantities& q) {
    TRegion result;
    if (q.W <= 0) return result;  // no grid, and the legs' ratio would divide by zero
    const int e = q.n / 5;
    const int f = MulDiv(e, q.H, q.W);
    // The hundred triangles are one shape moved: it is made once (a quarter of a full HD
    // frame went into making it again and again).
    const TRegion triangle = TriangleRegion(0, 0, e, 0, 0, f);
    for (int row = 0; row < 10; ++row) {
        for (int column = 0; column < 10; ++column) {
            TRegion moved = triangle;
            moved.Offset(Scaled(column, q.W, 10), Scaled(row, q.H, 10));
            Unite(result, moved);
        }
    }
    return result;
}

}  // namespace

TRegion CurvedStyleRegion(TShowStyle style, const TFrameQuantities& q) {
    const int W = q.W, H = q.H, n = q.n, v = q.v;
    // The trailing sides reach two picture sizes beyond the picture (and 5 pixels past the
    // edges along the motion), so only the rounded leading edge or corner crosses it.
    switch (style) {
        case 58: return RoundRect(-2 * W, -5, 2 * n, H + 5, 2 * W, 2 * W);
        case 59: return RoundRect(W - 2 * n, -5, 3 * W, H + 5, 2 * W, 2 * W);
        case 69: return RoundRect(-5, -2 * H, W + 5, 2 * v, 2 * H, 2 * H);
        case 70: return RoundRect(-5, H - 2 * v, W + 5, 3 * H, 2 * H, 2 * H);
        case 80: return RoundRect(-2 * W, -2 * H, 2 * n, 2 * v, 2 * W, 2 * H);
        case 81: return RoundRect(W - 2 * n, -2 * H, 3 * W, 2 * v, 2 * W, 2 * H);
        case 82: return RoundRect(-2 * W, H - 2 * v, 2 * n, 3 * H, 2 * W, 2 * H);
        // This corner's ellipse is 2H wide, unlike its three siblings': it is how the style looks.
        case 83: return RoundRect(W - 2 * n, H - 2 * v, 3 * W, 3 * H, 2 * H, 2 * H);
        case 84: return RoundRect(W / 2 - n, H / 2 - v, W / 2 + n, H / 2 + v, Scaled(9, n, 5), Scaled(9, v, 5));
        case 85: {
            // The picture outside a rounded rectangle that shrinks toward the centre.
            TRegion result = CreateRectRgn(0, 0, W, H);
            const TRegion shrinking = RoundRect(n - W / 2, v - H / 2, 3 * W / 2 - n, 3 * H / 2 - v, Scaled(9, W - n, 5),
                                                Scaled(9, H - v, 5));
            CombineRgn(result, result, shrinking, RGN_XOR);
            return result;
        }
        default: return TRegion();
    }
}

TRegion TriangleStyleRegion(TShowStyle style, const TFrameQuantities& q) {
    const int W = q.W, H = q.H, n = q.n, v = q.v;
    switch (style) {
        case 110: return TriangleRegion(0, 0, 2 * n, 0, 0, 2 * v);
        case 111: return TriangleRegion(W, 0, W - 2 * n, 0, W, 2 * v);
        case 112: return TriangleRegion(0, H, 2 * n, H, 0, H - 2 * v);
        case 113: return TriangleRegion(W, H, W - 2 * n, H, W, H - 2 * v);
        case 114: {
            const TRegion hingedTopLeft = TriangleRegion(0, H, 0, 0, n, H);
            TRegion result = TriangleRegion(W, H, W, 0, W - n, 0);
            Unite(result, hingedTopLeft);
            return result;
        }
        case 115: {
            const TRegion hingedTopLeft = TriangleRegion(W, 0, 0, 0, W, v);
            TRegion result = TriangleRegion(W, H, 0, H, 0, H - v);
            Unite(result, hingedTopLeft);
            return result;
        }
        case 116: {
            // Apex at the centre; bases grow along the left, top, bottom and right edges.
            const int cx = W / 2, cy = H / 2;
            TRegion result = TriangleRegion(cx, cy, 0, H, 0, H - v);
            Unite(result, TriangleRegion(0, 0, n, 0, cx, cy));
            Unite(result, TriangleRegion(W - n, H, cx, cy, W, H));
            Unite(result, TriangleRegion(cx, cy, W, 0, W, v));
            return result;
        }
        case 117: return TriangularShred(q);
        default: return TRegion();
    }
}

}  // namespace pellumo
