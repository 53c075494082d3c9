// A portable show as people get it: built by pellumo-pack from the samples, read by inspect
// and extract, and started by its launcher where the player's libraries are hidden (a mount
// namespace, as root), under a real X server (ctest runs that part under Xvfb).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "audio_files.h"
#include "portable/portable_files.h"

namespace pellumo {
namespace {

const std::string kSamples = PELLUMO_SAMPLES;

// How a program is started: in a mount namespace of its own where the listed files are empty
// and the folder `emptied` is (when given), and the folder `readOnly` cannot be written.
struct TPlace {
    std::vector<std::string> hidden;
    std::string emptied;
    std::string readOnly;
};

// The strings' pointers, as exec wants them.
std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> list;
    for (std::string& s : strings) list.push_back(s.data());
    list.push_back(nullptr);
    return list;
}

// Runs a program as root in the place; its standard error goes to `errors`. The mounts are
// made by the child itself, since tools like mount need the very libraries that get hidden.
// Returns its pid; it ends with 126 when the place could not be made.
pid_t Start(std::string program, const TPlace& place, const fs::path& empty, std::vector<std::string> environment,
            const fs::path& errors) {
    for (char** variable = environ; *variable != nullptr; ++variable) environment.emplace_back(*variable);
    std::vector<std::string> arguments{program};
    std::vector<char*> argv = Pointers(arguments);
    std::vector<char*> envp = Pointers(environment);
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    const int fd = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || ::dup2(fd, 2) < 0 || ::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        ::_exit(126);
    for (const std::string& file : place.hidden)
        if (::mount(empty.c_str(), file.c_str(), nullptr, MS_BIND, nullptr) != 0) ::_exit(126);
    if (!place.emptied.empty() && ::mount("tmpfs", place.emptied.c_str(), "tmpfs", 0, nullptr) != 0) ::_exit(126);
    const char* readOnly = place.readOnly.c_str();
    if (!place.readOnly.empty() && (::mount(readOnly, readOnly, nullptr, MS_BIND, nullptr) != 0 ||
                                    ::mount(nullptr, readOnly, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0))
        ::_exit(126);
    ::execve(program.c_str(), argv.data(), envp.data());
    ::_exit(127);
}

bool CanMakeMountNamespaces() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(::unshare(CLONE_NEWNS) == 0 ? 0 : 1);
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The exit status of a program that ends within `seconds`, else -1 (and it is killed).
int Ended(pid_t pid, double seconds) {
    int status = 0;
    for (auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
         std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(std::chrono::milliseconds(50)))
        if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
}

template <typename Condition>
bool Within(double seconds, Condition condition) {
    for (auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
         std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(std::chrono::milliseconds(100)))
        if (condition()) return true;
    return false;
}

class PortableShow : public ::testing::Test {
protected:
    TTestFolder folder;
    fs::path show, music, cache;

    void SetUp() override {
        show = folder.path / "show" / "diaporama";
        music = folder.path / "music" / "air.wav";
        cache = folder.path / "cache";
        fs::create_directories(show.parent_path());
        fs::create_directories(music.parent_path());
        audio_files::WriteFile(music, audio_files::Wav(1.0));
        const std::string report =
            CommandOutput("'" PELLUMO_PACK "' build --portable --music '" + music.string() + "' -o '" + show.string() +
                          "' '" + kSamples + "/fallen-leaf.jpg' '" + kSamples + "/colorful-cups.jpg'");
        ASSERT_NE(report.find("portable, musique « air.wav » emportée"), std::string::npos) << report;
    }
};

TEST_F(PortableShow, IsOneFileThatInspectAndExtractRead) {
    EXPECT_EQ(std::distance(fs::directory_iterator(show.parent_path()), fs::directory_iterator()), 1);
    EXPECT_NE(CommandOutput("'" PELLUMO_PACK "' inspect '" + show.string() + "'").find("Diapositives : 2"),
              std::string::npos);
    const fs::path extracted = folder.path / "extracted";
    CommandOutput("'" PELLUMO_PACK "' extract '" + show.string() + "' '" + extracted.string() + "'");
    EXPECT_EQ(ReadText(extracted / "air.wav"), ReadText(music));
    EXPECT_NE(ReadText(extracted / "show.toml").find("portable = true"), std::string::npos);
}

TEST_F(PortableShow, ItsLauncherAsksTheSystemForGlibcAlone) {
    const std::string dynamic = CommandOutput("readelf -d '" + show.string() + "'");
    std::vector<std::string> needed;
    for (std::size_t at = 0; (at = dynamic.find("Shared library: [", at)) != std::string::npos;) {
        at += 17;
        needed.push_back(dynamic.substr(at, dynamic.find(']', at) - at));
    }
    ASSERT_FALSE(needed.empty());
    for (const std::string& library : needed) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        // A sanitizer build's launcher takes the sanitizers' runtimes too.
        if (library.starts_with("libasan.so") || library.starts_with("libubsan.so") || library.starts_with("libtsan.so"))
            continue;
#endif
        EXPECT_TRUE(library == "libc.so.6" || library == "libm.so.6" || library == "ld-linux-x86-64.so.2") << library;
    }
}

// The show under Xvfb, in a mount namespace where every system file the runtime carries a copy
// of (libraries, Qt's plugins and French words, the caption's faces) is an empty file.
class PortableShowX11 : public PortableShow {
protected:
    TPlace hidden;

    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X server: ctest runs this under Xvfb";
        if (!CanMakeMountNamespaces()) GTEST_SKIP() << "needs mount namespaces (root, or a container that allows them)";
        PortableShow::SetUp();
        WriteText(folder.path / "empty", "");
        std::istringstream list(ReadText(PELLUMO_BUNDLED_LIST));
        for (std::string file; std::getline(list, file);) hidden.hidden.push_back(file);
        ASSERT_FALSE(hidden.hidden.empty());
        hidden.emptied = PELLUMO_QT_PLUGINS;
    }

    pid_t StartIn(const std::string& program, const TPlace& place, const std::string& errors = "errors") {
        return Start(program, place, folder.path / "empty",
                     {"XDG_CACHE_HOME=" + cache.string(), "QT_QPA_PLATFORM=xcb", "SDL_AUDIODRIVER=dummy"},
                     folder.path / errors);
    }

    static bool Shows(pid_t pid, const std::string& title) {
        return !CommandOutput("xdotool search --onlyvisible --pid " + std::to_string(pid) + " --name '^" + title +
                              "$' 2>/dev/null")
                    .empty();
    }

    // Whether the player has a file open under `place` (a file or a folder): the music plays from it.
    static bool Plays(pid_t pid, const fs::path& place) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error))
            if (fs::read_symlink(entry.path(), error).string().rfind(place.string(), 0) == 0) return true;
        return false;
    }

    // Whether the show came to play: its window shows and its music plays.
    bool Playing(pid_t pid, const fs::path& musicPlace) {
        return Within(60, [&] { return Shows(pid, "Diaporama"); }) && Within(10, [&] { return Plays(pid, musicPlace); });
    }

    // Plays the show until it plays, then closes it as a logout does.
    void Play(const fs::path& musicPlace) {
        const pid_t pid = StartIn(show.string(), hidden);
        EXPECT_TRUE(Playing(pid, musicPlace)) << ReadText(folder.path / "errors");
        ::kill(pid, SIGTERM);
        EXPECT_EQ(Ended(pid, 20), 0) << ReadText(folder.path / "errors");
    }

    std::vector<std::string> CacheEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(cache / "pellumo")) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(PortableShowX11, PlaysWithoutTheSystemsCopiesOfItsLibraries) {
    // Hidden indeed: the plain player cannot even load.
    const pid_t plain = StartIn(PELLUMO_PLAYER, hidden);
    EXPECT_EQ(Ended(plain, 20), 127);
    EXPECT_NE(ReadText(folder.path / "errors").find("error while loading shared libraries"), std::string::npos);

    // The first start unpacks, a later one does not; the carried music plays unless a music
    // file of its name lies beside the show.
    Play(cache / "pellumo" / "music");
    const auto runtimes = CacheEntries();
    fs::copy_file(music, show.parent_path() / "air.wav");
    Play(show.parent_path() / "air.wav");
    EXPECT_EQ(CacheEntries(), runtimes);
}

TEST_F(PortableShowX11, TwoStartsAtOncePlayTwice) {
    const pid_t first = StartIn(show.string(), hidden, "errors-1");
    const pid_t second = StartIn(show.string(), hidden, "errors-2");
    const fs::path carried = cache / "pellumo" / "music";
    EXPECT_TRUE(Playing(first, carried) && Playing(second, carried));
    ::kill(first, SIGTERM);
    ::kill(second, SIGTERM);
    EXPECT_EQ(Ended(first, 20), 0) << ReadText(folder.path / "errors-1");
    EXPECT_EQ(Ended(second, 20), 0) << ReadText(folder.path / "errors-2");
    EXPECT_EQ(CacheEntries().size(), 2u);  // the runtime and the music, no work folder left
}

TEST_F(PortableShowX11, AReadOnlyCacheIsToldInABox) {
    // Among the system's own libraries, which the desktop's message tools need.
    fs::create_directories(cache);
    const pid_t pid = StartIn(show.string(), {.hidden = {}, .emptied = {}, .readOnly = cache.string()});
    EXPECT_EQ(Ended(pid, 20), 1);
    const std::string errors = ReadText(folder.path / "errors");
    EXPECT_NE(errors.find("Le diaporama ne peut pas démarrer : impossible d'écrire dans " + cache.string()),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find("lecture seule"), std::string::npos) << errors;
    // A person who started it from a file manager sees the same in a box of the desktop's tools.
    std::string box;
    EXPECT_TRUE(Within(10, [&] { return !(box = CommandOutput("xdotool search --onlyvisible --name '^Pellumo$'")).empty(); }));
    if (!box.empty()) CommandOutput("xdotool windowkill " + box.substr(0, box.find('\n')));
}

}  // namespace
}  // namespace pellumo
