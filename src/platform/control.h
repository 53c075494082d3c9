#pragma once

#include <QPointer>
#include <vector>

#include "base/color.h"
#include "platform/object.h"

class QPainter;
class QWidget;

namespace pellumo {

class TWinControl;
class ControlWidget;
class TPopupMenu;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// Mouse pointer shapes, with the platform's numbers.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crHandPoint = -21;

// A visible component: a Qt widget underneath, placed by bounds or by alignment in its
// parent, with a colour that may follow the parent's. Handlers run with the application's
// default error handling around them, so no exception ever reaches Qt's event loop.
class TControl : public TObject {
public:
    ~TControl() override;
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    TWinControl* Parent() const { return parent_; }

    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetBounds(int left, int top, int width, int height);
    void SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }
    void SetTop(int top) { SetBounds(Left(), top, Width(), Height()); }
    void SetWidth(int width) { SetBounds(Left(), Top(), width, Height()); }
    void SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }

    // Bounds are in the window system's logical units; a HiDPI screen has more physical pixels
    // per unit. Pictures are sized in physical pixels so that they are shown 1:1, sharp.
    double PixelRatio() const;
    int ToPhysicalPixels(int logical) const;

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);

    // The colour set on the control; it shows only while ParentColor is false.
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool parentColor);
    // The colour the control paints with.
    TColor EffectiveColor() const;

    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

    // Puts the control above its siblings, which otherwise stack in creation order.
    void BringToFront();

    // The menu a right click opens; none by default.
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu) { popupMenu_ = menu; }

    // Paints the pending areas now.
    virtual void Update();
    // Asks for a repaint of the whole control.
    virtual void Invalidate();

    TNotifyEvent OnClick;

    QWidget* Widget() const;

protected:
    // `parent` nullptr makes a top-level window.
    explicit TControl(TWinControl* parent);

    virtual void PaintWidget(QPainter& painter);
    virtual void Click();
    virtual void ContextPopup(int screenX, int screenY);
    virtual void Resized() {}
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    virtual void ColorChanged();

private:
    friend class ControlWidget;
    friend class TWinControl;

    TWinControl* parent_;
    // Qt deletes a widget with its parent; the guard tells when that already happened.
    QPointer<ControlWidget> widget_;
    bool visible_ = true;
    TAlign align_ = alNone;
    TColor color_ = 0xC0C0C0;  // the platform's default face colour, silver
    bool parentColor_ = false;
    TCursor cursor_ = crDefault;
    TPopupMenu* popupMenu_ = nullptr;
};

// A control that holds others and places the aligned ones: top, then bottom, left, right,
// each in creation order, and the client-aligned ones in what remains.
class TWinControl : public TControl {
public:
    ~TWinControl() override;
    const std::vector<TControl*>& Controls() const { return controls_; }
    void Realign();

protected:
    explicit TWinControl(TWinControl* parent) : TControl(parent) {}
    void Resized() override { Realign(); }
    void ColorChanged() override;

private:
    friend class TControl;
    std::vector<TControl*> controls_;
};

}  // namespace pellumo
