#include "platform/menus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

#include "platform/application.h"

namespace pellumo {
namespace {

// The shortcut as Qt writes it beside the caption ("Ctrl+C").
QKeySequence KeySequenceOf(TShortCut shortCut) {
    if (shortCut == 0) return {};
    std::string text;
    if (shortCut & scCtrl) text += "Ctrl+";
    if (shortCut & scShift) text += "Shift+";
    if (shortCut & scAlt) text += "Alt+";
    const char key = static_cast<char>(shortCut & 0xFF);
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) text += key;
    return QKeySequence(QString::fromStdString(text));
}

}  // namespace

void TMenuItem::Click() {
    RunHandler([&] {
        if (OnClick) OnClick(this);
    });
}

void TPopupMenu::Popup(int screenX, int screenY) {
    QMenu menu;
    std::vector<std::pair<QAction*, TMenuItem*>> actions;
    for (TMenuItem* item : items_) {
        if (!item->Visible()) continue;
        if (item->IsSeparator()) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QString::fromStdString(item->Caption()));
        // Shown beside the caption only: the form dispatches the keys itself.
        action->setShortcut(KeySequenceOf(item->ShortCut()));
        action->setShortcutVisibleInContextMenu(true);
        actions.emplace_back(action, item);
    }
    const QAction* chosen = menu.exec(QPoint(screenX, screenY));
    for (const auto& [action, item] : actions)
        if (action == chosen) item->Click();
}

bool TPopupMenu::IsShortCut(TShortCut shortCut) {
    if (shortCut == 0) return false;
    for (TMenuItem* item : items_) {
        if (item->Visible() && !item->IsSeparator() && item->ShortCut() == shortCut) {
            item->Click();
            return true;
        }
    }
    return false;
}

}  // namespace pellumo
