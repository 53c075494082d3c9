#include "raster/blit.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "raster/bitmap.h"
#include "raster/pixel_rows.h"
#include "raster/region.h"

namespace pellumo {
namespace {

// Calls visit(y, left, right) for every row piece of `area` that lies inside `clip`, rows from
// top to bottom.
template <typename Visit>
void ForEachSpan(const TRect& area, const TRegion* clip, Visit&& visit) {
    if (IsRectEmpty(area)) return;
    if (clip == nullptr) {
        for (int y = area.Top; y < area.Bottom; ++y) visit(y, area.Left, area.Right);
        return;
    }
    const auto bands = clip->Bands();
    auto band = std::upper_bound(bands.begin(), bands.end(), area.Top,
                                 [](int top, const TRegion::Band& b) { return top < b.Bottom; });
    for (; band != bands.end() && band->Top < area.Bottom; ++band) {
        const auto spans = clip->SpansOf(*band);
        const auto first = std::upper_bound(spans.begin(), spans.end(), area.Left,
                                            [](int left, const TRegion::Span& s) { return left < s.Right; });
        const int bottom = std::min(band->Bottom, area.Bottom);
        for (int y = std::max(band->Top, area.Top); y < bottom; ++y)
            for (auto span = first; span != spans.end() && span->Left < area.Right; ++span)
                visit(y, std::max(span->Left, area.Left), std::min(span->Right, area.Right));
    }
}

// Which source position each target position of one axis takes.
struct AxisMap {
    int first = 0;              // target positions [first, last) map inside the source
    int last = 0;
    std::vector<int> source;    // source position of target position first + i
    bool identity = false;      // source = target + constant

    int At(int target) const { return source[static_cast<std::size_t>(target - first)]; }
};

AxisMap MapAxis(int origin, int extent, int sourceOrigin, int sourceExtent, int targetSize, int sourceSize) {
    // The covered target positions, mirrored about the origin for a negative extent.
    const std::int64_t coverFirst = extent > 0 ? origin : std::int64_t{origin} + extent + 1;
    const std::int64_t coverLast = extent > 0 ? std::int64_t{origin} + extent : std::int64_t{origin} + 1;
    const std::int64_t from = std::max<std::int64_t>(coverFirst, 0);
    const std::int64_t to = std::min<std::int64_t>(coverLast, targetSize);
    const std::int64_t targetSpan = extent > 0 ? extent : -std::int64_t{extent};
    const std::int64_t sourceSpan = sourceExtent > 0 ? sourceExtent : -std::int64_t{sourceExtent};
    AxisMap map;
    for (std::int64_t t = from; t < to; ++t) {
        const std::int64_t i = extent > 0 ? t - origin : origin - t;
        const std::int64_t j = ((2 * i + 1) * sourceSpan) / (2 * targetSpan);  // sample at pixel centres
        const std::int64_t s = sourceExtent > 0 ? sourceOrigin + j : sourceOrigin - j;
        if (s < 0 || s >= sourceSize) {
            if (!map.source.empty()) break;  // the mapping is monotonic: nothing valid follows
            continue;
        }
        if (map.source.empty()) map.first = static_cast<int>(t);
        map.source.push_back(static_cast<int>(s));
    }
    map.last = map.first + static_cast<int>(map.source.size());
    map.identity = !map.source.empty() && map.source.back() - map.source.front() == map.last - 1 - map.first &&
                   (map.source.size() == 1 || map.source[1] > map.source[0]);
    return map;
}

bool SameLayout(const TBitmap& a, const TBitmap& b) {
    const int bits = BitsPerPixel(a.PixelFormat());
    if (bits != BitsPerPixel(b.PixelFormat())) return false;
    if (bits == 16) return a.PixelFormat() == b.PixelFormat();
    if (IsIndexed(a.PixelFormat())) return EffectivePalette(a.Palette(), bits) == EffectivePalette(b.Palette(), bits);
    return true;
}

// One pixel at a time with the size known to the compiler, so each copy is a single move.
template <int kBytes>
void GatherPixels(std::uint8_t* target, const std::uint8_t* source, const int* columns, int count) {
    for (int i = 0; i < count; ++i)
        std::memcpy(target + static_cast<std::size_t>(i) * kBytes, source + static_cast<std::size_t>(columns[i]) * kBytes,
                    kBytes);
}

void CopyPixels(std::uint8_t* target, const std::uint8_t* source, const AxisMap& columns, int left, int right,
                int bytesPerPixel) {
    if (columns.identity) {
        std::memcpy(target + static_cast<std::size_t>(left) * bytesPerPixel,
                    source + static_cast<std::size_t>(columns.At(left)) * bytesPerPixel,
                    static_cast<std::size_t>(right - left) * bytesPerPixel);
        return;
    }
    std::uint8_t* to = target + static_cast<std::size_t>(left) * bytesPerPixel;
    const int* from = &columns.source[static_cast<std::size_t>(left - columns.first)];
    switch (bytesPerPixel) {
        case 4: GatherPixels<4>(to, source, from, right - left); break;
        case 3: GatherPixels<3>(to, source, from, right - left); break;
        case 2: GatherPixels<2>(to, source, from, right - left); break;
        default: GatherPixels<1>(to, source, from, right - left); break;
    }
}

// Both axes of a stretched copy; nothing is mapped when there is nothing to copy.
struct BlitMap {
    AxisMap columns;
    AxisMap rows;

    TRect Area() const { return {columns.first, rows.first, columns.last, rows.last}; }
};

BlitMap MapBlit(const TBitmap& target, int x, int y, int width, int height, const TBitmap& source, int sourceX,
                int sourceY, int sourceWidth, int sourceHeight) {
    if (width == 0 || height == 0 || sourceWidth == 0 || sourceHeight == 0 || source.Empty() || target.Empty()) return {};
    return {MapAxis(x, width, sourceX, sourceWidth, target.Width(), source.Width()),
            MapAxis(y, height, sourceY, sourceHeight, target.Height(), source.Height())};
}

}  // namespace

TRect StretchBlitArea(const TBitmap& target, int x, int y, int width, int height, const TBitmap& source, int sourceX,
                      int sourceY, int sourceWidth, int sourceHeight) {
    return MapBlit(target, x, y, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight).Area();
}

void StretchBlit(TBitmap& target, const TRegion* clip, int x, int y, int width, int height, const TBitmap& source,
                 int sourceX, int sourceY, int sourceWidth, int sourceHeight) {
    const BlitMap map = MapBlit(target, x, y, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight);
    const TRect area = map.Area();
    if (IsRectEmpty(area)) return;
    if (&source == &target) {  // overlapping copies read from a snapshot
        TBitmap snapshot;
        snapshot.Assign(source);
        StretchBlit(target, clip, x, y, width, height, snapshot, sourceX, sourceY, sourceWidth, sourceHeight);
        return;
    }
    const AxisMap& columns = map.columns;
    const AxisMap& rows = map.rows;
    const int bits = BitsPerPixel(target.PixelFormat());

    if (SameLayout(target, source)) {
        if (bits >= 8) {
            // A row that repeats the source row of the span just above it, over the same columns,
            // repeats that span of the target too: enlarging downwards copies it whole.
            const int bytesPerPixel = bits / 8;
            int lastRow = -2, lastLeft = 0, lastRight = 0;
            ForEachSpan(area, clip, [&](int row, int left, int right) {
                std::uint8_t* line = target.ScanLine(row);
                if (row == lastRow + 1 && left == lastLeft && right == lastRight && rows.At(row) == rows.At(lastRow)) {
                    const std::size_t offset = static_cast<std::size_t>(left) * bytesPerPixel;
                    std::memcpy(line + offset, target.ScanLine(lastRow) + offset,
                                static_cast<std::size_t>(right - left) * bytesPerPixel);
                } else {
                    CopyPixels(line, source.ScanLine(rows.At(row)), columns, left, right, bytesPerPixel);
                }
                lastRow = row;
                lastLeft = left;
                lastRight = right;
            });
        } else {
            ForEachSpan(area, clip, [&](int row, int left, int right) {
                const std::uint8_t* from = source.ScanLine(rows.At(row));
                std::uint8_t* to = target.ScanLine(row);
                for (int col = left; col < right; ++col) SetIndex(to, bits, col, GetIndex(from, bits, columns.At(col)));
            });
        }
        return;
    }

    // Different layouts meet in unpacked colour; each source row is unpacked once.
    const TPalette& targetColors = EffectivePalette(target.Palette(), bits);
    TNearestColor nearest(targetColors);
    std::vector<std::uint8_t> sourceRow(static_cast<std::size_t>(source.Width()) * 4);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(target.Width()) * 4);
    int unpackedRow = -1;
    ForEachSpan(area, clip, [&](int row, int left, int right) {
        const int from = rows.At(row);
        if (from != unpackedRow) {
            UnpackRow(source.ScanLine(from), source.PixelFormat(), source.Palette(), source.Width(), sourceRow.data());
            unpackedRow = from;
        }
        for (int col = left; col < right; ++col)
            std::memcpy(&pixels[static_cast<std::size_t>(col - left) * 4],
                        &sourceRow[static_cast<std::size_t>(columns.At(col)) * 4], 4);
        PackPixels(pixels.data(), right - left, target.PixelFormat(), &nearest, target.ScanLine(row), left);
    });
}

void FillPixels(TBitmap& target, const TRegion* clip, const TRect& rect, TColor color) {
    TRect area;
    if (!IntersectRect(area, rect, TRect{0, 0, target.Width(), target.Height()})) return;
    const int bits = BitsPerPixel(target.PixelFormat());
    const std::uint8_t bgrx[4] = {GetBValue(color), GetGValue(color), GetRValue(color), 0};
    std::uint8_t value[4] = {};
    if (IsIndexed(target.PixelFormat())) {
        TNearestColor nearest(EffectivePalette(target.Palette(), bits));
        PackPixels(bgrx, 1, target.PixelFormat(), &nearest, value, 0);
    } else {
        PackPixels(bgrx, 1, target.PixelFormat(), nullptr, value, 0);
    }
    const int bytesPerPixel = bits / 8;
    ForEachSpan(area, clip, [&](int row, int left, int right) {
        std::uint8_t* line = target.ScanLine(row);
        if (bits < 8) {
            const std::uint8_t index = GetIndex(value, bits, 0);
            for (int col = left; col < right; ++col) SetIndex(line, bits, col, index);
            return;
        }
        std::uint8_t* p = line + static_cast<std::size_t>(left) * bytesPerPixel;
        if (right <= left) return;
        // The first pixel, then the filled part copied onto what follows it, doubling each time.
        std::memcpy(p, value, static_cast<std::size_t>(bytesPerPixel));
        const std::size_t total = static_cast<std::size_t>(right - left) * bytesPerPixel;
        for (std::size_t done = bytesPerPixel; done < total; done *= 2)
            std::memcpy(p + done, p, std::min(done, total - done));
    });
}

}  // namespace pellumo
