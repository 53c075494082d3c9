// Photoshop merged images of every mode, raw or PackBits-compressed.
#include "load_twice.h"
#include "imaging/formats/psd_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return pellumo::fuzzing::LoadTwice<pellumo::TPSDGraphic>(data, size);
}
