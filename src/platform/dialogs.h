#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/object.h"

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

// What a save dialog shows, as its hook sees it.
struct TSaveDialogRequest {
    std::string Filter;      // "Description|*.ext|..."
    std::string DefaultExt;  // without the dot
    std::string FileName;    // proposed
};

// Replaces the save dialog's window, as SetDialogHook does for message boxes: the hook returns
// the name the user typed, or nothing for a cancelled dialog. An empty hook restores the window.
using TSaveDialogHook = std::function<std::optional<std::string>(const TSaveDialogRequest&)>;
void SetSaveDialogHook(TSaveDialogHook hook);

// The platform's dialog for choosing a file to write. It does not ask about replacing an
// existing file: the caller does, if it wants to.
class TSaveDialog : public TObject {
public:
    const std::string& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(std::string extension) { defaultExt_ = std::move(extension); }
    const std::string& Filter() const { return filter_; }
    void SetFilter(std::string filter) { filter_ = std::move(filter); }
    // The chosen file after Execute, with DefaultExt appended to a name typed without one.
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }

    // False when the user cancelled.
    bool Execute();

private:
    std::string defaultExt_;
    std::string filter_;
    std::string fileName_;
};

}  // namespace pellumo
