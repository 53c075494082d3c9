#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace pellumo {

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// A set of buttons.
using TMsgDlgButtons = std::uint8_t;
enum TMsgDlgBtn : TMsgDlgButtons { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8 };

// What the user answered: the button pressed, or mrCancel when the box was closed otherwise.
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

// One question put to the user, as the hook sees it.
struct TDialogRequest {
    std::string Title;
    std::string Text;
    TMsgDlgType Type = mtInformation;
    TMsgDlgButtons Buttons = mbOK;
};

// Replaces the dialog windows: while a hook is set every message box asks it instead of the
// user (tests answer this way). An empty hook restores the windows.
using TDialogHook = std::function<TModalResult(const TDialogRequest&)>;
void SetDialogHook(TDialogHook hook);

// The platform's message dialog: titled after its kind ("Confirmation", "Information", ...),
// buttons "&Oui", "&Non", "OK", "Annuler". Returns the answer.
TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext);

// A message box with a title of the caller's (the application's error box).
TModalResult ShowMessageBox(const std::string& title, const std::string& text, TMsgDlgType type);

}  // namespace pellumo
