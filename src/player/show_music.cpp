#include "player/show_music.h"

#include <filesystem>

#include "base/ansi_text.h"

namespace pellumo {

std::string MusicBesideShow(const std::string& showFile, std::string_view storedName) {
    std::string name = AnsiToUtf8(storedName);
    name.erase(0, name.find_last_of("/\\") + 1);
    if (name.empty()) return {};
    return (std::filesystem::path(showFile).parent_path() / name).string();
}

}  // namespace pellumo
