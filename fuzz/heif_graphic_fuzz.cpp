// HEIC and AVIF files through libheif: the boxes, the size checks before decoding, the
// transformations, alpha and the colour profile.
#include "load_twice.h"
#include "imaging/formats/heif_graphic.h"

// libheif 1.15's AV1 decoding leaks dav1d's 40-byte data reference when dav1d refuses the
// data it is given (regression-dav1d-leak.avif): the library's fault, which would otherwise
// end every fuzzing round before it reaches our code.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdav1d.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return pellumo::fuzzing::LoadTwice<pellumo::THEIFGraphic>(data, size);
}
