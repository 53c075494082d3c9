#include "player/show_file.h"

#include <cstdlib>
#include <filesystem>

#include "player/portable_sections.h"
#include "player/show_music.h"

namespace pellumo {
namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

std::string ShowFileOf(const std::string& programFile) {
    const std::string named = Variable(kShowFileVariable);
    return named.empty() ? programFile : named;
}

std::string PlayedMusic(const std::string& showFile, std::string_view storedName) {
    const std::string beside = MusicBesideShow(showFile, storedName);
    const std::string carried = Variable(kCarriedMusicVariable);
    std::error_code error;
    if (beside.empty() || carried.empty() || std::filesystem::is_regular_file(beside, error)) return beside;
    return carried;
}

}  // namespace pellumo
