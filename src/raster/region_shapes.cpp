#include <algorithm>
#include <cmath>

#include "raster/region.h"
#include "raster/region_builder.h"

// Shapes are scanned one pixel row at a time at the row's centre line (the pixel rule of
// TRegion); equal neighbouring rows become one band.

namespace pellumo {
namespace {

// The first pixel whose centre is at or right of x.
int FirstPixelFrom(double x) { return static_cast<int>(std::ceil(x - 0.5)); }

}  // namespace

TRegion TRegion::FromRoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const double a = std::min(std::abs(ellipseWidth), right - left) / 2.0;
    const double b = std::min(std::abs(ellipseHeight), bottom - top) / 2.0;
    if (a <= 0 || b <= 0) return FromRect(left, top, right, bottom);

    const double upperCentre = top + b;      // centre line of the upper corner ellipses
    const double lowerCentre = bottom - b;   // ... of the lower ones
    const double leftCentre = left + a;
    const double rightCentre = right - a;
    RegionBuilder builder;
    std::vector<Span> spans(1);
    for (int y = top; y < bottom; ++y) {
        const double cy = y + 0.5;
        const double dy = cy < upperCentre ? upperCentre - cy : cy > lowerCentre ? cy - lowerCentre : 0.0;
        const double dx = dy >= b ? 0.0 : a * std::sqrt(1.0 - (dy / b) * (dy / b));
        // Centres from leftCentre - dx to rightCentre + dx, both ends included.
        const int from = std::max(left, FirstPixelFrom(leftCentre - dx));
        const int to = std::min(right, static_cast<int>(std::floor(rightCentre + dx - 0.5)) + 1);
        spans.assign(1, {from, to});
        if (from < to) builder.AddBand(y, y + 1, spans);
    }
    return builder.Finish();
}

TRegion TRegion::FromPolygon(std::span<const TPoint> points, TPolyFillMode mode) {
    RegionBuilder builder;
    if (points.size() < 3) return builder.Finish();
    int top = points[0].Y, bottom = points[0].Y;
    for (const TPoint& p : points) {
        top = std::min(top, p.Y);
        bottom = std::max(bottom, p.Y);
    }
    struct Crossing {
        double x;
        int direction;
    };
    std::vector<Crossing> crossings;
    std::vector<Span> spans;
    for (int y = top; y < bottom; ++y) {
        const double cy = y + 0.5;
        crossings.clear();
        for (std::size_t i = 0; i < points.size(); ++i) {
            const TPoint& p0 = points[i];
            const TPoint& p1 = points[(i + 1) % points.size()];
            if (p0.Y == p1.Y) continue;
            const bool down = p1.Y > p0.Y;
            const double y0 = down ? p0.Y : p1.Y, y1 = down ? p1.Y : p0.Y;
            if (cy < y0 || cy >= y1) continue;
            const double x = p0.X + (cy - p0.Y) * (p1.X - p0.X) / static_cast<double>(p1.Y - p0.Y);
            crossings.push_back({x, down ? 1 : -1});
        }
        std::sort(crossings.begin(), crossings.end(), [](const Crossing& u, const Crossing& v) { return u.x < v.x; });
        spans.clear();
        int winding = 0;
        for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
            winding += mode == WINDING ? crossings[i].direction : 1;
            const bool inside = mode == WINDING ? winding != 0 : (winding % 2) != 0;
            if (!inside) continue;
            const int from = FirstPixelFrom(crossings[i].x);
            const int to = FirstPixelFrom(crossings[i + 1].x);
            if (from < to) spans.push_back({from, to});
        }
        RegionBuilder::MergeSpans(spans);
        builder.AddBand(y, y + 1, spans);
    }
    return builder.Finish();
}

}  // namespace pellumo
