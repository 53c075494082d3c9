#pragma once

#include <string>
#include <string_view>

namespace pellumo {

// The file whose show the player plays: the one its launcher names (a portable show, whose
// player runs from the cache it was unpacked into), else the player's own program.
std::string ShowFileOf(const std::string& programFile);

// The music the player plays for a show that names `storedName`: the file of that name beside
// the show when there is one, else the music a portable show carries (unpacked by its
// launcher), else the name beside the show all the same, where it is looked for later. Empty
// when the show names no music.
std::string PlayedMusic(const std::string& showFile, std::string_view storedName);

}  // namespace pellumo
