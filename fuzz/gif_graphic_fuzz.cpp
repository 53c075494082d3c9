// GIF files: extensions, colour tables, interlacing and the LZW data of the first image.
#include "load_twice.h"
#include "imaging/formats/gif_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return pellumo::fuzzing::LoadTwice<pellumo::TGIFGraphic>(data, size);
}
