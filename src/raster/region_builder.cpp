#include "raster/region_builder.h"

#include <algorithm>

namespace pellumo {

void RegionBuilder::AddBand(int top, int bottom, const std::vector<Span>& spans) {
    if (spans.empty() || top >= bottom) return;
    auto& bands = region_.bands_;
    auto& allSpans = region_.spans_;
    if (!bands.empty()) {
        TRegion::Band& last = bands.back();
        if (last.Bottom == top && last.SpanCount == spans.size() &&
            std::equal(spans.begin(), spans.end(), allSpans.begin() + last.FirstSpan)) {
            last.Bottom = bottom;
            return;
        }
    }
    bands.push_back({top, bottom, static_cast<std::uint32_t>(allSpans.size()), static_cast<std::uint32_t>(spans.size())});
    allSpans.insert(allSpans.end(), spans.begin(), spans.end());
}

TRegion RegionBuilder::Finish() { return std::move(region_); }

void RegionBuilder::MergeSpans(std::vector<Span>& spans) {
    std::erase_if(spans, [](const Span& s) { return s.Left >= s.Right; });
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.Left < b.Left; });
    std::size_t out = 0;
    for (const Span& s : spans) {
        if (out > 0 && s.Left <= spans[out - 1].Right) {
            spans[out - 1].Right = std::max(spans[out - 1].Right, s.Right);
        } else {
            spans[out++] = s;
        }
    }
    spans.resize(out);
}

}  // namespace pellumo
