// A long, busy session with the real message loop: hundreds of slides coming every
// millisecond, transitions cut short, random keys, music switched on and off, copies saved.
// Under the thread sanitizer it proves the player and the transition control free of races
// and deadlocks; under the address sanitizer, of leaks.
#include <random>

#include "audio_files.h"
#include "platform/dialogs.h"
#include "player/show_window.h"

namespace pellumo {
namespace {

constexpr int kSlides = 300;
constexpr int kActions = 800;

TEST_F(ShowWindowTest, ALongScriptedSessionEndsCleanly) {
    audio_files::WriteFile(folder / "music.wav", audio_files::Wav(0.2));
    TCatalogue header;
    header.LoopShow = true;
    header.CopyAllowed = true;
    header.MusicFileName = "music.wav";
    std::vector<show_files::TestSlide> slides;
    for (int k = 0; k < kSlides; ++k) {
        const auto shade = static_cast<std::uint8_t>(k * 37);
        show_files::TestSlide slide = Slide(FlatJpeg(48 + k % 5 * 16, 40 + k % 3 * 24, shade, 255 - shade, 90),
                                            std::to_string(k).c_str(), k % 2 == 0);
        slide.Entry.TransitionStyle = k % 128;
        slides.push_back(std::move(slide));
    }
    SetDialogHook([](const TDialogRequest&) { return mrCancel; });  // Escape asks; the session goes on
    int saves = 0;
    SetSaveDialogHook([&](const TSaveDialogRequest&) -> std::optional<std::string> {
        return (folder / ("copy" + std::to_string(saves++ % 3) + ".jpg")).string();
    });
    Play(header, slides);
    form->ImageScreen.SetDelay(1);

    std::mt19937 random(1208);
    const std::uint16_t keys[] = {VK_RIGHT, VK_LEFT, VK_UP, VK_DOWN, VK_PRIOR, VK_NEXT, VK_SPACE, VK_ESCAPE, 'A'};
    int actions = 0;
    TTimer script;
    script.SetInterval(1);
    script.OnTimer = [&](TObject*) {
        switch (random() % 8) {
            case 0: form->B_SonClick(nullptr); break;
            case 1: form->Copier_Image.Click(); break;
            case 2: {
                std::uint16_t key = keys[random() % std::size(keys)];
                form->FormKeyDown(form, key, 0);
                break;
            }
            case 3: form->B_LecClick(nullptr); break;
            default: form->TimerTimer(&form->Timer); break;  // the next slide, as if 1 ms had passed
        }
        if (++actions == kActions) form->Close();
    };
    Application->Run();  // until the script closes the form
    script.SetEnabled(false);
    SetSaveDialogHook(nullptr);
    EXPECT_EQ(actions, kActions);
    EXPECT_FALSE(form->Showing());
    // A transition still running when the window closed comes to its end: nothing waits forever.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (form->ImageScreen.Busy() && std::chrono::steady_clock::now() < limit) Application->ProcessMessages();
    EXPECT_FALSE(form->ImageScreen.Busy());
    EXPECT_GT(saves, 0);
}

}  // namespace
}  // namespace pellumo
