// Paint Shop Pro files of versions 3 and 4, their layers raw, run-length encoded or deflated.
#include "load_twice.h"
#include "imaging/formats/psp_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return pellumo::fuzzing::LoadTwice<pellumo::TPSPGraphic>(data, size);
}
