// A show filmed into a video: what ffprobe finds in the file, pictures decoded back beside the
// renderer's and pellumo-pack's, the music's fate, and files that a cancel or a failure must
// not leave behind.
#include "video/video_export.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "audio_files.h"
#include "authoring/option_values.h"
#include "authoring/video_timeline.h"
#include "base/exceptions.h"
#include "decoded_video.h"
#include "temporary_folder.h"
#include "video/video_codecs.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

const fs::path kDemo = fs::path(PELLUMO_TEST_DATA).parent_path().parent_path() / "samples" / "demo";
constexpr int kCircularReveal = 12;
constexpr TVideoFormat kFormat{320, 200, 10, 5};

std::vector<std::uint8_t> Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class VideoExportTest : public test::TemporaryFolderTest {
protected:

    // Three photographs of 2 s each, of the screen's shape: the first two without a caption,
    // so that each fills the screen and the transition between them is the whole screen's, as
    // pellumo-pack frame composes it; the third one captioned and framed.
    TVideoShow ThreeSlides(const std::string& music = {}) {
        TVideoShow show;
        for (const char* name : {"fallen-leaf.jpg", "by-the-water.jpg", "autumn.jpg"}) {
            TSlideEntry slide;
            slide.Duration = 2;
            slide.TransitionStyle = kCircularReveal;
            show.catalogue.Slides.push_back(slide);
            show.pictures.push_back(Bytes(kDemo / name));
        }
        TSlideEntry& last = show.catalogue.Slides.back();
        last.Caption.Assign("Automne");
        last.CaptionColor = 0x40E0F0;
        last.BackColor = 0x302010;
        last.Framed = true;
        last.FrameColor = 0xC8C8C8;
        show.musicPath = music;
        return show;
    }

    std::string Tone(double seconds) {
        const fs::path music = folder / "music.wav";
        audio_files::WriteFile(music, audio_files::Wav(seconds));
        return music.string();
    }
};

// Within a frame of the show's 6 s, by the container's account.
void ExpectSixSeconds(const std::map<std::string, std::string>& probe) {
    ASSERT_TRUE(probe.contains("format.duration"));
    EXPECT_NEAR(std::stod(probe.at("format.duration")), 6.0, 1.0 / kFormat.framesPerSecond);
}

TEST_F(VideoExportTest, Mp4HoldsH264OfTheAskedSizeAndRateAndAacMusicForTheShowsLength) {
    const fs::path output = folder / "show.mp4";
    const TVideoExport video = ExportVideo(ThreeSlides(Tone(1.5)), kFormat, kDefaultVideoQuality, output.string());
    EXPECT_EQ(video.frames, 60);
    EXPECT_TRUE(video.withSound);
    EXPECT_TRUE(video.warnings.empty());
    EXPECT_EQ(video.bytes, static_cast<std::int64_t>(fs::file_size(output)));

    const auto probe = Probe(output.string());
    EXPECT_EQ(probe.at("streams.stream.0.codec_name"), "h264");
    EXPECT_EQ(probe.at("streams.stream.0.width"), "320");
    EXPECT_EQ(probe.at("streams.stream.0.height"), "200");
    EXPECT_EQ(probe.at("streams.stream.0.pix_fmt"), "yuv420p");
    // Players read the colours as they were coded.
    EXPECT_EQ(probe.at("streams.stream.0.color_space"), "bt709");
    EXPECT_EQ(probe.at("streams.stream.0.color_range"), "tv");
    EXPECT_EQ(probe.at("streams.stream.0.color_primaries"), "bt709");
    EXPECT_EQ(probe.at("streams.stream.0.r_frame_rate"), "10/1");
    EXPECT_EQ(probe.at("streams.stream.0.nb_frames"), "60");
    EXPECT_NEAR(std::stod(probe.at("streams.stream.0.duration")), 6.0, 0.1);
    EXPECT_EQ(probe.at("streams.stream.1.codec_name"), "aac");
    EXPECT_EQ(probe.at("streams.stream.1.sample_rate"), "48000");
    EXPECT_EQ(probe.at("streams.stream.1.channels"), "2");
    EXPECT_NEAR(std::stod(probe.at("streams.stream.1.duration")), 6.0, 0.1);
    EXPECT_FALSE(probe.contains("streams.stream.2.codec_name"));
    ExpectSixSeconds(probe);
    // Nothing beside it: the temporary file took its name.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}

TEST_F(VideoExportTest, WebmHoldsVp9AndOpus) {
    const fs::path output = folder / "show.WebM";
    ExportVideo(ThreeSlides(Tone(0.5)), kFormat, kDefaultVideoQuality, output.string());
    const auto probe = Probe(output.string());
    EXPECT_EQ(probe.at("format.format_name"), "matroska,webm");
    EXPECT_EQ(probe.at("streams.stream.0.codec_name"), "vp9");
    EXPECT_EQ(probe.at("streams.stream.0.width"), "320");
    EXPECT_EQ(probe.at("streams.stream.0.height"), "200");
    EXPECT_EQ(probe.at("streams.stream.0.r_frame_rate"), "10/1");
    EXPECT_EQ(probe.at("streams.stream.1.codec_name"), "opus");
    EXPECT_FALSE(probe.contains("streams.stream.2.codec_name"));
    ExpectSixSeconds(probe);
}

TEST_F(VideoExportTest, PicturesDecodedBackMatchTheRendererAndTheFrameCommand) {
    const fs::path output = folder / "show.mp4";
    const TVideoShow show = ThreeSlides();
    ExportVideo(show, kFormat, kDefaultVideoQuality, output.string());
    TShowVideoFrames frames(show, kFormat);

    // The middle of the captioned, framed third slide, long after its transition.
    const TYuvPicture still = DecodedFrame(output.string(), 50);
    ASSERT_EQ(still.width, kFormat.width);
    EXPECT_GE(Psnr(still, Bt709(frames.Frame(50))), 35.0);

    // The middle of the transition into the second slide: the first slide's screen giving way
    // to the second's, at the progress the control has reached by then.
    const std::int64_t start = 20;
    const std::int64_t middle = start + 5;
    const int progress = TransitionProgressAt(middle - start, kFormat.framesPerSecond);
    ASSERT_GT(progress, 30);
    ASSERT_LT(progress, 70);
    frames.Frame(start - 1).SaveToFile((folder / "old.bmp").string());
    frames.Frame(start + 15).SaveToFile((folder / "new.bmp").string());
    const std::string command = std::string(PELLUMO_PACK) + " frame --style " + std::to_string(kCircularReveal) +
                                " --progress " + std::to_string(progress) + " " + (folder / "old.bmp").string() + " " +
                                (folder / "new.bmp").string() + " " + (folder / "composed.bmp").string();
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    TBitmap composed;
    composed.LoadFromFile((folder / "composed.bmp").string());
    const TYuvPicture moving = DecodedFrame(output.string(), middle);
    EXPECT_GE(Psnr(moving, Bt709(composed)), 30.0);
    // The measure tells the pictures apart: the transition frame is not the still one.
    EXPECT_LT(Psnr(moving, Bt709(frames.Frame(start + 15))), 25.0);
}

TEST_F(VideoExportTest, MusicThatDoesNotDecodeGivesAWarningAndASilentVideo) {
    const fs::path music = folder / "music.mp3";
    std::ofstream(music) << "ID3 these are not the sounds you are looking for";
    const fs::path output = folder / "show.mp4";
    const TVideoExport video = ExportVideo(ThreeSlides(music.string()), kFormat, kDefaultVideoQuality, output.string());
    EXPECT_FALSE(video.withSound);
    ASSERT_EQ(video.warnings.size(), 1u);
    EXPECT_NE(video.warnings[0].find("music.mp3"), std::string::npos) << video.warnings[0];
    const auto probe = Probe(output.string());
    EXPECT_EQ(probe.at("streams.stream.0.codec_name"), "h264");
    EXPECT_FALSE(probe.contains("streams.stream.1.codec_name"));
}

TEST_F(VideoExportTest, ACancelledOrFailedExportLeavesNoFile) {
    const TVideoShow show = ThreeSlides(Tone(1.0));
    TWriteProgress progress;
    std::size_t told = 0;
    progress.step = [&told](std::size_t done, std::size_t) { told = done; };
    progress.cancelled = [&told] { return told >= 10; };
    const fs::path output = folder / "show.mp4";
    EXPECT_THROW(ExportVideo(show, kFormat, kDefaultVideoQuality, output.string(), progress), EWriteCancelled);
    EXPECT_EQ(told, 10u);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);  // the music alone

    // A folder that is not there: nothing is made, anywhere.
    EXPECT_THROW(ExportVideo(show, kFormat, kDefaultVideoQuality, (folder / "gone" / "show.mp4").string()),
                 EStreamError);
    // A container the name does not say.
    EXPECT_THROW(ExportVideo(show, kFormat, kDefaultVideoQuality, (folder / "show.avi").string()), EOptionError);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace pellumo
