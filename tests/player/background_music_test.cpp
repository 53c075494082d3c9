// The show's music beside the running show: started with the window, looped after a second of
// silence, switched by the sound button, untouched by the stepping commands.

#include <sys/stat.h>

#include <cstring>

#include "audio_files.h"
#include "message_pump.h"
#include "player/button_glyphs.h"
#include "player/show_window.h"

namespace pellumo {
namespace {

constexpr double kToneSeconds = 3.0;  // still playing once the first slide has come, on a busy machine too

class BackgroundMusicTest : public ShowWindowTest {
protected:
    void PlayWithMusic(const std::string& musicName, const std::vector<std::uint8_t>& musicBytes) {
        if (!musicBytes.empty()) audio_files::WriteFile(folder / musicName, musicBytes);
        TCatalogue header;
        header.MusicFileName = musicName;
        Play(header, {Slide(FlatJpeg(64, 48, 90, 90, 90), "un"), Slide(FlatJpeg(64, 48, 90, 90, 90), "deux"),
                      Slide(FlatJpeg(64, 48, 90, 90, 90), "trois")});
    }

    bool Playing() const { return form->MediaPlayer1.Mode() == mpPlaying; }
};

TEST_F(BackgroundMusicTest, TheMusicLoopsWithASecondOfSilenceAndTheStepsLeaveItAlone) {
    PlayWithMusic("boucle.wav", audio_files::Wav(kToneSeconds));
    EXPECT_TRUE(form->B_Son.Visible());
    EXPECT_EQ(form->B_Son.Tag(), 1);
    EXPECT_EQ(form->B_Quit.Left(), 123);
    EXPECT_EQ(form->PanelDiaporama.Width(), 148);
    EXPECT_TRUE(Playing());  // with the first slide

    form->B_PauseClick(nullptr);
    form->B_SuivClick(nullptr);
    form->B_PrecClick(nullptr);
    EXPECT_TRUE(Playing());

    // The end, then a second of silence in which the window keeps answering, then the start.
    ASSERT_TRUE(PumpUntil([&] { return !Playing(); }, 5.0));
    const auto ended = std::chrono::steady_clock::now();
    ASSERT_TRUE(PumpUntil([&] { return form->MusicRestart().Enabled(); }, 2.0));
    ASSERT_TRUE(PumpUntil([&] { return Playing(); }, 3.0));
    const double silence = std::chrono::duration<double>(std::chrono::steady_clock::now() - ended).count();
    EXPECT_GT(silence, 0.9);
    EXPECT_LT(silence, 1.8);
    EXPECT_TRUE(form->MediaPlayer1.Notify());
}

TEST_F(BackgroundMusicTest, TheSoundButtonStopsAndStartsAgainFromTheBeginning) {
    PlayWithMusic("boucle.wav", audio_files::Wav(kToneSeconds));
    ASSERT_TRUE(Playing());
    form->B_SonClick(nullptr);
    EXPECT_EQ(form->B_Son.Tag(), 0);
    EXPECT_EQ(form->MediaPlayer1.Mode(), mpNotReady);
    EXPECT_FALSE(form->MusicRestart().Enabled());
    // Switched off, it stays off: no notification brings it back.
    EXPECT_FALSE(PumpUntil([&] { return Playing() || form->MusicRestart().Enabled(); }, 1.6));

    form->B_SonClick(nullptr);
    EXPECT_EQ(form->B_Son.Tag(), 1);
    EXPECT_TRUE(Playing());
    // Switched off during the second of silence, the pending start is dropped.
    ASSERT_TRUE(PumpUntil([&] { return form->MusicRestart().Enabled(); }, 5.0));
    form->B_SonClick(nullptr);
    EXPECT_FALSE(form->MusicRestart().Enabled());
    EXPECT_FALSE(PumpUntil([&] { return Playing(); }, 1.5));
}

// The button shows the state: the note while the music plays, the note crossed out while off.
TEST_F(BackgroundMusicTest, TheSoundButtonShowsWhetherTheMusicIsOn) {
    PlayWithMusic("boucle.wav", audio_files::Wav(kToneSeconds));
    const auto shows = [&](const TBitmap& expected) {
        const TBitmap& glyph = form->B_Son.Glyph();
        for (int y = 0; y < glyph.Height(); ++y)
            if (std::memcmp(glyph.ScanLine(y), expected.ScanLine(y), static_cast<std::size_t>(glyph.Width())) != 0)
                return false;
        return glyph.Width() == expected.Width();
    };
    EXPECT_TRUE(shows(SoundGlyph()));
    form->B_SonClick(nullptr);
    EXPECT_TRUE(shows(SoundOffGlyph()));
    EXPECT_FALSE(shows(SoundGlyph()));
    form->B_SonClick(nullptr);
    EXPECT_TRUE(shows(SoundGlyph()));
}

// The stored name is a file beside the program and nothing else: folders in it, of either
// kind, and absolute paths lead beside the program all the same.
TEST_F(BackgroundMusicTest, AStoredNameWithFoldersIsLookedForBesideTheProgram) {
    for (const char* stored : {"musique/boucle.wav", "..\\sons\\boucle.wav", "/tmp/ailleurs/boucle.wav"}) {
        audio_files::WriteFile(folder / "boucle.wav", audio_files::Wav(kToneSeconds));
        PlayWithMusic(stored, {});
        EXPECT_EQ(form->MusicPath(), (folder / "boucle.wav").string()) << stored;
        EXPECT_TRUE(form->B_Son.Visible()) << stored;
        EXPECT_TRUE(Playing()) << stored;
        Application->DestroyForm(*form);
        form = nullptr;
        std::filesystem::remove(folder / "boucle.wav");
    }
}

// A folder, or a pipe, that bears the music's name is no music: no button, nothing opened.
TEST_F(BackgroundMusicTest, SomethingThatIsNoFileIsNoMusic) {
    std::filesystem::create_directory(folder / "dossier.wav");
    ASSERT_EQ(::mkfifo((folder / "tube.wav").c_str(), 0600), 0);
    for (const char* name : {"dossier.wav", "tube.wav"}) {
        PlayWithMusic(name, {});
        EXPECT_FALSE(form->B_Son.Visible()) << name;
        EXPECT_EQ(form->B_Son.Tag(), 0) << name;
        EXPECT_EQ(form->PanelDiaporama.Width(), 125) << name;
        EXPECT_EQ(form->MediaPlayer1.Mode(), mpNotReady) << name;
        Application->DestroyForm(*form);
        form = nullptr;
    }
}

TEST_F(BackgroundMusicTest, AMissingFileHidesTheSoundButton) {
    PlayWithMusic("absente.wav", {});
    EXPECT_FALSE(form->B_Son.Visible());
    EXPECT_EQ(form->B_Son.Tag(), 0);
    EXPECT_EQ(form->B_Quit.Left(), 99);
    EXPECT_EQ(form->PanelDiaporama.Width(), 125);
    EXPECT_EQ(form->MediaPlayer1.Mode(), mpNotReady);
}

TEST_F(BackgroundMusicTest, AnUnplayableFileIsSilentAndTheButtonStillToggles) {
    PlayWithMusic("bruit.wav", std::vector<std::uint8_t>(500, 0x33));
    EXPECT_TRUE(form->B_Son.Visible());
    EXPECT_EQ(form->B_Son.Tag(), 1);
    EXPECT_EQ(form->PanelDiaporama.Width(), 148);
    EXPECT_FALSE(Playing());
    form->B_SonClick(nullptr);
    EXPECT_EQ(form->B_Son.Tag(), 0);
    form->B_SonClick(nullptr);
    EXPECT_EQ(form->B_Son.Tag(), 1);
    EXPECT_FALSE(Playing());
}

}  // namespace
}  // namespace pellumo
