// Icon files: the directory, the images it points to, the bitmaps inside.
#include "load_twice.h"
#include "raster/icon.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return pellumo::fuzzing::LoadTwice<pellumo::TIcon>(data, size);
}
