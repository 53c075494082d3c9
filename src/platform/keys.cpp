#include "platform/keys.h"

#include <Qt>

namespace pellumo {
namespace {

// The keys of the number pad that keep a code of their own while Num Lock is on.
std::uint16_t KeypadKey(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return static_cast<std::uint16_t>(VK_NUMPAD0 + (qtKey - Qt::Key_0));
    switch (qtKey) {
        case Qt::Key_Asterisk: return VK_MULTIPLY;
        case Qt::Key_Plus: return VK_ADD;
        case Qt::Key_Minus: return VK_SUBTRACT;
        case Qt::Key_Period:
        case Qt::Key_Comma: return VK_DECIMAL;
        case Qt::Key_Slash: return VK_DIVIDE;
        default: return 0;
    }
}

// Punctuation takes the code of the key that carries it on a US keyboard; on other layouts the
// code differs from Windows' own, which no handler here can tell apart.
std::uint16_t PunctuationKey(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Semicolon:
        case Qt::Key_Colon: return VK_OEM_1;
        case Qt::Key_Equal:
        case Qt::Key_Plus: return VK_OEM_PLUS;
        case Qt::Key_Comma:
        case Qt::Key_Less: return VK_OEM_COMMA;
        case Qt::Key_Minus:
        case Qt::Key_Underscore: return VK_OEM_MINUS;
        case Qt::Key_Period:
        case Qt::Key_Greater: return VK_OEM_PERIOD;
        case Qt::Key_Slash:
        case Qt::Key_Question: return VK_OEM_2;
        case Qt::Key_QuoteLeft:
        case Qt::Key_AsciiTilde: return VK_OEM_3;
        case Qt::Key_BracketLeft:
        case Qt::Key_BraceLeft: return VK_OEM_4;
        case Qt::Key_Backslash:
        case Qt::Key_Bar: return VK_OEM_5;
        case Qt::Key_BracketRight:
        case Qt::Key_BraceRight: return VK_OEM_6;
        case Qt::Key_Apostrophe:
        case Qt::Key_QuoteDbl: return VK_OEM_7;
        default: return 0;
    }
}

std::uint16_t NamedKey(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Backspace: return VK_BACK;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return VK_TAB;
        case Qt::Key_Clear: return VK_CLEAR;
        case Qt::Key_Return:
        case Qt::Key_Enter: return VK_RETURN;
        case Qt::Key_Shift: return VK_SHIFT;
        case Qt::Key_Control: return VK_CONTROL;
        case Qt::Key_Alt:
        case Qt::Key_AltGr: return VK_MENU;
        case Qt::Key_Pause: return VK_PAUSE;
        case Qt::Key_CapsLock: return VK_CAPITAL;
        case Qt::Key_Escape: return VK_ESCAPE;
        case Qt::Key_Space: return VK_SPACE;
        case Qt::Key_PageUp: return VK_PRIOR;
        case Qt::Key_PageDown: return VK_NEXT;
        case Qt::Key_End: return VK_END;
        case Qt::Key_Home: return VK_HOME;
        case Qt::Key_Left: return VK_LEFT;
        case Qt::Key_Up: return VK_UP;
        case Qt::Key_Right: return VK_RIGHT;
        case Qt::Key_Down: return VK_DOWN;
        case Qt::Key_Select: return VK_SELECT;
        case Qt::Key_Printer: return VK_PRINT;
        case Qt::Key_Execute: return VK_EXECUTE;
        case Qt::Key_Print: return VK_SNAPSHOT;
        case Qt::Key_Insert: return VK_INSERT;
        case Qt::Key_Delete: return VK_DELETE;
        case Qt::Key_Help: return VK_HELP;
        case Qt::Key_Meta:
        case Qt::Key_Super_L: return VK_LWIN;
        case Qt::Key_Super_R: return VK_RWIN;
        case Qt::Key_Menu: return VK_APPS;
        case Qt::Key_Sleep: return VK_SLEEP;
        case Qt::Key_NumLock: return VK_NUMLOCK;
        case Qt::Key_ScrollLock: return VK_SCROLL;
        case Qt::Key_Back: return VK_BROWSER_BACK;
        case Qt::Key_Forward: return VK_BROWSER_FORWARD;
        case Qt::Key_Refresh: return VK_BROWSER_REFRESH;
        case Qt::Key_Stop: return VK_BROWSER_STOP;
        case Qt::Key_Search: return VK_BROWSER_SEARCH;
        case Qt::Key_Favorites: return VK_BROWSER_FAVORITES;
        case Qt::Key_HomePage: return VK_BROWSER_HOME;
        case Qt::Key_VolumeMute: return VK_VOLUME_MUTE;
        case Qt::Key_VolumeDown: return VK_VOLUME_DOWN;
        case Qt::Key_VolumeUp: return VK_VOLUME_UP;
        case Qt::Key_MediaNext: return VK_MEDIA_NEXT_TRACK;
        case Qt::Key_MediaPrevious: return VK_MEDIA_PREV_TRACK;
        case Qt::Key_MediaStop: return VK_MEDIA_STOP;
        case Qt::Key_MediaPlay:
        case Qt::Key_MediaPause:
        case Qt::Key_MediaTogglePlayPause: return VK_MEDIA_PLAY_PAUSE;
        case Qt::Key_LaunchMail: return VK_LAUNCH_MAIL;
        case Qt::Key_LaunchMedia: return VK_LAUNCH_MEDIA_SELECT;
        case Qt::Key_Launch0: return VK_LAUNCH_APP1;
        case Qt::Key_Launch1: return VK_LAUNCH_APP2;
        default: return 0;
    }
}

}  // namespace

std::uint16_t VirtualKeyFromQtKey(int qtKey, int modifiers) {
    if (modifiers & Qt::KeypadModifier)
        if (const std::uint16_t key = KeypadKey(qtKey)) return key;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return static_cast<std::uint16_t>('A' + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return static_cast<std::uint16_t>('0' + (qtKey - Qt::Key_0));
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return static_cast<std::uint16_t>(VK_F1 + (qtKey - Qt::Key_F1));
    if (const std::uint16_t key = NamedKey(qtKey)) return key;
    if (const std::uint16_t key = PunctuationKey(qtKey)) return key;
    return VK_OTHER;
}

TShiftState ShiftStateFromQtModifiers(int modifiers) {
    TShiftState state = 0;
    if (modifiers & Qt::ShiftModifier) state |= ssShift;
    if (modifiers & Qt::AltModifier) state |= ssAlt;
    if (modifiers & Qt::ControlModifier) state |= ssCtrl;
    return state;
}

}  // namespace pellumo
