#pragma once

#include <string>
#include <vector>

#include "player/catalogue.h"

namespace pellumo {

// The manifest text that builds the show again: its settings, then one [[slides]] table per
// slide with every value spelled out, the picture named by `pictureFiles` (same order).
std::string ShowManifestText(const TCatalogue& show, const std::vector<std::string>& pictureFiles);

// A TOML basic string: quoted, with backslashes, quotes and control characters escaped.
std::string TomlString(std::string_view utf8);

}  // namespace pellumo
