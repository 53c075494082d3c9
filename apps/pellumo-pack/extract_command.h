#pragma once

#include <ostream>
#include <string>

namespace pellumo {

// Writes every slide's JPEG of the show (slide-001.jpg, ...) into the folder, its music when
// it lies beside the show, and show.toml, the manifest that builds the same show again.
// Refuses, writing nothing, when any of these files already exists in the folder or a slide
// points outside the show file. Notes what it could not carry over on `notes`.
void RunExtract(const std::string& showFile, const std::string& folder, std::ostream& notes);

}  // namespace pellumo
