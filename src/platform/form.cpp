#include "platform/form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QWidget>

#include "platform/application.h"
#include "platform/menus.h"

namespace pellumo {

// Routes what Qt delivers to the form's window: the window manager's close request, and the
// keys pressed anywhere in the window.
class FormEventFilter : public QObject {
public:
    explicit FormEventFilter(TForm& form) : form_(form) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        QWidget* window = form_.Widget();
        if (event->type() == QEvent::Close && watched == window) {
            event->ignore();
            RunHandler([&] { form_.Close(); });
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget == nullptr || widget->window() != window) return false;
            // A key a child ignores travels on to its parents, passing this filter again: only
            // its first receiver, the widget with the focus, counts.
            const QWidget* focus = window->focusWidget() != nullptr ? window->focusWidget() : window;
            if (widget != focus) return false;
            if (!form_.KeyPreview() && widget != window) return false;
            const auto* keyEvent = static_cast<QKeyEvent*>(event);
            const int modifiers = static_cast<int>(keyEvent->modifiers());
            std::uint16_t key = VirtualKeyFromQtKey(keyEvent->key(), modifiers);
            form_.KeyDown(key, ShiftStateFromQtModifiers(modifiers));
            return key == 0;
        }
        return false;
    }

private:
    TForm& form_;
};

TForm::TForm() : TWinControl(nullptr), filter_(std::make_unique<FormEventFilter>(*this)) {
    Widget()->setFocusPolicy(Qt::StrongFocus);
    qApp->installEventFilter(filter_.get());
}

TForm::~TForm() {
    if (qApp != nullptr) qApp->removeEventFilter(filter_.get());
}

void TForm::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    Widget()->setWindowTitle(QString::fromStdString(caption_));
}

void TForm::Show() {
    if (Showing()) return;
    QWidget* window = Widget();
    // Before OnShow, which may ask the window system for more (no taskbar button).
    if (borderStyle_ == bsNone) window->setWindowFlag(Qt::FramelessWindowHint);
    RunHandler([&] {
        if (OnShow) OnShow(this);
    });
    if (windowState_ == wsMaximized) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) window->setGeometry(screen->geometry());
        window->showFullScreen();
    } else {
        window->show();
    }
    window->activateWindow();
    window->setFocus();
    Realign();
}

bool TForm::Showing() const { return Widget()->isVisible(); }

void TForm::Close() {
    if (closing_) return;
    closing_ = true;
    TCloseAction action = caHide;
    RunHandler([&] {
        if (OnClose) OnClose(this, action);
    });
    if (action != caNone) {
        Widget()->hide();
        if (Application != nullptr && Application->MainForm() == this) Application->Terminate();
    }
    closing_ = false;
}

namespace {

// The visible menu item with the shortcut, in the popup menus of the control and those inside
// it, is clicked.
bool DispatchShortCut(const TControl& control, TShortCut shortCut) {
    if (control.PopupMenu() != nullptr && control.PopupMenu()->IsShortCut(shortCut)) return true;
    if (const auto* container = dynamic_cast<const TWinControl*>(&control))
        for (const TControl* child : container->Controls())
            if (child->Visible() && DispatchShortCut(*child, shortCut)) return true;
    return false;
}

}  // namespace

void TForm::KeyDown(std::uint16_t& key, TShiftState shift) {
    if (DispatchShortCut(*this, ShortCut(key, shift))) {
        key = 0;
        return;
    }
    RunHandler([&] {
        if (OnKeyDown) OnKeyDown(this, key, shift);
    });
}

void TForm::DoCreate() {
    if (OnCreate) OnCreate(this);
}

void TForm::DoDestroy() {
    if (OnDestroy) OnDestroy(this);
}

}  // namespace pellumo
