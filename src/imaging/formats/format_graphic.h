#pragma once

#include <memory>

#include "imaging/color/color_manager.h"
#include "raster/bitmap.h"

namespace pellumo {

// The base of the image library's readers: a bitmap that decodes its format in LoadFromStream,
// with a colour manager to turn the file's rows into the bitmap's. The manager keeps its
// settings from one load to the next, so a reader sets all it relies on.
class TFormatGraphic : public TBitmap {
public:
    TFormatGraphic() : colorManager_(std::make_unique<TColorManager>()) {}

    TColorManager& ColorManager() { return *colorManager_; }

private:
    std::unique_ptr<TColorManager> colorManager_;
};

}  // namespace pellumo
