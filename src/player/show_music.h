#pragma once

#include <string>
#include <string_view>

namespace pellumo {

// Where the player of `showFile` finds its music: the stored name (Windows-1252 bytes) in the
// show's own folder; of a stored name with folders only the last part counts. Empty when the
// show names no music.
std::string MusicBesideShow(const std::string& showFile, std::string_view storedName);

}  // namespace pellumo
