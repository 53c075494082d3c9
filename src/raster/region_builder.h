#pragma once

#include <vector>

#include "raster/region.h"

namespace pellumo {

// Appends bands from top to bottom and keeps the region's form: empty bands are dropped and a
// band that continues the previous one with the same spans extends it.
class RegionBuilder {
public:
    using Span = TRegion::Span;

    // Spans sorted, disjoint and not touching; top < bottom; bands in increasing order.
    void AddBand(int top, int bottom, const std::vector<Span>& spans);
    TRegion Finish();

    // Sorts spans and merges overlapping or touching ones, dropping empty spans.
    static void MergeSpans(std::vector<Span>& spans);

private:
    TRegion region_;
};

}  // namespace pellumo
