#include "authoring/picture_folders.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "authoring/exif_date.h"
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
    return name.filename().string()[0] != '.' && HasPictureExtension(name.string());
}

// The Exif data sits at the start of a JPEG, before the compressed picture: a few kilobytes
// usually, a whole segment (up to 64 KiB, a thumbnail inside) at most after small segments.
constexpr std::size_t kUsualHead = 16 << 10;
constexpr std::size_t kLargestHead = 128 << 10;

std::vector<std::uint8_t> FileHead(const std::string& path, std::size_t bytes) {
    std::vector<std::uint8_t> head(bytes);
    std::ifstream file(path, std::ios::binary);
    file.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(bytes));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    return head;
}

// An unreadable file has no date: it sorts with the undated pictures and fails, with its own
// message, when the show is written.
std::optional<std::string> DateTaken(const std::string& path) {
    const std::vector<std::uint8_t> head = FileHead(path, kUsualHead);
    if (auto date = ExifDateTaken(head)) return date;
    if (head.size() < kUsualHead) return std::nullopt;  // the whole file was read
    return ExifDateTaken(FileHead(path, kLargestHead));
}

}  // namespace

bool HasPictureExtension(const std::string& path) { return TPicture::GraphicClassOfFile(path) != nullptr; }

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

std::vector<std::string> PicturesInFolderByDate(const std::string& folder) {
    struct TDated {
        std::optional<std::string> date;
        std::string path;
    };
    std::vector<TDated> pictures;
    for (std::string& path : PicturesInFolder(folder)) {
        std::optional<std::string> date = DateTaken(path);
        pictures.push_back({std::move(date), std::move(path)});
    }
    // Stable: the name order stands among equal dates and among the undated.
    std::stable_sort(pictures.begin(), pictures.end(), [](const TDated& a, const TDated& b) {
        if (a.date.has_value() != b.date.has_value()) return a.date.has_value();
        return a.date.has_value() && *a.date < *b.date;
    });
    std::vector<std::string> paths;
    for (TDated& picture : pictures) paths.push_back(std::move(picture.path));
    return paths;
}

}  // namespace pellumo
