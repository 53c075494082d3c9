#include "player_start.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>

#include "base/exceptions.h"
#include "cache_error.h"
#include "player/portable_sections.h"

namespace pellumo {

void StartPlayer(const std::string& runtime, const std::string& showFile, const std::string& music,
                 char** arguments) {
    const char* before = std::getenv("LD_LIBRARY_PATH");
    std::string libraries = runtime + "/lib";
    if (before != nullptr && before[0] != '\0') libraries += std::string(":") + before;
    ::setenv("LD_LIBRARY_PATH", libraries.c_str(), 1);
    ::setenv("FONTCONFIG_FILE", (runtime + "/fonts/fonts.conf").c_str(), 1);
    ::setenv(kShowFileVariable, showFile.c_str(), 1);
    if (music.empty())
        ::unsetenv(kCarriedMusicVariable);
    else
        ::setenv(kCarriedMusicVariable, music.c_str(), 1);
    // They name the plugins of the system's Qt, which may be another version than the player's.
    ::unsetenv("QT_PLUGIN_PATH");
    ::unsetenv("QT_QPA_PLATFORM_PLUGIN_PATH");

    const std::string player = runtime + "/pellumo";
    ::execv(player.c_str(), arguments);
    throw Exception("impossible de lancer " + player + " : " + CauseOf(errno));
}

}  // namespace pellumo
