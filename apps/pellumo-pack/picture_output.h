#pragma once

#include <string>
#include <vector>

#include "raster/bitmap.h"

namespace pellumo {

// The picture files the tool writes (convert, frame, sheet, resample), by extension, in the
// registry's order: every registered extension whose graphic class writes its own format,
// "bmp, ico, jpg, ...".
std::string WrittenPictureExtensions();

// Refuses with EOptionError, before any picture is read or any work done, an output whose
// extension names no format the tool writes (the message lists those that it does), an
// output that is one of `inputs` (even with `force`), and an existing file unless `force`.
void CheckPictureOutput(const std::string& output, const std::vector<std::string>& inputs, bool force);

// Writes the bitmap in the format its extension names: encoded whole in memory by that
// format's graphic class, then written through a temporary file beside the output, so that
// a picture the format cannot hold (an icon beyond 256 pixels) or a failed write leaves no
// output at all, and an existing one as it was.
void SavePictureFile(const TBitmap& bitmap, const std::string& output);

}  // namespace pellumo
