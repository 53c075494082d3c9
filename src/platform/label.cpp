#include "platform/label.h"

#include <QPainter>
#include <QWidget>

namespace pellumo {

TLabel::TLabel(TWinControl* parent) : TControl(parent) {
    font_.OnChange = [this] { Invalidate(); };
}

void TLabel::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    Invalidate();
}

void TLabel::SetAlignment(TAlignment alignment) {
    alignment_ = alignment;
    Invalidate();
}

void TLabel::SetLayout(TTextLayout layout) {
    layout_ = layout;
    Invalidate();
}

void TLabel::SetTransparent(bool transparent) {
    transparent_ = transparent;
    Invalidate();
}

void TLabel::PaintWidget(QPainter& painter) {
    if (!transparent_) TControl::PaintWidget(painter);
    int flags = Qt::TextSingleLine;
    flags |= alignment_ == taCenter ? Qt::AlignHCenter : alignment_ == taRightJustify ? Qt::AlignRight : Qt::AlignLeft;
    flags |= layout_ == tlCenter ? Qt::AlignVCenter : layout_ == tlBottom ? Qt::AlignBottom : Qt::AlignTop;
    painter.setFont(font_.ToQFont());
    painter.setPen(QColor(GetRValue(font_.Color()), GetGValue(font_.Color()), GetBValue(font_.Color())));
    painter.drawText(Widget()->rect(), flags, QString::fromStdString(caption_));
}

}  // namespace pellumo
