// Portable bitmaps, graymaps and pixmaps, text and raw, with comments anywhere.
#include <cstdint>
#include <vector>

#include "base/exceptions.h"
#include "base/memory_stream.h"
#include "imaging/formats/ppm_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pellumo::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    try {
        pellumo::TPPMGraphic ppm;
        ppm.LoadFromStream(stream);
        // A second load into the same reader reuses its colour manager's settings.
        stream.SetPosition(0);
        ppm.LoadFromStream(stream);
    } catch (const pellumo::Exception&) {
    }
    return 0;
}
