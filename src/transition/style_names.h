#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pellumo {

// A transition style number, 0..127.
using TShowStyle = std::uint8_t;
constexpr std::size_t kStyleCount = 128;

// The style's English name; empty for numbers outside 0..127.
std::string_view StyleNameOf(TShowStyle style);

// The lowest style number whose name equals the text, letter case aside; none when no name
// matches.
std::optional<TShowStyle> FindStyleByName(std::string_view name);

}  // namespace pellumo
