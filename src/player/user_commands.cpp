// What the user's keys, clicks and menu items do.
#include <filesystem>

#include "base/memory_stream.h"
#include "base/replace_file.h"
#include "player/main_form.h"

namespace pellumo {

void TMainForm::FormKeyDown(TObject*, std::uint16_t& key, TShiftState) {
    // The modifiers are not looked at: Shift+Right goes forward as Right does.
    switch (key) {
        case VK_ESCAPE:
            if (MessageDlg("Quitter le diaporama ?", mtConfirmation, mbYes | mbCancel, 0) == mrYes) B_QuitClick(this);
            break;
        case VK_PRIOR:
        case VK_UP:
        case VK_RIGHT: B_SuivClick(this); break;
        case VK_NEXT:
        case VK_LEFT:
        case VK_DOWN: B_PrecClick(this); break;
        default: TogglePanel(); break;
    }
}

void TMainForm::ImageScreenClick(TObject*) { TogglePanel(); }

void TMainForm::TogglePanel() {
    PanelDiaporama.SetVisible(!PanelDiaporama.Visible());
    const TCursor cursor = PanelDiaporama.Visible() ? crDefault : crNone;
    SetCursor(cursor);
    ImageScreen.SetCursor(cursor);
    LabelComment.SetCursor(cursor);
}

void TMainForm::B_QuitClick(TObject*) { Close(); }

void TMainForm::AproposdeClick(TObject*) {
    MessageDlg("Programme \"Diaporama\" de Quillard", mtInformation, mbOK, 0);
}

void TMainForm::Copier_ImageClick(TObject*) {
    if (Timer.Enabled()) Timer.SetEnabled(false);
    if (!SaveDialog.Execute()) return;
    const std::string fileName = SaveDialog.FileName();
    std::error_code error;
    if (std::filesystem::exists(fileName, error)) {
        const std::string name = std::filesystem::path(fileName).filename().string();
        const std::string question = "le fichier < " + name + " > existe déjà,\r\récrasez le fichier existant ?";
        if (MessageDlg(question, mtConfirmation, mbYes | mbCancel, 0) != mrYes) return;
    }
    const TGraphic* graphic = ImageScreen.Picture().Graphic();
    if (graphic == nullptr) return;
    // The picture writes itself in its own format (a bitmap, whatever the name says), through
    // a temporary file, so that a failed write never costs the file it was to replace.
    TMemoryStream bytes;
    graphic->SaveToStream(bytes);
    WriteFileReplacing(fileName, bytes.Bytes());
}

}  // namespace pellumo
