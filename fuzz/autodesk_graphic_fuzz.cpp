// Autodesk Animator cels and pictures.
#include "load_twice.h"
#include "imaging/formats/autodesk_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return pellumo::fuzzing::LoadTwice<pellumo::TAutodeskGraphic>(data, size);
}
