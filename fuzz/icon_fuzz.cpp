// Icon files: the directory, the images it points to, the bitmaps inside.
#include <cstdint>
#include <vector>

#include "base/exceptions.h"
#include "base/memory_stream.h"
#include "raster/icon.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pellumo::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    try {
        pellumo::TIcon icon;
        icon.LoadFromStream(stream);
    } catch (const pellumo::Exception&) {
    }
    return 0;
}
