#pragma once

#include <string_view>
#include <vector>

namespace pellumo {

// The style names nearest to a misspelt one, nearest first (at most three, each name once),
// for a "did you mean" hint; none when nothing is close.
std::vector<std::string_view> NearestStyleNames(std::string_view misspelt);

}  // namespace pellumo
