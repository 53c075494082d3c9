// Autodesk Animator cels and pictures.
#include <cstdint>
#include <vector>

#include "base/exceptions.h"
#include "base/memory_stream.h"
#include "imaging/formats/autodesk_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pellumo::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    try {
        pellumo::TAutodeskGraphic cel;
        cel.LoadFromStream(stream);
    } catch (const pellumo::Exception&) {
    }
    return 0;
}
