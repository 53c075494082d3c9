// The sound track as the player would play the music through the video: looped after a second
// of silence, faded out over the last second; and music files that are not what they claim.
#include "video/music_track.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "audio_files.h"
#include "temporary_folder.h"
#include "video/av_failure.h"
#include "video/sound_encoder.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

class MusicTrackTest : public test::TemporaryFolderTest {
protected:

    fs::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        audio_files::WriteFile(folder / name, bytes);
        return folder / name;
    }
};

// The whole track, read in pieces of an odd size as the encoder's frames would not be.
std::vector<float> Track(const fs::path& music, double seconds) {
    const auto length = static_cast<std::int64_t>(seconds * kSoundRate);
    TMusicTrack track(music.string(), length);
    std::vector<float> samples(static_cast<std::size_t>(length) * kSoundChannels);
    for (std::size_t at = 0; at < samples.size(); at += 2 * 997)
        track.Read(std::span<float>(samples).subspan(at, std::min<std::size_t>(2 * 997, samples.size() - at)));
    return samples;
}

// The loudest sample between the two times, in seconds.
float Peak(const std::vector<float>& samples, double from, double to) {
    float peak = 0;
    for (auto i = static_cast<std::size_t>(from * kSoundRate) * kSoundChannels;
         i < std::min(samples.size(), static_cast<std::size_t>(to * kSoundRate) * kSoundChannels); ++i)
        peak = std::max(peak, std::abs(samples[i]));
    return peak;
}

TEST_F(MusicTrackTest, PlaysAgainAfterASecondOfSilence) {
    const std::vector<float> track = Track(Write("tone.wav", audio_files::Wav(0.5)), 4.0);
    const float tone = Peak(track, 0.05, 0.45);
    EXPECT_GT(tone, 0.1f);
    EXPECT_EQ(Peak(track, 0.52, 1.48), 0.0f);
    EXPECT_NEAR(Peak(track, 1.55, 1.95), tone, 0.01f);
    EXPECT_EQ(Peak(track, 2.02, 2.98), 0.0f);
    EXPECT_GT(Peak(track, 3.05, 3.45), 0.1f);  // a third time, fading out
}

TEST_F(MusicTrackTest, FadesOutOverTheLastSecond) {
    const std::vector<float> track = Track(Write("tone.flac", audio_files::Flac(20)), 1.5);
    const float tone = Peak(track, 0.1, 0.45);
    EXPECT_GT(tone, 0.1f);
    EXPECT_NEAR(Peak(track, 0.99, 1.0), tone / 2, tone * 0.03f);
    EXPECT_LT(Peak(track, 1.49, 1.5), tone * 0.02f);
    for (std::size_t i = 0; i + 2 < track.size(); i += 2)  // no sample beyond the tone's own level
        ASSERT_LE(std::abs(track[i]), tone * 1.01f);
}

TEST_F(MusicTrackTest, FilesWithoutSoundAreRefusedAndDamagedOnesPlayWhatTheyHold) {
    std::vector<std::uint8_t> wav = audio_files::Wav(1.0);
    // A WAV cut short: what is there plays, and the track goes on in silence.
    wav.resize(wav.size() / 4);
    const std::vector<float> track = Track(Write("short.wav", wav), 1.5);
    EXPECT_GT(Peak(track, 0.05, 0.2), 0.1f);
    EXPECT_EQ(Peak(track, 0.3, 1.2), 0.0f);
    EXPECT_NO_THROW(Track(Write("silence.mp3", audio_files::Mp3(40)), 0.5));

    const auto refused = [&](const fs::path& file) {
        EXPECT_THROW(TMusicTrack(file.string(), kSoundRate), EVideoError) << file;
    };
    refused(Write("empty.mp3", {}));
    refused(Write("noise.ogg", std::vector<std::uint8_t>(5000, 0x5A)));
    refused(Write("text.wav", {'R', 'I', 'F', 'F', 'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e'}));
    refused(folder);
    refused(folder / "missing.wav");
    // A playlist would open other files: it is not music.
    std::ofstream(folder / "list.m3u8") << "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\nshort.wav\n#EXT-X-ENDLIST\n";
    refused(folder / "list.m3u8");
}

}  // namespace
}  // namespace pellumo
