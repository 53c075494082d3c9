// PNG files: every colour type, plain and interlaced, with the chunks the reader interprets.
#include "load_twice.h"
#include "imaging/formats/png_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return pellumo::fuzzing::LoadTwice<pellumo::TPNGGraphic>(data, size);
}
