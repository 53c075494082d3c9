#pragma once

#include <cstdint>

namespace pellumo {

// Windows virtual-key codes, which key handlers compare with.
constexpr std::uint16_t VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
                        VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
                        VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26,
                        VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_F1 = 0x70,
                        VK_NUMLOCK = 0x90, VK_SCROLL = 0x91;

// Shift state of a key event (a set).
enum TShiftStateFlag : std::uint8_t { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
using TShiftState = std::uint8_t;

// The virtual-key code of a Qt key (Qt::Key); 0 for keys that have none.
std::uint16_t VirtualKeyFromQtKey(int qtKey);

// The shift state of Qt keyboard modifiers (Qt::KeyboardModifiers as an int).
TShiftState ShiftStateFromQtModifiers(int modifiers);

}  // namespace pellumo
