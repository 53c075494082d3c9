// TIFF files of either byte order: directories, strip geometry, every compression and
// photometric interpretation the reader takes.
#include "load_twice.h"
#include "imaging/formats/tiff_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return pellumo::fuzzing::LoadTwice<pellumo::TTIFFGraphic>(data, size);
}
