#pragma once

#include <functional>
#include <string>

#include "base/color.h"

class QFont;

namespace pellumo {

// A typeface, size and colour. A negative height is the character height in pixels, as the
// platform counts it; the owner repaints on every change.
class TFont {
public:
    const std::string& Name() const { return name_; }
    void SetName(std::string name);
    int Height() const { return height_; }
    void SetHeight(int height);
    bool Bold() const { return bold_; }
    void SetBold(bool bold);
    TColor Color() const { return color_; }
    void SetColor(TColor color);

    QFont ToQFont() const;

    std::function<void()> OnChange;

private:
    void Changed();

    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    bool bold_ = false;
    TColor color_ = clBlack;
};

}  // namespace pellumo
