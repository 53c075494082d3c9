// Targa files, plain and run-length encoded; what loads is saved and loaded again.
#include <cstdint>
#include <vector>

#include "base/exceptions.h"
#include "base/memory_stream.h"
#include "imaging/formats/targa_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pellumo::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    try {
        pellumo::TTargaGraphic targa;
        targa.LoadFromStream(stream);
        pellumo::TMemoryStream saved;
        targa.SaveToStream(saved);
        saved.SetPosition(0);
        pellumo::TTargaGraphic again;
        again.LoadFromStream(saved);
    } catch (const pellumo::Exception&) {
    }
    return 0;
}
