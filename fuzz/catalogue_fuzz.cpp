// The show a program file carries, walked as the player reads it.
#include <cstdint>
#include <vector>

#include "base/exceptions.h"
#include "base/memory_stream.h"
#include "player/catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pellumo::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    try {
        const pellumo::TCatalogue catalogue = pellumo::ReadCatalogue(stream);
        for (const pellumo::TSlideEntry& slide : catalogue.Slides) {
            try {  // each slide's bytes, as the player copies them; a bad one fails alone
                stream.SetPosition(slide.DataOffset);
                pellumo::TMemoryStream bytes;
                bytes.CopyFrom(stream, slide.DataSize);
            } catch (const pellumo::Exception&) {
            }
        }
    } catch (const pellumo::Exception&) {
    }
    return 0;
}
