#include "authoring/picture_folders.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "authoring/option_values.h"
#include "raster/picture.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Compares names in runs: digits by their value, other characters letter case aside.
bool NaturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const std::size_t startA = i, startB = j;
            while (i < a.size() && IsDigit(a[i])) ++i;
            while (j < b.size() && IsDigit(b[j])) ++j;
            std::string_view digitsA(a.data() + startA, i - startA), digitsB(b.data() + startB, j - startB);
            // Leading zeros aside, the longer run of digits is the larger number.
            digitsA.remove_prefix(std::min(digitsA.find_first_not_of('0'), digitsA.size()));
            digitsB.remove_prefix(std::min(digitsB.find_first_not_of('0'), digitsB.size()));
            if (digitsA.size() != digitsB.size()) return digitsA.size() < digitsB.size();
            if (digitsA != digitsB) return digitsA < digitsB;
            continue;
        }
        const int x = std::tolower(static_cast<unsigned char>(a[i])), y = std::tolower(static_cast<unsigned char>(b[j]));
        if (x != y) return x < y;
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j;
    return a < b;  // names equal but for case or zeros: any fixed order will do
}

bool IsPictureName(const fs::path& name) {
    const std::string extension = name.extension().string();
    return name.filename().string()[0] != '.' && extension.size() > 1 &&
           TPicture::FindGraphicClass(extension.substr(1)) != nullptr;
}

}  // namespace

bool IsPictureFolder(const std::string& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

std::vector<std::string> PicturesInFolder(const std::string& folder) {
    std::error_code error;
    std::vector<std::string> names;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        std::error_code typeError;
        if (entry->is_regular_file(typeError) && IsPictureName(entry->path().filename()))
            names.push_back(entry->path().filename().string());
    }
    if (error) throw EOptionError(folder + " : dossier illisible (" + error.message() + ")");
    std::sort(names.begin(), names.end(), NaturalLess);
    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back((fs::path(folder) / name).string());
    return paths;
}

}  // namespace pellumo
