#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/control.h"
#include "platform/keys.h"

namespace pellumo {

class FormEventFilter;

enum TBorderStyle { bsNone, bsSizeable };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
// The handler may set the key to 0 to say it was dealt with.
using TKeyEvent = std::function<void(TObject* sender, std::uint16_t& key, TShiftState shift)>;

// A top-level window. Borderless and maximized, it covers the primary screen. With
// KeyPreview it sees every key pressed in it before its controls do.
class TForm : public TWinControl {
public:
    TForm();
    ~TForm() override;

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style) { borderStyle_ = style; }
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState state) { windowState_ = state; }
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool keyPreview) { keyPreview_ = keyPreview; }

    // Fires OnShow, then shows the window.
    void Show();
    // Fires OnClose; unless the handler answers caNone the window hides, and closing the
    // main form ends the application's message loop. Closing by the window manager comes here.
    void Close();
    bool Showing() const;

    // A key as the keyboard delivers it to the form: first to the shortcuts of the popup
    // menus of its controls, then, when none took it, to OnKeyDown.
    void KeyDown(std::uint16_t& key, TShiftState shift);

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TCloseEvent OnClose;
    TNotifyEvent OnDestroy;
    TKeyEvent OnKeyDown;

private:
    friend class TApplication;
    void DoCreate();
    void DoDestroy();

    std::unique_ptr<FormEventFilter> filter_;
    std::string caption_;
    TBorderStyle borderStyle_ = bsSizeable;
    TWindowState windowState_ = wsNormal;
    bool keyPreview_ = false;
    bool closing_ = false;
};

}  // namespace pellumo
