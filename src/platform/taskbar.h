#pragma once

class QWidget;

namespace pellumo {

// Asks the window manager to leave the window out of the taskbar. Only X11 has a standard way
// to ask (the window's skip-taskbar state); elsewhere the window keeps its button. Call it
// while the window is not shown: the state is read when the window is mapped.
void KeepOffTaskbar(QWidget& window);

}  // namespace pellumo
