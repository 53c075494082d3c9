#include "authoring/style_suggestions.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "transition/style_names.h"

namespace pellumo {
namespace {

constexpr std::size_t kMostSuggestions = 3;

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// Edits (insert, delete, replace a letter) from one text to the other.
std::size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

std::vector<std::string_view> NearestStyleNames(std::string_view misspelt) {
    const std::string wanted = Lower(misspelt);
    // A third of the text may be wrong, and a few letters of a short one.
    const std::size_t tolerance = std::max<std::size_t>(3, wanted.size() / 3);
    std::vector<std::pair<std::size_t, std::string_view>> near;
    for (std::size_t style = 0; style < kStyleCount; ++style) {
        const std::string_view name = StyleNameOf(static_cast<TShowStyle>(style));
        const std::size_t distance = EditDistance(wanted, Lower(name));
        const bool seen = std::any_of(near.begin(), near.end(), [&](const auto& n) { return n.second == name; });
        if (distance <= tolerance && !seen) near.emplace_back(distance, name);
    }
    std::stable_sort(near.begin(), near.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string_view> names;
    for (std::size_t i = 0; i < near.size() && i < kMostSuggestions; ++i) names.push_back(near[i].second);
    return names;
}

}  // namespace pellumo
