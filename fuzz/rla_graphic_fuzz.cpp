// RLA scan lines with and without a matte, either row order, with a gamma text.
#include "load_twice.h"
#include "imaging/formats/rla_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return pellumo::fuzzing::LoadTwice<pellumo::TRLAGraphic>(data, size);
}
