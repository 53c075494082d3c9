#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "base/color.h"
#include "raster/rect.h"

namespace pellumo {

class TBitmap;

// The face the player's caption shows in, found and drawn without the windowing layer: the
// family the platform's fonts are named by default, through fontconfig exactly as Qt falls
// back from a family the system lacks (the first face of that name or, failing it, of
// sans-serif), drawn with FreeType at a height in pixels, bold, antialiased, hinted as
// fontconfig says, and placed at quarter pixels along the line as Qt places light-hinted text.
class TCaptionFont {
public:
    // Raises Exception when fontconfig finds no face or FreeType cannot open it.
    TCaptionFont(int pixelHeight, bool bold);
    ~TCaptionFont();
    TCaptionFont(const TCaptionFont&) = delete;
    TCaptionFont& operator=(const TCaptionFont&) = delete;

    // The face's file and family, for reports.
    const std::string& FileName() const;
    const std::string& Family() const;

    // The text (Unicode) on one line centred in `line`, in the colour, blended over what the
    // 32-bit bitmap holds there; nothing is drawn outside `line`.
    void DrawCentred(TBitmap& bitmap, const TRect& line, std::u32string_view text, TColor color) const;

private:
    struct TFace;
    std::unique_ptr<TFace> face_;
};

}  // namespace pellumo
