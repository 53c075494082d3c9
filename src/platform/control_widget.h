#pragma once

#include <QWidget>

namespace pellumo {

class TControl;

// The Qt widget under a control: it hands painting, clicks and resizes to its control.
class ControlWidget : public QWidget {
public:
    ControlWidget(TControl& owner, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    TControl& owner_;
};

}  // namespace pellumo
