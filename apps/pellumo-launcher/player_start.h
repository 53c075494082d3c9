#pragma once

#include <string>

namespace pellumo {

// Replaces the launcher with the player unpacked in `runtime`, on the show `showFile` and,
// when not empty, the music it carries; the arguments are passed on as they came. The player
// finds its libraries through LD_LIBRARY_PATH (they are the system's names, so copies need no
// change, and the plugins Qt loads later find theirs the same way), Qt's plugins and French
// words through the qt.conf beside it, its faces through FONTCONFIG_FILE. Returns only when
// the player cannot be started, raising Exception.
[[noreturn]] void StartPlayer(const std::string& runtime, const std::string& showFile, const std::string& music,
                              char** arguments);

}  // namespace pellumo
