#pragma once

#include <cstdint>

#include "platform/control.h"
#include "raster/bitmap.h"

namespace pellumo {

// A small button that shows a glyph. The colour of the glyph's bottom-left pixel is
// transparent: the button's face shows through it. Flat, it draws its edge only while the
// mouse is over it.
class TSpeedButton : public TControl {
public:
    explicit TSpeedButton(TWinControl* parent);

    const TBitmap& Glyph() const { return glyph_; }
    void SetGlyph(const TBitmap& glyph);
    bool Flat() const { return flat_; }
    void SetFlat(bool flat);
    // A number the program keeps with the button.
    std::int32_t Tag() const { return tag_; }
    void SetTag(std::int32_t tag) { tag_ = tag; }

protected:
    void PaintWidget(QPainter& painter) override;
    void MouseEnter() override;
    void MouseLeave() override;

private:
    TBitmap glyph_;
    bool flat_ = false;
    bool hot_ = false;
    std::int32_t tag_ = 0;
};

}  // namespace pellumo
