#pragma once

#include <string>

#include "raster/bitmap.h"

namespace pellumo {

// Any picture the format registry knows (by its extension, once main has started the image
// library's formats), as a bitmap. Raises the reader's
// error, or EConvertError for a picture without pixels.
TBitmap LoadPictureBitmap(const std::string& fileName);

}  // namespace pellumo
