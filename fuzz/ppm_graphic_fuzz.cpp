// Portable bitmaps, graymaps and pixmaps, text and raw, with comments anywhere.
#include "load_twice.h"
#include "imaging/formats/ppm_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return pellumo::fuzzing::LoadTwice<pellumo::TPPMGraphic>(data, size);
}
