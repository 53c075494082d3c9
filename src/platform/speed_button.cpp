#include "platform/speed_button.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include "raster/pixel_rows.h"

namespace pellumo {
namespace {

// The glyph with its transparent colour made transparent.
QImage GlyphImage(const TBitmap& glyph) {
    const int width = glyph.Width(), height = glyph.Height();
    QImage image(width, height, QImage::Format_ARGB32);
    std::vector<std::uint8_t> bgrx(static_cast<std::size_t>(width) * 4);
    UnpackRow(glyph.ScanLine(height - 1), glyph.PixelFormat(), glyph.Palette(), width, bgrx.data());
    const std::uint8_t transparent[3] = {bgrx[0], bgrx[1], bgrx[2]};
    for (int y = 0; y < height; ++y) {
        UnpackRow(glyph.ScanLine(y), glyph.PixelFormat(), glyph.Palette(), width, bgrx.data());
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = &bgrx[static_cast<std::size_t>(x) * 4];
            const bool clear = p[0] == transparent[0] && p[1] == transparent[1] && p[2] == transparent[2];
            line[x] = clear ? qRgba(0, 0, 0, 0) : qRgb(p[2], p[1], p[0]);
        }
    }
    return image;
}

}  // namespace

TSpeedButton::TSpeedButton(TWinControl* parent) : TControl(parent) { SetParentColor(true); }

void TSpeedButton::SetGlyph(const TBitmap& glyph) {
    glyph_.Assign(glyph);
    Invalidate();
}

void TSpeedButton::SetFlat(bool flat) {
    flat_ = flat;
    Invalidate();
}

void TSpeedButton::PaintWidget(QPainter& painter) {
    TControl::PaintWidget(painter);
    const QRect r = Widget()->rect().adjusted(0, 0, -1, -1);
    if (!flat_ || hot_) {
        painter.setPen(Qt::white);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(Qt::darkGray);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    }
    if (glyph_.Empty()) return;
    const QImage image = GlyphImage(glyph_);
    painter.drawImage((Width() - image.width()) / 2, (Height() - image.height()) / 2, image);
}

void TSpeedButton::MouseEnter() {
    hot_ = true;
    Invalidate();
}

void TSpeedButton::MouseLeave() {
    hot_ = false;
    Invalidate();
}

}  // namespace pellumo
