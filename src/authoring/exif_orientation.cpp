#include "authoring/exif_orientation.h"

#include "authoring/exif_data.h"

namespace pellumo {
namespace {

constexpr int kUpright = 1;
constexpr std::uint16_t kOrientationTag = 0x0112;

}  // namespace

int ExifOrientation(std::span<const std::uint8_t> jpeg) {
    const auto exif = TExifData::OfJpeg(jpeg);
    if (!exif) return kUpright;
    const auto entry = exif->Find(exif->FirstDirectory(), kOrientationTag);
    if (!entry || entry->type != TExifData::kShortType || entry->count != 1) return kUpright;
    const auto value = exif->U16(entry->entryAt + 8);
    return value && *value >= 1 && *value <= 8 ? *value : kUpright;
}

}  // namespace pellumo
