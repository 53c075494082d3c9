// PNG files: every colour type, plain and interlaced, with the chunks the reader interprets.
#include <cstdint>
#include <vector>

#include "base/exceptions.h"
#include "base/memory_stream.h"
#include "imaging/formats/png_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pellumo::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    try {
        pellumo::TPNGGraphic png;
        png.LoadFromStream(stream);
    } catch (const pellumo::Exception&) {
    }
    return 0;
}
