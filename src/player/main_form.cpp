#include "player/main_form.h"

#include <filesystem>

#include "base/ansi_text.h"
#include "platform/application.h"

namespace pellumo {

TMainForm::TMainForm() : PanelDiaporama(this), LabelComment(this), ImageScreen(this) {
    PanelDiaporama.SetBounds(0, 0, 148, 24);
    PanelDiaporama.SetBevelOuter(bvNone);
    PanelDiaporama.SetColor(0xC0C0C0);
    PanelDiaporama.SetVisible(false);

    Timer.SetEnabled(false);
    Timer.SetInterval(1);
    Timer.OnTimer = [this](TObject* sender) { TimerTimer(sender); };

    LabelComment.SetHeight(29);
    LabelComment.SetAlign(alBottom);
    LabelComment.SetAlignment(taCenter);
    LabelComment.SetLayout(tlCenter);
    LabelComment.SetTransparent(true);
    LabelComment.SetColor(clBlack);
    LabelComment.Font().SetHeight(-13);
    LabelComment.Font().SetBold(true);
    LabelComment.Font().SetColor(clWhite);
    LabelComment.SetCursor(crNone);

    ImageScreen.SetAlign(alClient);
    ImageScreen.SetAutoSize(false);
    ImageScreen.SetBgMode(bmNone);
    ImageScreen.SetCenter(true);
    ImageScreen.SetStyle(56);

    SetCaption("Diaporama");
    SetBorderStyle(bsNone);
    SetWindowState(wsMaximized);
    SetColor(clBlack);
    SetKeyPreview(true);
    SetBounds(0, 0, 640, 495);
    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnShow = [this](TObject* sender) { FormShow(sender); };
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
    OnDestroy = [this](TObject* sender) { FormDestroy(sender); };
}

TMainForm::~TMainForm() = default;

void TMainForm::FormCreate(TObject*) {
    transitionStyle_ = 0;
    workBitmap_ = std::make_unique<TBitmap>();
    musicPath_.clear();
    ReadCatalogueOfProgram();
}

void TMainForm::ReadCatalogueOfProgram() {
    const std::string& exeName = Application->ExeName();
    catalogueStream_ = std::make_unique<TFileStream>(exeName, fmOpenRead | fmShareDenyNone);
    TCatalogue catalogue = ReadCatalogue(*catalogueStream_);
    if (!catalogue.MusicFileName.empty()) {
        const std::filesystem::path folder = std::filesystem::path(exeName).parent_path();
        musicPath_ = (folder / AnsiToUtf8(catalogue.MusicFileName)).string();
    }
    slides_ = std::move(catalogue.Slides);
    currentIndex_ = 0;
    lastIndex_ = static_cast<int>(slides_.size()) - 1;
    loopShow_ = catalogue.LoopShow;
    fineResize_ = catalogue.FineResize;
}

void TMainForm::FormShow(TObject*) {
    PanelDiaporama.SetVisible(false);
    SetCursor(crNone);
    ImageScreen.SetCursor(crNone);
    LabelComment.SetCursor(crNone);
    Timer.SetEnabled(true);
}

void TMainForm::FormClose(TObject*, TCloseAction&) {
    Timer.SetEnabled(false);
    ImageScreen.SetPicture(nullptr);
}

void TMainForm::FormDestroy(TObject*) {
    workBitmap_.reset();
    catalogueStream_.reset();
    slides_.clear();
}

}  // namespace pellumo
