#include "platform/control.h"

#include <cmath>

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>

#include "platform/application.h"
#include "platform/control_widget.h"
#include "platform/menus.h"

namespace pellumo {
namespace {

QColor ToQColor(TColor color) { return QColor(GetRValue(color), GetGValue(color), GetBValue(color)); }

Qt::CursorShape ToQtCursor(TCursor cursor) {
    switch (cursor) {
        case crNone: return Qt::BlankCursor;
        case crHandPoint: return Qt::PointingHandCursor;
        default: return Qt::ArrowCursor;
    }
}

}  // namespace

ControlWidget::ControlWidget(TControl& owner, QWidget* parent) : QWidget(parent), owner_(owner) {}

void ControlWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    RunHandler([&] { owner_.PaintWidget(painter); });
}

// A left click belongs to the control under the pointer alone: passed on to the parents, as
// Qt does with an event a widget ignores, it would click the window behind the control too.
void ControlWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    event->accept();
}

void ControlWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    event->accept();
    if (rect().contains(event->position().toPoint())) RunHandler([&] { owner_.Click(); });
}

void ControlWidget::contextMenuEvent(QContextMenuEvent* event) {
    RunHandler([&] { owner_.ContextPopup(event->globalPos().x(), event->globalPos().y()); });
}

void ControlWidget::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    RunHandler([&] { owner_.MouseEnter(); });
}

void ControlWidget::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    RunHandler([&] { owner_.MouseLeave(); });
}

void ControlWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    RunHandler([&] { owner_.Resized(); });
}

TControl::TControl(TWinControl* parent)
    : parent_(parent), widget_(new ControlWidget(*this, parent ? parent->Widget() : nullptr)) {
    if (parent_ != nullptr) {
        parent_->controls_.push_back(this);
        widget_->show();
    }
}

TControl::~TControl() {
    if (parent_ != nullptr) std::erase(parent_->controls_, this);
    delete widget_.data();
}

QWidget* TControl::Widget() const { return widget_.data(); }

int TControl::Left() const { return widget_->x(); }
int TControl::Top() const { return widget_->y(); }
int TControl::Width() const { return widget_->width(); }
int TControl::Height() const { return widget_->height(); }

double TControl::PixelRatio() const { return widget_->devicePixelRatioF(); }

int TControl::ToPhysicalPixels(int logical) const {
    return static_cast<int>(std::lround(logical * PixelRatio()));
}

void TControl::SetBounds(int left, int top, int width, int height) {
    widget_->setGeometry(left, top, std::max(width, 0), std::max(height, 0));
    if (parent_ != nullptr && align_ != alNone) parent_->Realign();
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    // A top-level window is shown by its form; a child follows its flag at once.
    if (parent_ != nullptr) widget_->setVisible(visible);
    if (parent_ != nullptr && align_ != alNone) parent_->Realign();
}

void TControl::SetAlign(TAlign align) {
    align_ = align;
    if (parent_ != nullptr) parent_->Realign();
}

void TControl::SetColor(TColor color) {
    color_ = color;
    parentColor_ = false;
    ColorChanged();
}

void TControl::SetParentColor(bool parentColor) {
    parentColor_ = parentColor;
    ColorChanged();
}

TColor TControl::EffectiveColor() const {
    return parentColor_ && parent_ != nullptr ? parent_->EffectiveColor() : color_;
}

void TControl::SetCursor(TCursor cursor) {
    cursor_ = cursor;
    widget_->setCursor(ToQtCursor(cursor));
}

void TControl::Update() { widget_->repaint(); }

void TControl::Invalidate() { widget_->update(); }

void TControl::PaintWidget(QPainter& painter) { painter.fillRect(widget_->rect(), ToQColor(EffectiveColor())); }

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::BringToFront() { widget_->raise(); }

void TControl::ContextPopup(int screenX, int screenY) {
    if (popupMenu_ != nullptr) popupMenu_->Popup(screenX, screenY);
}

void TControl::ColorChanged() { widget_->update(); }

TWinControl::~TWinControl() {
    for (TControl* child : controls_) child->parent_ = nullptr;
}

void TWinControl::ColorChanged() {
    TControl::ColorChanged();
    for (TControl* child : controls_)
        if (child->ParentColor()) child->ColorChanged();
}

void TWinControl::Realign() {
    int left = 0, top = 0, right = Width(), bottom = Height();
    auto place = [](TControl* c, int l, int t, int w, int h) { c->widget_->setGeometry(l, t, std::max(w, 0), std::max(h, 0)); };
    for (TAlign pass : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (TControl* c : controls_) {
            if (c->align_ != pass || !c->visible_) continue;
            switch (pass) {
                case alTop:
                    place(c, left, top, right - left, c->Height());
                    top += c->Height();
                    break;
                case alBottom:
                    place(c, left, bottom - c->Height(), right - left, c->Height());
                    bottom -= c->Height();
                    break;
                case alLeft:
                    place(c, left, top, c->Width(), bottom - top);
                    left += c->Width();
                    break;
                case alRight:
                    place(c, right - c->Width(), top, c->Width(), bottom - top);
                    right -= c->Width();
                    break;
                default:
                    place(c, left, top, right - left, bottom - top);
            }
        }
    }
}

}  // namespace pellumo
