#include "runtime_cache.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string_view>
#include <utility>

#include "cache_error.h"
#include "runtime_unpacking.h"
#include "tar_reader.h"

namespace pellumo {
namespace {

// The list of a whole runtime's files, written last in its folder.
constexpr const char* kContentsName = ".pellumo-contents";
constexpr std::int64_t kMaxContentsSize = 1 << 20;
// Work folders of a start that was cut short; a day later they are surely nobody's.
constexpr const char* kWorkPrefix = ".unpacking-";
constexpr std::time_t kStaleWorkSeconds = 24 * 60 * 60;

void MakeFolders(const std::string& path) {
    for (std::size_t end = 0; end != std::string::npos;) {
        end = path.find('/', end + 1);
        const std::string part = path.substr(0, end);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) throw ECacheError(part, errno);
    }
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
    ::remove(path);
    return 0;
}

// Everything in it first, never following a link out of it.
void RemoveFolder(const std::string& folder) { ::nftw(folder.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }

std::string NewWorkFolder(const std::string& cache, const std::string& name) {
    std::string pattern = cache + "/" + kWorkPrefix + name + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw ECacheError(cache, errno);
    return pattern;
}

// The file's bytes, when it is a regular file of at most `limit` bytes.
std::optional<std::string> SmallFile(const std::string& path, std::int64_t limit) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return std::nullopt;
    struct stat status {};
    std::optional<std::string> text;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size <= limit) {
        text.emplace(static_cast<std::size_t>(status.st_size), '\0');
        if (::read(fd, text->data(), text->size()) != static_cast<ssize_t>(text->size())) text.reset();
    }
    ::close(fd);
    return text;
}

bool IsWhole(const std::string& folder, const std::string& key) {
    const std::optional<std::string> contents = SmallFile(folder + "/" + kContentsName, kMaxContentsSize);
    const std::string first = "PELLUMO-RUNTIME " + key + "\n";
    if (!contents || contents->rfind(first, 0) != 0) return false;
    // Then one line a file: its size, a space, its path.
    for (std::size_t start = first.size(); start < contents->size();) {
        const std::size_t end = contents->find('\n', start);
        const std::size_t space = contents->find(' ', start);
        if (end == std::string::npos || space >= end) return false;
        const std::string size = contents->substr(start, space - start);
        const std::string path = contents->substr(space + 1, end - space - 1);
        struct stat status {};
        if (size.empty() || size.size() > 18 || size.find_first_not_of("0123456789") != std::string::npos ||
            !IsPlainArchivePath(path) || ::lstat((folder + "/" + path).c_str(), &status) != 0 ||
            !S_ISREG(status.st_mode) || status.st_size != std::stoll(size))
            return false;
        start = end + 1;
    }
    return true;
}

void WriteContents(const std::string& folder, const std::string& key, const std::vector<TUnpackedFile>& files) {
    std::string text = "PELLUMO-RUNTIME " + key + "\n";
    for (const TUnpackedFile& file : files) text += std::to_string(file.size) + " " + file.path + "\n";
    const std::string path = folder + "/" + kContentsName;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) throw ECacheError(folder, errno);
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && ::fsync(fd) == 0;
    const int error = written ? 0 : (errno != 0 ? errno : ENOSPC);
    ::close(fd);
    if (!written) throw ECacheError(folder, error);
    SyncFolder(folder);
}

// A start cut short (a crash, a power cut) leaves its work folder behind: removed once old.
void RemoveStaleWork(const std::string& cache) {
    DIR* folder = ::opendir(cache.c_str());
    if (folder == nullptr) return;
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(folder)) {
        const std::string path = cache + "/" + entry->d_name;
        struct stat status {};
        if (std::string_view(entry->d_name).starts_with(kWorkPrefix) && ::lstat(path.c_str(), &status) == 0 &&
            now - status.st_mtime > kStaleWorkSeconds)
            RemoveFolder(path);
    }
    ::closedir(folder);
}

void CheckRoom(const std::string& cache, std::int64_t needed) {
    struct statvfs disk {};
    if (::statvfs(cache.c_str(), &disk) != 0) return;
    const auto free = static_cast<std::int64_t>(disk.f_bavail) * static_cast<std::int64_t>(disk.f_frsize);
    if (free >= needed) return;
    constexpr std::int64_t kMB = 1000 * 1000;
    throw ECacheError("le disque est plein : il faut " + std::to_string((needed + kMB - 1) / kMB) + " Mo libres dans " +
                      cache + ", il y en a " + std::to_string(free / kMB));
}

// Puts the unpacked folder in place of `target`. Another start may have put its own there
// first: that one is kept when whole. A damaged one is moved aside and replaced.
void Install(const std::string& work, const std::string& target, const std::string& cache, const std::string& key) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (::rename(work.c_str(), target.c_str()) == 0) {
            SyncFolder(cache);
            return;
        }
        const int error = errno;
        if (error != EEXIST && error != ENOTEMPTY) {
            RemoveFolder(work);
            throw ECacheError(cache, error);
        }
        if (IsWhole(target, key)) {
            RemoveFolder(work);
            return;
        }
        const std::string aside = NewWorkFolder(cache, key);
        if (::rename(target.c_str(), aside.c_str()) == 0) RemoveFolder(aside);
    }
    RemoveFolder(work);
    throw ECacheError(cache, EEXIST);
}

}  // namespace

std::string CacheFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache != nullptr && cache[0] == '/') return std::string(cache) + "/pellumo";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const struct passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] != '/') throw ECacheError("aucun dossier personnel n'est connu : définissez HOME");
    return std::string(home) + "/.cache/pellumo";
}

std::string ReadyRuntime(const std::string& cache, TStream& show, const TRuntimeSection& runtime) {
    const std::string target = cache + "/" + runtime.key;
    if (IsWhole(target, runtime.key)) return target;
    MakeFolders(cache);
    RemoveStaleWork(cache);
    CheckRoom(cache, runtime.unpackedSize);
    const std::string work = NewWorkFolder(cache, runtime.key);
    try {
        WriteContents(work, runtime.key, UnpackRuntime(show, runtime, work));
    } catch (...) {
        RemoveFolder(work);
        throw;
    }
    Install(work, target, cache, runtime.key);
    return target;
}

std::string ReadyMusic(const std::string& cache, TStream& show, const TCarriedMusic& music) {
    const std::string folder = cache + "/music/" + music.key;
    const std::string path = folder + "/" + music.name;
    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_size == music.size) return path;
    MakeFolders(folder);
    std::string work = folder + "/.music-XXXXXX";
    int fd = ::mkstemp(work.data());
    if (fd < 0) throw ECacheError(folder, errno);
    try {
        std::vector<std::uint8_t> buffer(1 << 16);
        show.SetPosition(music.offset);
        for (std::int64_t left = music.size; left > 0;) {
            const auto count =
                static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size())));
            show.ReadBuffer(buffer.data(), count);
            if (::write(fd, buffer.data(), count) != static_cast<ssize_t>(count))
                throw ECacheError(folder, errno != 0 ? errno : ENOSPC);
            left -= static_cast<std::int64_t>(count);
        }
        if (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0) throw ECacheError(folder, errno);
        ::close(std::exchange(fd, -1));
        if (::rename(work.c_str(), path.c_str()) != 0) throw ECacheError(folder, errno);
    } catch (...) {
        if (fd >= 0) ::close(fd);
        ::unlink(work.c_str());
        throw;
    }
    return path;
}

}  // namespace pellumo
