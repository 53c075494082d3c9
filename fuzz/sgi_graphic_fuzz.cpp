// SGI images of one to four channels, one or two bytes a sample, raw or run-length encoded.
#include <cstdint>
#include <vector>

#include "base/exceptions.h"
#include "base/memory_stream.h"
#include "imaging/formats/sgi_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pellumo::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    try {
        pellumo::TSGIGraphic sgi;
        sgi.LoadFromStream(stream);
        // A second load into the same reader reuses its colour manager's settings.
        stream.SetPosition(0);
        sgi.LoadFromStream(stream);
    } catch (const pellumo::Exception&) {
    }
    return 0;
}
