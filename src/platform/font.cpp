#include "platform/font.h"

#include <QFont>
#include <cstdlib>

namespace pellumo {

void TFont::SetName(std::string name) {
    name_ = std::move(name);
    Changed();
}

void TFont::SetHeight(int height) {
    height_ = height;
    Changed();
}

void TFont::SetBold(bool bold) {
    bold_ = bold;
    Changed();
}

void TFont::SetColor(TColor color) {
    color_ = color;
    Changed();
}

void TFont::Changed() {
    if (OnChange) OnChange();
}

QFont TFont::ToQFont() const {
    // The family may not exist here; Qt then falls back to a sans-serif face of that size.
    QFont font(QString::fromStdString(name_));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, std::abs(height_)));
    font.setBold(bold_);
    return font;
}

}  // namespace pellumo
