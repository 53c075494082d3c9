#pragma once

#include <string>
#include <string_view>

#include "authoring/show_document.h"

namespace pellumo {

// The manifest text that ReadManifest reads back as an equal document: the settings, the
// defaults that are given in [defaults], then one [[slides]] table per slide with the values it
// gives. Paths inside `folder` (where the manifest is to be written) are written relative to
// it, any other as an absolute path, so that each still leads to its file.
std::string ManifestText(const TShowDocument& document, const std::string& folder);

// A TOML basic string: quoted, with backslashes, quotes and control characters escaped.
std::string TomlString(std::string_view utf8);

}  // namespace pellumo
