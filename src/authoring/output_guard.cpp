#include "authoring/output_guard.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "authoring/option_values.h"
#include "authoring/show_reading.h"
#include "base/format.h"

namespace pellumo {

bool SameFile(const std::string& first, const std::string& second) {
    struct stat a {};
    struct stat b {};
    return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

void CheckOutputTarget(const std::string& output, const std::vector<std::string>& inputs, bool force,
                       bool replaceable) {
    struct stat existing {};
    if (::stat(output.c_str(), &existing) != 0) return;  // nothing there yet
    for (const std::string& input : inputs)
        if (SameFile(output, input))
            throw EOptionError(Format("%s : c'est aussi un fichier lu par la commande (%s), il ne sera pas remplacé",
                                      {output, input}));
    if (!S_ISREG(existing.st_mode))
        throw EOptionError(Format("%s : existe déjà et n'est pas un fichier ordinaire", {output}));
    if (!force && !replaceable)
        throw EOptionError(Format("%s : ce fichier existe déjà ; --force pour le remplacer", {output}));
}

bool IsShowFile(const std::string& file) {
    try {
        ReadShowFile(file);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

TMusicPlace MusicBesideOutput(const std::string& musicFile, const std::string& output) {
    namespace fs = std::filesystem;
    TMusicPlace place{(fs::path(output).parent_path() / fs::path(musicFile).filename()).string()};
    std::error_code error;
    if (SameFile(musicFile, place.beside)) {
        place.state = mbInPlace;
    } else if (fs::exists(place.beside, error)) {
        std::ifstream a(musicFile, std::ios::binary), b(place.beside, std::ios::binary);
        const bool same = a && b && std::equal(std::istreambuf_iterator<char>(a), std::istreambuf_iterator<char>(),
                                               std::istreambuf_iterator<char>(b), std::istreambuf_iterator<char>());
        place.state = same ? mbInPlace : mbOther;
    }
    return place;
}

}  // namespace pellumo
