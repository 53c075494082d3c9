// The runtime in the user's cache: unpacked once, reused, unpacked again when damaged; a
// payload or a disk that cannot take it is told, leaving nothing (two starts at once: see
// portable_show_test).
#include "runtime_cache.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sched.h>

#include "base/memory_stream.h"
#include "cache_error.h"
#include "portable/portable_files.h"
#include "tar_reader.h"

namespace pellumo {
namespace {

class RuntimeCache : public ::testing::Test {
protected:
    TTestFolder folder;
    std::string cache;
    std::string payload;
    TRuntimeSection runtime;
    const std::string library = std::string(300'000, 'l') + "end";

    void SetUp() override {
        WriteText(folder.path / "in/pellumo", "#!player");
        WriteText(folder.path / "in/lib/liba.so.1", library);
        const std::string tar = TarOf(folder.path / "in", {"pellumo", "lib"});
        payload = Compressed(folder.path, tar);
        ASSERT_FALSE(payload.empty());
        runtime = {"0123456789abcdef", 0, static_cast<std::int64_t>(payload.size()), static_cast<std::int64_t>(tar.size())};
        cache = (folder.path / "cache/pellumo").string();
    }

    std::string Ready(const std::string& bytes) {
        TMemoryStream stream(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        return ReadyRuntime(cache, stream, runtime);
    }
    std::string Ready() { return Ready(payload); }

    // What the cache holds apart from its runtimes: work folders left behind.
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(cache))
            if (entry.path().filename() != runtime.key) names.push_back(entry.path().filename().string());
        return names;
    }
};

TEST_F(RuntimeCache, UnpacksOnceAndAgainOnlyWhenDamaged) {
    const std::string unpacked = Ready();
    EXPECT_EQ(unpacked, cache + "/" + runtime.key);
    EXPECT_EQ(ReadText(unpacked + "/lib/liba.so.1"), library);
    struct stat first {};
    ASSERT_EQ(::stat((unpacked + "/lib/liba.so.1").c_str(), &first), 0);

    // A later start finds it whole and writes nothing.
    EXPECT_EQ(Ready(), unpacked);
    struct stat later {};
    ASSERT_EQ(::stat((unpacked + "/lib/liba.so.1").c_str(), &later), 0);
    EXPECT_EQ(later.st_ino, first.st_ino);

    // A library cut short, or lost, is noticed and the runtime unpacked again.
    fs::resize_file(unpacked + "/lib/liba.so.1", 10);
    EXPECT_EQ(Ready(), unpacked);
    EXPECT_EQ(ReadText(unpacked + "/lib/liba.so.1"), library);
    fs::remove(unpacked + "/pellumo");
    EXPECT_EQ(Ready(), unpacked);
    EXPECT_EQ(ReadText(unpacked + "/pellumo"), "#!player");
    EXPECT_TRUE(Leftovers().empty());
}

TEST_F(RuntimeCache, ADamagedPayloadIsToldAndLeavesNothing) {
    std::string flipped = payload;
    flipped[flipped.size() / 2] ^= 0x20;
    for (const std::string& damaged : {flipped, payload.substr(0, payload.size() - 9)}) {
        runtime.size = static_cast<std::int64_t>(damaged.size());
        EXPECT_THROW(Ready(damaged), EDamagedRuntime);
        EXPECT_FALSE(fs::exists(cache + "/" + runtime.key));
        EXPECT_TRUE(Leftovers().empty());
    }
}

// In a mount namespace of its own (root only), so that the test can make the disk small.
TEST_F(RuntimeCache, AFullDiskIsToldBeforeAnythingIsWritten) {
    fs::create_directories(cache);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", cache.c_str(), "tmpfs", 0, "size=64k") != 0)
            ::_exit(2);
        try {
            Ready();
        } catch (const ECacheError& e) {
            ::_exit(std::string(e.what()).find("le disque est plein") != std::string::npos ? 0 : 3);
        } catch (...) {
        }
        ::_exit(4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2) GTEST_SKIP() << "no mount namespace here (needs root)";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace pellumo
