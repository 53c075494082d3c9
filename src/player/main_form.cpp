#include "player/main_form.h"

#include <exception>

#include "platform/application.h"
#include "player/button_glyphs.h"
#include "player/caption_line.h"
#include "player/show_file.h"

namespace pellumo {

TMainForm::TMainForm()
    : PanelDiaporama(this),
      LabelComment(this),
      B_Lec(&PanelDiaporama),
      B_Pause(&PanelDiaporama),
      B_Prec(&PanelDiaporama),
      B_Suiv(&PanelDiaporama),
      B_Son(&PanelDiaporama),
      B_Quit(&PanelDiaporama),
      ImageScreen(this) {
    PlaceComponents();
    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnShow = [this](TObject* sender) { FormShow(sender); };
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
    OnDestroy = [this](TObject* sender) { FormDestroy(sender); };
    OnKeyDown = [this](TObject* sender, std::uint16_t& key, TShiftState shift) { FormKeyDown(sender, key, shift); };
    OnClick = [this](TObject* sender) { ImageScreenClick(sender); };
}

void TMainForm::PlaceComponents() {
    PanelDiaporama.SetBounds(0, 0, 148, 24);
    PanelDiaporama.SetBevelOuter(bvNone);
    PanelDiaporama.SetColor(0xC0C0C0);
    PanelDiaporama.SetVisible(false);

    Timer.SetEnabled(false);
    Timer.SetInterval(1);
    Timer.OnTimer = [this](TObject* sender) { TimerTimer(sender); };

    LabelComment.SetHeight(kCaptionLineHeight);
    LabelComment.SetAlign(alBottom);
    LabelComment.SetAlignment(taCenter);
    LabelComment.SetLayout(tlCenter);
    LabelComment.SetTransparent(true);
    LabelComment.SetColor(clBlack);
    LabelComment.Font().SetHeight(-kCaptionTextHeight);
    LabelComment.Font().SetBold(true);
    LabelComment.Font().SetColor(clWhite);
    LabelComment.SetCursor(crNone);
    LabelComment.OnClick = [this](TObject* sender) { ImageScreenClick(sender); };

    Copier_Image.SetCaption("Copier l'image");
    Copier_Image.SetShortCut(ShortCut('C', ssCtrl));
    Copier_Image.OnClick = [this](TObject* sender) { Copier_ImageClick(sender); };
    Aproposde.SetCaption("A propos de...");
    Aproposde.OnClick = [this](TObject* sender) { AproposdeClick(sender); };
    N1.SetCaption("-");
    Quitter1.SetCaption("Quitter le diaporama");
    Quitter1.OnClick = [this](TObject* sender) { B_QuitClick(sender); };
    for (TMenuItem* item : {&Copier_Image, &Aproposde, &N1, &Quitter1}) PopupMenu1.Add(*item);

    SaveDialog.SetDefaultExt("jpg");
    SaveDialog.SetFilter("Images JPEG|*.jpg");
    MediaPlayer1.OnNotify = [this](TObject* sender) { MediaPlayer1Notify(sender); };

    struct TButtonSetup {
        TSpeedButton& button;
        int left;
        TBitmap glyph;
        void (TMainForm::*click)(TObject*);
    };
    TButtonSetup buttons[] = {{B_Lec, 3, PlayGlyph(), &TMainForm::B_LecClick},
                              {B_Pause, 27, PauseGlyph(), &TMainForm::B_PauseClick},
                              {B_Prec, 51, PreviousGlyph(), &TMainForm::B_PrecClick},
                              {B_Suiv, 75, NextGlyph(), &TMainForm::B_SuivClick},
                              {B_Son, 99, SoundGlyph(), &TMainForm::B_SonClick},
                              {B_Quit, 123, QuitGlyph(), &TMainForm::B_QuitClick}};
    for (TButtonSetup& setup : buttons) {
        setup.button.SetBounds(setup.left, 1, 23, 22);
        setup.button.SetFlat(true);
        setup.button.SetCursor(crHandPoint);
        setup.button.SetGlyph(setup.glyph);
        setup.button.OnClick = [this, click = setup.click](TObject* sender) { (this->*click)(sender); };
    }
    B_Son.SetVisible(false);

    ImageScreen.SetAlign(alClient);
    ImageScreen.SetAutoSize(false);
    ImageScreen.SetBgMode(bmNone);
    ImageScreen.SetCenter(true);
    ImageScreen.SetStyle(56);
    ImageScreen.SetPopupMenu(&PopupMenu1);
    ImageScreen.OnClick = [this](TObject* sender) { ImageScreenClick(sender); };
    if ((frameLog_ = TFrameLog::FromEnvironment())) {
        // Holds the log itself: the control, and with it this handler, outlives the window's members.
        ImageScreen.OnProgress = [log = frameLog_, view = &ImageScreen](TObject*) {
            log->Write(view->Style(), view->Progress(), view->LastFrameTimes());
        };
    }
    PanelDiaporama.BringToFront();  // the panel floats over the picture

    SetCaption("Diaporama");
    SetBorderStyle(bsNone);
    SetWindowState(wsMaximized);
    SetColor(clBlack);
    SetKeyPreview(true);
    SetBounds(0, 0, 640, 495);

    // Not a component of the window's design: the one-second wait before the music starts again.
    musicRestart_.SetEnabled(false);
    musicRestart_.SetInterval(1000);
    musicRestart_.OnTimer = [this](TObject*) { StartMusic(); };
}

TMainForm::~TMainForm() = default;

void TMainForm::FormCreate(TObject*) {
    transitionStyle_ = 0;
    workBitmap_ = std::make_unique<TBitmap>();
    musicPath_.clear();
    ReadCatalogueOfProgram();
}

void TMainForm::ReadCatalogueOfProgram() {
    const std::string showFile = ShowFileOf(Application->ExeName());
    // Kept only once the show is read: a program without one leaves HasShow false.
    auto stream = std::make_unique<TFileStream>(showFile, fmOpenRead | fmShareDenyNone);
    TCatalogue catalogue = ReadCatalogue(*stream);
    catalogueStream_ = std::move(stream);
    musicPath_ = PlayedMusic(showFile, catalogue.MusicFileName);
    slides_ = std::move(catalogue.Slides);
    currentIndex_ = 0;
    lastIndex_ = static_cast<int>(slides_.size()) - 1;
    loopShow_ = catalogue.LoopShow;
    fineResize_ = catalogue.FineResize;
    copyAllowed_ = catalogue.CopyAllowed;
    Copier_Image.SetVisible(copyAllowed_);
}

void TMainForm::FormShow(TObject*) {
    Application->HideTaskbarButton();
    PanelDiaporama.SetVisible(false);
    SetCursor(crNone);
    ImageScreen.SetCursor(crNone);
    LabelComment.SetCursor(crNone);
    Timer.SetEnabled(true);
    SetUpMusic();
}

void TMainForm::FormClose(TObject*, TCloseAction&) {
    Timer.SetEnabled(false);
    ImageScreen.SetPicture(nullptr);
    try {
        if (MediaPlayer1.Mode() == mpOpen) MediaPlayer1.Close();
    } catch (const std::exception&) {
        // Closing goes on whatever the music device says.
    }
}

void TMainForm::FormDestroy(TObject*) {
    workBitmap_.reset();
    catalogueStream_.reset();
    slides_.clear();
}

}  // namespace pellumo
