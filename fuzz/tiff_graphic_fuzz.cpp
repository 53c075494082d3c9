// TIFF files of either byte order: directories, strip geometry, every compression and
// photometric interpretation the reader takes.
#include <cstdint>
#include <vector>

#include "base/exceptions.h"
#include "base/memory_stream.h"
#include "imaging/formats/tiff_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pellumo::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    try {
        pellumo::TTIFFGraphic tiff;
        tiff.LoadFromStream(stream);
        // A second load into the same reader reuses its colour manager's settings.
        stream.SetPosition(0);
        tiff.LoadFromStream(stream);
    } catch (const pellumo::Exception&) {
    }
    return 0;
}
