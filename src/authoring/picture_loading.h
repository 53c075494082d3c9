#pragma once

#include <string>

#include "authoring/option_values.h"
#include "raster/bitmap.h"

namespace pellumo {

// A picture that cannot be read: the message names the file, then says why in the reader's
// words ("photo.jpg : image illisible (Premature end of input file)").
class EPictureError : public EOptionError {
public:
    using EOptionError::EOptionError;
};

// Raises EPictureError for the failure `reason` of the picture `fileName`.
[[noreturn]] void RaisePictureError(const std::string& fileName, const std::string& reason);

// Any picture the format registry knows (by its extension, once main has started the image
// library's formats), as a bitmap. Raises EPictureError, also for a picture without pixels.
TBitmap LoadPictureBitmap(const std::string& fileName);

}  // namespace pellumo
