#pragma once

// A show's window on screen for the tests: the show written to a program file of the test's
// own, the window opened at 640 x 480, and what it shows grabbed in physical pixels.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "base/ansi_text.h"
#include "dialog_hooks.h"
#include "platform/application.h"
#include "player/main_form.h"
#include "player/show_file.h"
#include "raster/jpeg_image.h"
#include "raster/palette.h"

namespace pellumo {

constexpr TColor kBack = 0x402010;  // RGB(16, 32, 64)
constexpr TColor kFrame = 0x00FF00;

// A JPEG of one flat colour (flat areas come back within a step or two of their value).
inline std::vector<std::uint8_t> FlatJpeg(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    TBitmap bitmap;
    const bool gray = r == g && g == b;
    bitmap.SetPixelFormat(gray ? pf8bit : pf24bit);
    bitmap.SetSize(width, height);
    if (gray) bitmap.SetPalette(GrayPalette());
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            if (gray) {
                row[x] = r;
            } else {
                row[3 * x] = b;
                row[3 * x + 1] = g;
                row[3 * x + 2] = r;
            }
        }
    }
    TJPEGImage jpeg;
    jpeg.SetCompressionQuality(95);
    jpeg.Assign(bitmap);
    return jpeg.Data();
}

inline bool Near(QRgb pixel, int r, int g, int b) {
    return std::abs(qRed(pixel) - r) <= 3 && std::abs(qGreen(pixel) - g) <= 3 && std::abs(qBlue(pixel) - b) <= 3;
}

inline bool Is(QRgb pixel, TColor color) { return Near(pixel, GetRValue(color), GetGValue(color), GetBValue(color)); }

class ShowWindowTest : public ::testing::Test {
protected:
    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   ("pellumo-show-window-" + std::to_string(::getpid()));
    TMainForm* form = nullptr;

    void SetUp() override { std::filesystem::create_directories(folder); }
    void TearDown() override {
        if (form != nullptr) Application->DestroyForm(*form);
        std::filesystem::remove_all(folder);
    }

    // Writes the show, opens its window at 640 x 480 and lets the first slide come.
    void Play(const TCatalogue& header, const std::vector<show_files::TestSlide>& slides) {
        const std::string path = (folder / "show").string();
        show_files::WriteShowFile(path, header, slides);
        Application->SetExeName(path);
        form = &Application->CreateForm<TMainForm>();
        form->SetWindowState(wsNormal);
        form->SetBounds(0, 0, 640, 480);
        form->Show();
        WaitForTransition();
    }

    void WaitForTransition() {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        do {
            Application->ProcessMessages();
        } while ((form->ImageScreen.Busy() || form->CurrentIndex() == 0) && std::chrono::steady_clock::now() < limit);
        Application->ProcessMessages();
        ASSERT_FALSE(form->ImageScreen.Busy());
    }

    // The next tick; the slides rest (duration 0), so the timer never brings one itself.
    void Next() {
        form->TimerTimer(&form->Timer);
        WaitForTransition();
    }

    // The window as it shows on screen, in physical pixels.
    QImage Screen() const { return form->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    int Physical(int logical) const { return form->ToPhysicalPixels(logical); }
};

// A show whose questions the test answers: each one is kept in `asked` and given `answer`.
class AnsweringShowWindowTest : public ShowWindowTest {
protected:
    std::vector<TDialogRequest> asked;
    TModalResult answer = mrCancel;

    void SetUp() override {
        ShowWindowTest::SetUp();
        SetDialogHook([this](const TDialogRequest& request) {
            asked.push_back(request);
            return answer;
        });
    }
    void TearDown() override {
        FailOnUnexpectedDialogs();
        ShowWindowTest::TearDown();
    }
};

// A slide that rests (the test steps itself), in the window's colour, framed in kFrame if asked.
inline show_files::TestSlide Slide(std::vector<std::uint8_t> jpeg, const char* caption, bool framed = false) {
    show_files::TestSlide slide;
    slide.Entry.Caption.Assign(Utf8ToAnsi(caption));
    slide.Entry.BackColor = kBack;
    slide.Entry.CaptionColor = clWhite;
    slide.Entry.Framed = framed;
    slide.Entry.FrameColor = kFrame;
    slide.Entry.Duration = 0;
    slide.Entry.TransitionStyle = 56;
    slide.Jpeg = std::move(jpeg);
    return slide;
}

}  // namespace pellumo
