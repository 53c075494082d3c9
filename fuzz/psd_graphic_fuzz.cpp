// Photoshop merged images of every mode, raw or PackBits-compressed.
#include <cstdint>
#include <vector>

#include "base/exceptions.h"
#include "base/memory_stream.h"
#include "imaging/formats/psd_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pellumo::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    try {
        pellumo::TPSDGraphic psd;
        psd.LoadFromStream(stream);
        // A second load into the same reader reuses its colour manager's settings.
        stream.SetPosition(0);
        psd.LoadFromStream(stream);
    } catch (const pellumo::Exception&) {
    }
    return 0;
}
