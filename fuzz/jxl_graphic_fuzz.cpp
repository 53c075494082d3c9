// JPEG XL files through libjxl: codestreams and containers, lossless and lossy, gray, alpha,
// animations, orientations, colour profiles, and the size check before decoding.
#include "load_twice.h"
#include "imaging/formats/jxl_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return pellumo::fuzzing::LoadTwice<pellumo::TJXLGraphic>(data, size);
}
