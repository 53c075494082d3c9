// pellumo-pack video as a person runs it: a built show filmed with its music, the notes it
// prints, and the files it must never lose or leave behind.
#include <sys/resource.h>

#include <csignal>
#include <thread>

#include "audio_files.h"
#include "pack_fixture.h"

namespace pellumo {
namespace {

class PackVideo : public PellumoPack {
protected:
    fs::path video;
    fs::path music;

    void SetUp() override {
        PellumoPack::SetUp();
        video = folder / "show.mp4";
        music = folder / "music.wav";
        audio_files::WriteFile(music, audio_files::Wav(0.5));
    }

    std::vector<std::string> Video(std::vector<std::string> options, const std::string& size = "320x180",
                                   const std::string& rate = "10") {
        std::vector<std::string> args{"video", show.string(), "-o", video.string(), "--size", size, "--fps", rate};
        args.insert(args.end(), options.begin(), options.end());
        return args;
    }

    std::string Probed(const std::string& entry) {
        const TRun run = RunProgram(PELLUMO_FFPROBE, {"-v", "error", "-of", "default=nw=1:nk=1", "-show_entries",
                                                      entry, video.string()});
        return run.out;
    }

    std::vector<std::string> HiddenFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().filename().string()[0] == '.') names.push_back(entry.path().filename().string());
        return names;
    }
};

TEST_F(PackVideo, FilmsABuiltShowWithItsMusicAndTellsWhatItWrote) {
    ASSERT_EQ(Pack(Build({"--duration", "1", "--music", music.string()}, {kColour, kGray})).exitCode, 0);
    const TRun run = Pack(Video({}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind(video.string() + " : 320x180, 10 images/s, 0:02, avec musique, ", 0), 0u) << run.out;
    EXPECT_EQ(Probed("stream=codec_name,width,height,r_frame_rate"), "h264\n320\n180\n10/1\naac\n0/0\n");
    EXPECT_EQ(Probed("format=duration"), "2.000000\n");
    EXPECT_TRUE(HiddenFiles().empty());

    // A resting slide is shown for --rest-duration seconds, and said so.
    ASSERT_EQ(Pack(Build({"--duration", "0"}, {kColour})).exitCode, 0);
    const TRun rest = Pack(Video({"--rest-duration", "3", "--force"}));
    ASSERT_EQ(rest.exitCode, 0) << rest.err;
    EXPECT_NE(rest.err.find("3 s"), std::string::npos) << rest.err;
    EXPECT_NE(rest.out.find(", 0:03, sans son, "), std::string::npos) << rest.out;

    const TRun help = Pack({"video", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--rest-duration SECONDES"), std::string::npos);
    EXPECT_NE(Pack({"--help"}).out.find("  video "), std::string::npos);
}

TEST_F(PackVideo, NeverReplacesWhatItReadsNorAnotherFileUnlessForced) {
    const fs::path webmMusic = folder / "music.webm";  // a WAV under a video's name still plays
    fs::copy_file(music, webmMusic);
    ASSERT_EQ(Pack(Build({"--duration", "1", "--music", webmMusic.string()}, {kColour})).exitCode, 0);
    const std::string musicBytes = Contents(webmMusic);

    const TRun overMusic = Pack({"video", show.string(), "-o", webmMusic.string(), "--force", "--size", "320x180"});
    EXPECT_EQ(overMusic.exitCode, 1);
    EXPECT_EQ(Contents(webmMusic), musicBytes);
    const TRun overShow = Pack({"video", show.string(), "-o", show.string(), "--force"});
    EXPECT_EQ(overShow.exitCode, 1);
    EXPECT_NE(overShow.err.find(".mp4"), std::string::npos) << overShow.err;

    WriteFile(video, "mine");
    const TRun existing = Pack(Video({}));
    EXPECT_EQ(existing.exitCode, 1);
    EXPECT_EQ(Contents(video), "mine");
    EXPECT_EQ(Pack(Video({"--force"})).exitCode, 0);
    EXPECT_NE(Contents(video), "mine");

    const TRun badSize = Pack(Video({"--force"}, "8x8"));
    EXPECT_EQ(badSize.exitCode, 1);
    EXPECT_NE(badSize.err.find("--size"), std::string::npos) << badSize.err;
    // A format beyond the limits is refused before the show is read: here there is none.
    const TRun badRate =
        Pack({"video", (folder / "absent.toml").string(), "-o", (folder / "other.mp4").string(), "--fps", "500"});
    EXPECT_EQ(badRate.exitCode, 1);
    EXPECT_NE(badRate.err.find("--fps"), std::string::npos) << badRate.err;
    EXPECT_TRUE(HiddenFiles().empty());
}

// A disk that fills up: a file size limit makes the writes fail partway, as a full disk does.
TEST_F(PackVideo, AFailedWriteAndAnInterruptionLeaveNothing) {
    ASSERT_EQ(Pack(Build({"--duration", "2"}, {kColour, kGray, kColour})).exitCode, 0);
    const pid_t limited = ::fork();
    if (limited == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{2000, 2000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const int devNull = ::open("/dev/null", O_WRONLY);
        ::dup2(devNull, 1);
        ::dup2(devNull, 2);
        ExecProgram(PELLUMO_PACK, Video({}, "1280x720"));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(limited, &status, 0), limited);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_FALSE(fs::exists(video));
    EXPECT_TRUE(HiddenFiles().empty());

    const pid_t child = ::fork();
    if (child == 0) ExecProgram(PELLUMO_PACK, Video({}, "1920x1080", "60"));
    for (int wait = 0; wait < 4000 && HiddenFiles().empty(); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_FALSE(HiddenFiles().empty()) << "the export never started its file";
    ::kill(child, SIGTERM);
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_TRUE(HiddenFiles().empty());
    EXPECT_FALSE(fs::exists(video));
}

}  // namespace
}  // namespace pellumo
