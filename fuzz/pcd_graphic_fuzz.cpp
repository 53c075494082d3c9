// Photo-CD packs. A real pack is hundreds of kilobytes, mostly unread, so the input is first
// read as it is (the signature check) and then spread over a pack: its first byte gives the
// resolution (low two bits, 3 being refused) and the attribute byte (the next two bits), the
// rest is the image data from the resolution's offset on; a short rest is a truncated pack.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/exceptions.h"
#include "base/memory_stream.h"
#include "imaging/formats/pcd_graphic.h"

namespace {

constexpr std::size_t kDataOffsets[4] = {8192, 47104, 196608, 196608};
constexpr std::size_t kAttributeOffset = 194635;

void Load(pellumo::TPCDGraphic& pcd, std::vector<std::uint8_t> bytes) {
    pellumo::TMemoryStream stream(std::move(bytes));
    try {
        pcd.LoadFromStream(stream);
    } catch (const pellumo::Exception&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pellumo::TPCDGraphic pcd;
    Load(pcd, std::vector<std::uint8_t>(data, data + size));
    if (size == 0) return 0;
    const std::size_t offset = kDataOffsets[data[0] & 3];
    std::vector<std::uint8_t> pack(std::max(offset + size - 1, kAttributeOffset + 1), 0);
    std::memcpy(&pack[2048], "PCD_IPI", 7);
    pack[kAttributeOffset] = static_cast<std::uint8_t>(data[0] >> 2 & 3);
    std::copy(data + 1, data + size, pack.begin() + static_cast<std::ptrdiff_t>(offset));
    pcd.SetResolution(data[0] & 3);
    Load(pcd, std::move(pack));
    return 0;
}
