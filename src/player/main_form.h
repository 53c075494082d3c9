#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/color.h"
#include "base/file_stream.h"
#include "platform/form.h"
#include "platform/label.h"
#include "platform/panel.h"
#include "platform/timer.h"
#include "player/catalogue.h"
#include "raster/bitmap.h"
#include "transition/transition_view.h"

namespace pellumo {

// The player's window: it reads the show carried by its own program file and shows one
// slide per timer tick; previous, next, play and pause step through the slides.
class TMainForm : public TForm {
public:
    TMainForm();
    ~TMainForm() override;

    // Components, in their order of declaration.
    TPanel PanelDiaporama;
    TTimer Timer;
    TLabel LabelComment;
    TTransitionView ImageScreen;

    // Handlers.
    void FormCreate(TObject* sender);
    void FormShow(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void FormDestroy(TObject* sender);
    void TimerTimer(TObject* sender);
    void B_PrecClick(TObject* sender);
    void B_SuivClick(TObject* sender);
    void B_LecClick(TObject* sender);
    void B_PauseClick(TObject* sender);

    // Read-only views of the show's state.
    int CurrentIndex() const { return currentIndex_; }
    int LastIndex() const { return lastIndex_; }
    bool LoopShow() const { return loopShow_; }
    bool FineResize() const { return fineResize_; }
    const std::string& MusicPath() const { return musicPath_; }
    const std::vector<TSlideEntry>& Slides() const { return slides_; }
    const TBitmap* WorkBitmap() const { return workBitmap_.get(); }

private:
    void ReadCatalogueOfProgram();
    void ApplySlide(const TSlideEntry& entry);
    void LoadSlidePicture();
    void ShowSlide();
    // Previous and next: pause, step, show the slide reached.
    void StepTo(int index);

    std::unique_ptr<TFileStream> catalogueStream_;
    std::vector<TSlideEntry> slides_;
    int currentIndex_ = 0;
    int lastIndex_ = -1;
    bool framed_ = false;
    TColor frameColor_ = clBlack;
    std::int32_t transitionStyle_ = 0;
    bool loopShow_ = false;
    std::string musicPath_;  // UTF-8
    bool fineResize_ = false;
    std::unique_ptr<TBitmap> workBitmap_;
};

}  // namespace pellumo
