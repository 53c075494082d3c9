// WebP files through libwebp: lossy and lossless stills, alpha, the first frame of an
// animation on its canvas, the ICC profile, and the canvas size check before decoding.
#include "load_twice.h"
#include "imaging/formats/webp_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return pellumo::fuzzing::LoadTwice<pellumo::TWebPGraphic>(data, size);
}
