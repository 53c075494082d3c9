// PCX files of every depth and plane count, raw and run-length encoded.
#include "load_twice.h"
#include "imaging/formats/pcx_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return pellumo::fuzzing::LoadTwice<pellumo::TPCXGraphic>(data, size);
}
