// SGI images of one to four channels, one or two bytes a sample, raw or run-length encoded.
#include "load_twice.h"
#include "imaging/formats/sgi_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return pellumo::fuzzing::LoadTwice<pellumo::TSGIGraphic>(data, size);
}
