// Paint Shop Pro files of versions 3 and 4, their layers raw, run-length encoded or deflated.
#include <cstdint>
#include <vector>

#include "base/exceptions.h"
#include "base/memory_stream.h"
#include "imaging/formats/psp_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pellumo::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    try {
        pellumo::TPSPGraphic psp;
        psp.LoadFromStream(stream);
        // A second load into the same reader reuses its colour manager's settings.
        stream.SetPosition(0);
        psp.LoadFromStream(stream);
    } catch (const pellumo::Exception&) {
    }
    return 0;
}
