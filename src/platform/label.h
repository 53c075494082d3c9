#pragma once

#include <string>

#include "platform/control.h"
#include "platform/font.h"

namespace pellumo {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };

// A line of text. Transparent, it shows its parent's colour behind the text.
class TLabel : public TControl {
public:
    explicit TLabel(TWinControl* parent);

    const std::string& Caption() const { return caption_; }  // UTF-8
    void SetCaption(std::string caption);
    TFont& Font() { return font_; }
    void SetAlignment(TAlignment alignment);
    void SetLayout(TTextLayout layout);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);

protected:
    void PaintWidget(QPainter& painter) override;

private:
    std::string caption_;
    TFont font_;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool transparent_ = false;
};

}  // namespace pellumo
