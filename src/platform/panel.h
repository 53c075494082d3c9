#pragma once

#include "platform/control.h"

namespace pellumo {

enum TBevelCut { bvNone, bvLowered, bvRaised };

// A plain area in its colour that holds other controls.
class TPanel : public TWinControl {
public:
    explicit TPanel(TWinControl* parent) : TWinControl(parent) {}
    void SetBevelOuter(TBevelCut bevel) { bevelOuter_ = bevel; }

protected:
    void PaintWidget(QPainter& painter) override;

private:
    TBevelCut bevelOuter_ = bvRaised;
};

}  // namespace pellumo
