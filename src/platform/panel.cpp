#include "platform/panel.h"

#include <QPainter>
#include <QWidget>

namespace pellumo {

void TPanel::PaintWidget(QPainter& painter) {
    TWinControl::PaintWidget(painter);
    if (bevelOuter_ == bvNone) return;
    const QRect r = Widget()->rect().adjusted(0, 0, -1, -1);
    painter.setPen(bevelOuter_ == bvRaised ? Qt::white : Qt::darkGray);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(bevelOuter_ == bvRaised ? Qt::darkGray : Qt::white);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

}  // namespace pellumo
