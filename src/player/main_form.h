#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/color.h"
#include "base/file_stream.h"
#include "platform/dialogs.h"
#include "platform/form.h"
#include "platform/label.h"
#include "platform/media_player.h"
#include "platform/menus.h"
#include "platform/panel.h"
#include "platform/speed_button.h"
#include "platform/timer.h"
#include "player/catalogue.h"
#include "player/frame_log.h"
#include "player/slide_steps.h"
#include "raster/bitmap.h"
#include "transition/transition_view.h"

namespace pellumo {

// The player's window: it reads the show carried by its own program file and shows one
// slide per timer tick; previous, next, play and pause step through the slides. Keys, clicks,
// the control panel and the popup menu steer it; the show's music loops beside it.
class TMainForm : public TForm {
public:
    TMainForm();
    ~TMainForm() override;

    // Components, in their order of declaration.
    TPanel PanelDiaporama;
    TTimer Timer;
    TLabel LabelComment;
    TPopupMenu PopupMenu1;
    TMenuItem Copier_Image;
    TSaveDialog SaveDialog;
    TMediaPlayer MediaPlayer1;
    TMenuItem Aproposde;
    TSpeedButton B_Lec;
    TSpeedButton B_Pause;
    TSpeedButton B_Prec;
    TSpeedButton B_Suiv;
    TSpeedButton B_Son;
    TSpeedButton B_Quit;
    TMenuItem Quitter1;
    TMenuItem N1;
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
    void B_SonClick(TObject* sender);
    void B_QuitClick(TObject* sender);
    void MediaPlayer1Notify(TObject* sender);
    void FormKeyDown(TObject* sender, std::uint16_t& key, TShiftState shift);
    void ImageScreenClick(TObject* sender);
    void Copier_ImageClick(TObject* sender);
    void AproposdeClick(TObject* sender);

    // Whether creating the window found a show in the program file. Without one, FormCreate
    // has raised the failure (the application's error box says it) and there is nothing to play.
    bool HasShow() const { return catalogueStream_ != nullptr; }
    // Read-only views of the show's state.
    int CurrentIndex() const { return currentIndex_; }
    int LastIndex() const { return lastIndex_; }
    bool LoopShow() const { return loopShow_; }
    bool FineResize() const { return fineResize_; }
    bool CopyAllowed() const { return copyAllowed_; }
    // The wait between the end of the music and its new start.
    const TTimer& MusicRestart() const { return musicRestart_; }
    const std::string& MusicPath() const { return musicPath_; }
    const std::vector<TSlideEntry>& Slides() const { return slides_; }
    const TBitmap* WorkBitmap() const { return workBitmap_.get(); }

private:
    void PlaceComponents();
    void ReadCatalogueOfProgram();
    void SetUpMusic();
    void StartMusic();
    void TogglePanel();
    void ApplySlide(const TSlideEntry& entry);
    // Decodes the entry's JPEG bytes at the catalogue stream's position into the work bitmap.
    void LoadSlidePicture(const TSlideEntry& entry);
    void ShowSlide();
    TShowPosition Position() const;
    void TakeStep(const TSlideStep& step);
    void ShowSoundState();

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
    bool copyAllowed_ = false;
    std::unique_ptr<TBitmap> workBitmap_;
    TTimer musicRestart_;
    std::shared_ptr<TFrameLog> frameLog_;  // only when the environment asks for one
};

}  // namespace pellumo
