#include "platform/media_player.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "audio_files.h"
#include "message_pump.h"
#include "platform/application.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;
using namespace audio_files;
using Clock = std::chrono::steady_clock;

constexpr double kShortSeconds = 0.3;
constexpr double kLongSeconds = 1.0;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Counts notifications and where they came from.
struct TNotifications {
    int count = 0;
    std::vector<std::thread::id> threads;
    std::vector<TObject*> senders;

    void Attach(TMediaPlayer& player) {
        player.OnNotify = [this](TObject* sender) {
            ++count;
            threads.push_back(std::this_thread::get_id());
            senders.push_back(sender);
        };
    }
};

void PumpFor(double seconds) { PumpUntil([] { return false; }, seconds); }

// Waits without handling messages, so that notifications stay pending.
bool WaitUntilStopped(const TMediaPlayer& player, double seconds) {
    const auto start = Clock::now();
    while (player.Mode() == mpPlaying) {
        if (SecondsSince(start) >= seconds) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class MediaPlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // No sound card needed: SDL's dummy output consumes samples at the real rate.
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
        folder = fs::temp_directory_path() / ("pellumo-media-player-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        WriteFile(Path("short.wav"), Wav(kShortSeconds));
        WriteFile(Path("long.wav"), Wav(kLongSeconds));
        WriteFile(Path("tone.flac"), Flac(3));
        WriteFile(Path("long.flac"), Flac(11));  // 1.02 s
        WriteFile(Path("silence.mp3"), Mp3(12));
        const std::string text = "Ceci n'est pas une musique.\n";
        WriteFile(Path("notes.txt"), std::vector<std::uint8_t>(text.begin(), text.end()));
        WriteFile(Path("words.ogg"), std::vector<std::uint8_t>(text.begin(), text.end()));
        WriteFile(Path("empty.wav"), {});
    }

    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    static std::string Path(const char* name) { return (folder / name).string(); }

    void OpenFile(TMediaPlayer& target, const char* name) {
        target.SetFileName(Path(name));
        target.Open();
    }

    // Waits for `expected` notifications, then a little more to see that no other follows.
    void ExpectNotifications(int expected, double seconds = 3.0) {
        EXPECT_TRUE(PumpUntil([&] { return notes.count >= expected; }, seconds)) << notes.count;
        PumpFor(0.1);
        EXPECT_EQ(notes.count, expected);
    }

    static inline fs::path folder;
    const std::thread::id uiThread = std::this_thread::get_id();
    TNotifications notes;
    TMediaPlayer player;
};

TEST_F(MediaPlayerTest, PlaysToTheEndNotifyingOnceThenPlaysAgainFromTheStart) {
    EXPECT_EQ(player.Mode(), mpNotReady);
    OpenFile(player, "short.wav");
    EXPECT_EQ(player.Mode(), mpStopped);
    notes.Attach(player);
    player.SetNotify(true);

    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        const auto start = Clock::now();
        player.Play();
        EXPECT_EQ(player.Mode(), mpPlaying);
        ASSERT_TRUE(PumpUntil([&] { return notes.count == round; }, 5.0));
        // The second round starts over: resuming at the end would be over at once.
        EXPECT_GT(SecondsSince(start), kShortSeconds * 0.6);
        EXPECT_EQ(player.Mode(), mpStopped);
        EXPECT_TRUE(player.Notify());
    }
    ExpectNotifications(2);
    EXPECT_EQ(notes.threads, std::vector<std::thread::id>(2, uiThread));
    EXPECT_EQ(notes.senders, std::vector<TObject*>(2, &player));
}

TEST_F(MediaPlayerTest, PlayingWithoutNotifyAsksForNothing) {
    OpenFile(player, "short.wav");
    notes.Attach(player);
    player.Play();
    EXPECT_TRUE(PumpUntil([&] { return player.Mode() == mpStopped; }, 5.0));
    ExpectNotifications(0);
}

TEST_F(MediaPlayerTest, CloseNotifiesWhenAskedBesidesTheAbortedPlayback) {
    notes.Attach(player);
    struct Case {
        bool notifyPlay;
        bool notifyClose;
        int expected;
    };
    for (const Case c : {Case{false, true, 1}, Case{false, false, 0}, Case{true, false, 1}, Case{true, true, 2}}) {
        SCOPED_TRACE(::testing::Message() << "play " << c.notifyPlay << ", close " << c.notifyClose);
        notes.count = 0;
        OpenFile(player, "long.wav");
        player.SetNotify(c.notifyPlay);
        player.Play();
        ASSERT_EQ(player.Mode(), mpPlaying);
        player.SetNotify(c.notifyClose);
        player.Close();
        EXPECT_EQ(player.Mode(), mpNotReady);
        // Well before the music would have ended by itself.
        ExpectNotifications(c.expected, 0.5);
    }

    // Nothing open is no error, and still a command that may ask.
    notes.count = 0;
    player.SetNotify(false);
    EXPECT_NO_THROW(player.Close());
    player.SetNotify(true);
    EXPECT_NO_THROW(player.Close());
    ExpectNotifications(1, 0.5);
}

TEST_F(MediaPlayerTest, APlaySupersedingAnotherNotifiesItOnceAndTheMusicGoesOn) {
    OpenFile(player, "long.wav");
    notes.Attach(player);
    player.SetNotify(true);
    player.Play();
    PumpFor(0.25);
    player.Play();
    ExpectNotifications(1, 0.2);
    EXPECT_EQ(player.Mode(), mpPlaying);
    PumpFor(0.25);

    // Without Notify, it still supersedes the one that asked, and asks for nothing itself.
    player.SetNotify(false);
    const auto lastPlay = Clock::now();
    player.Play();
    ExpectNotifications(2, 0.2);
    ASSERT_TRUE(PumpUntil([&] { return player.Mode() == mpStopped; }, 5.0));
    // About half the music was left; starting over would take all of it.
    EXPECT_LT(SecondsSince(lastPlay), kLongSeconds * 0.8);
    ExpectNotifications(2);
}

TEST_F(MediaPlayerTest, OnePlayerAtATimeAndAnInterruptedOneResumes) {
    TMediaPlayer other;
    TNotifications otherNotes;
    otherNotes.Attach(other);
    // FLAC, as SDL_mixer 2.6 seeks WAV only to whole seconds.
    OpenFile(player, "long.flac");
    OpenFile(other, "short.wav");
    notes.Attach(player);
    player.SetNotify(true);
    other.SetNotify(true);

    player.Play();
    PumpFor(0.6);
    other.Play();
    ExpectNotifications(1, 0.2);
    EXPECT_EQ(player.Mode(), mpStopped);
    EXPECT_EQ(other.Mode(), mpPlaying);

    // Opening or closing a player that does not play leaves the music alone.
    {
        TMediaPlayer third;
        OpenFile(third, "short.wav");
        third.Close();
        OpenFile(third, "short.wav");
    }
    EXPECT_EQ(other.Mode(), mpPlaying);
    ASSERT_TRUE(PumpUntil([&] { return otherNotes.count == 1; }, 5.0));
    EXPECT_EQ(otherNotes.senders, std::vector<TObject*>{&other});

    const auto resumed = Clock::now();
    player.Play();
    ASSERT_TRUE(PumpUntil([&] { return notes.count == 2; }, 5.0));
    EXPECT_LT(SecondsSince(resumed), kLongSeconds * 0.75);
    EXPECT_EQ(otherNotes.count, 1);
}

TEST_F(MediaPlayerTest, AHandlerDetachedBeforeDeliveryIsNotCalled) {
    OpenFile(player, "short.wav");
    notes.Attach(player);
    player.SetNotify(true);
    player.Play();
    ASSERT_TRUE(WaitUntilStopped(player, 5.0));
    player.OnNotify = nullptr;
    PumpFor(0.1);

    notes.Attach(player);
    player.Close();
    player.OnNotify = nullptr;
    PumpFor(0.1);
    EXPECT_EQ(notes.count, 0);
}

TEST_F(MediaPlayerTest, DestroyingAPlayerDropsItsPendingNotifications) {
    {
        TMediaPlayer doomed;
        notes.Attach(doomed);
        OpenFile(doomed, "short.wav");
        doomed.SetNotify(true);
        doomed.Play();
    }
    {
        // Ended, with its notification posted but not yet handled.
        TMediaPlayer doomed;
        notes.Attach(doomed);
        OpenFile(doomed, "short.wav");
        doomed.SetNotify(true);
        doomed.Play();
        ASSERT_TRUE(WaitUntilStopped(doomed, 5.0));
    }
    PumpFor(kShortSeconds + 0.2);
    EXPECT_EQ(notes.count, 0);

    // The channel is free for the next player.
    OpenFile(player, "short.wav");
    notes.Attach(player);
    player.SetNotify(true);
    player.Play();
    ExpectNotifications(1);
}

TEST_F(MediaPlayerTest, CommandsWithoutAFile) {
    EXPECT_THROW(player.Play(), EMCIDeviceError);
    OpenFile(player, "short.wav");
    player.Close();
    EXPECT_THROW(player.Play(), EMCIDeviceError);
    EXPECT_EQ(player.Mode(), mpNotReady);
}

TEST_F(MediaPlayerTest, FilesThatAreNotMusicAreRefusedByName) {
    const std::string fifo = Path("pipe.ogg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& name : {Path("missing.ogg"), Path("notes.txt"), Path("words.ogg"), Path("empty.wav"),
                                   folder.string(), fifo, std::string("/dev/zero")}) {
        SCOPED_TRACE(name);
        OpenFile(player, "short.wav");
        player.SetFileName(name);
        try {
            player.Open();
            ADD_FAILURE() << "opened";
        } catch (const EMCIDeviceError& error) {
            EXPECT_NE(error.Message().find("Impossible d'ouvrir le fichier musical « " + name + " » : "),
                      std::string::npos)
                << error.Message();
        }
        // A failed Open leaves nothing open.
        EXPECT_EQ(player.Mode(), mpNotReady);
        EXPECT_THROW(player.Play(), EMCIDeviceError);
    }
    player.SetFileName("");
    EXPECT_THROW(player.Open(), EMCIDeviceError);
    player.SetFileName(Path("short.wav") + std::string(1, '\0') + "x");
    EXPECT_THROW(player.Open(), EMCIDeviceError);
}

TEST_F(MediaPlayerTest, FlacAndMp3Play) {
    notes.Attach(player);
    player.SetNotify(true);
    int expected = 0;
    for (const char* name : {"tone.flac", "silence.mp3"}) {
        SCOPED_TRACE(name);
        OpenFile(player, name);
        player.Play();
        EXPECT_EQ(player.Mode(), mpPlaying);
        ++expected;
        EXPECT_TRUE(PumpUntil([&] { return notes.count == expected; }, 5.0));
    }
}

// The output is opened once per process, so a missing one is seen in a process of its own.
TEST(MediaPlayerDeathTest, NoAudioOutputIsAnErrorAndIsTriedAgainLater) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const fs::path file =
                fs::temp_directory_path() / ("pellumo-no-output-" + std::to_string(::getpid()) + ".wav");
            WriteFile(file, Wav(0.05));
            const auto finish = [&](int code) {
                std::error_code ignored;
                fs::remove(file, ignored);
                std::_Exit(code);
            };
            ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
            TMediaPlayer player;
            player.SetFileName(file.string());
            try {
                player.Open();
                finish(1);
            } catch (const EMCIDeviceError& error) {
                if (error.Message().find(file.string()) == std::string::npos ||
                    error.Message().find("no-such-driver") == std::string::npos)
                    finish(2);
            }
            ::setenv("SDL_AUDIODRIVER", "dummy", 1);
            try {
                player.Open();
            } catch (const EMCIDeviceError&) {
                finish(3);
            }
            finish(player.Mode() == mpStopped ? 0 : 4);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace pellumo
