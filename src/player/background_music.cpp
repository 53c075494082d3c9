// The show's music: started with the window, looped with a second of silence between the
// rounds, switched off and on by the sound button. It never stops the show: every failure of
// the music device is swallowed.
#include <exception>
#include <filesystem>

#include "player/button_glyphs.h"
#include "player/main_form.h"

namespace pellumo {

void TMainForm::SetUpMusic() {
    // A folder, a device or a pipe of that name is no music, as a missing file is.
    std::error_code error;
    if (musicPath_.empty() || !std::filesystem::is_regular_file(musicPath_, error)) {
        B_Son.SetTag(0);
        B_Quit.SetLeft(99);
        PanelDiaporama.SetWidth(125);
        return;
    }
    B_Son.SetTag(1);
    ShowSoundState();
    B_Son.SetVisible(true);
    B_Quit.SetLeft(123);
    PanelDiaporama.SetWidth(148);
    try {
        MediaPlayer1.SetFileName(musicPath_);
        MediaPlayer1.Open();
        MediaPlayer1.SetNotify(true);
        MediaPlayer1.Play();
    } catch (const std::exception&) {
        // The show runs without music.
    }
}

void TMainForm::MediaPlayer1Notify(TObject*) {
    // The second of silence is waited on a timer: the window keeps painting and answering.
    musicRestart_.SetEnabled(false);
    musicRestart_.SetEnabled(true);
}

void TMainForm::StartMusic() {
    musicRestart_.SetEnabled(false);
    try {
        MediaPlayer1.Play();
        MediaPlayer1.SetNotify(true);
    } catch (const std::exception&) {
        // A device that stopped working stays silent; the show goes on.
    }
}

void TMainForm::B_SonClick(TObject*) {
    if (B_Son.Tag() == 1) {
        B_Son.SetTag(0);
        ShowSoundState();
        musicRestart_.SetEnabled(false);  // a restart still pending would undo the switch
        try {
            MediaPlayer1.SetNotify(false);
            MediaPlayer1.OnNotify = nullptr;
            MediaPlayer1.Close();
        } catch (const std::exception&) {
        }
        return;
    }
    MediaPlayer1.OnNotify = [this](TObject* sender) { MediaPlayer1Notify(sender); };
    try {
        MediaPlayer1.SetFileName(musicPath_);
        MediaPlayer1.Open();
        MediaPlayer1.SetNotify(true);
        MediaPlayer1.Play();
    } catch (const std::exception&) {
    }
    B_Son.SetTag(1);
    ShowSoundState();
}

// The note alone while the music is on, crossed out while it is off: the button says which.
void TMainForm::ShowSoundState() { B_Son.SetGlyph(B_Son.Tag() == 1 ? SoundGlyph() : SoundOffGlyph()); }

}  // namespace pellumo
