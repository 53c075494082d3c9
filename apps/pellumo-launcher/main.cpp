// The program at the head of a portable show: it unpacks the player it carries into the
// user's cache the first time, then becomes that player, playing the show this file holds.
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <optional>

#include "base/file_stream.h"
#include "person_message.h"
#include "player/portable_sections.h"
#include "player_start.h"
#include "runtime_cache.h"
#include "tar_reader.h"

namespace {

// This very file: the show, wherever and under whatever name the person keeps it.
std::string ProgramFile() {
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size())
        throw pellumo::Exception("impossible de trouver le fichier du diaporama");
    path.resize(static_cast<std::size_t>(length));
    return path;
}

}  // namespace

int main(int, char** argv) {
    using namespace pellumo;
    try {
        const std::string show = ProgramFile();
        TFileStream file(show, fmOpenRead | fmShareDenyNone);
        const std::optional<TPortableSections> sections = ReadPortableSections(file);
        if (!sections) throw EDamagedRuntime("il ne porte pas de lecteur");
        const std::string cache = CacheFolder();
        const std::string runtime = ReadyRuntime(cache, file, sections->runtime);
        std::string music;
        if (sections->music) {
            try {
                music = ReadyMusic(cache, file, *sections->music);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "pellumo: %s ; le diaporama se joue sans sa musique\n", e.what());
            }
        }
        StartPlayer(runtime, show, music, argv);
    } catch (const std::exception& e) {
        TellPerson(std::string("Le diaporama ne peut pas démarrer : ") + e.what());
        return 1;
    }
}
