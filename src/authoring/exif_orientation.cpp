#include "authoring/exif_orientation.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace pellumo {
namespace {

constexpr int kUpright = 1;
constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kApp1 = 0xE1;
constexpr std::string_view kExifHeader{"Exif\0\0", 6};
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;
constexpr std::size_t kEntrySize = 12;

// Markers that stand alone, without a length: TEM and the restart markers.
bool StandsAlone(std::uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

// Reads the TIFF structure inside the Exif segment; every read is checked against its end.
class TTiffReader {
public:
    TTiffReader(std::span<const std::uint8_t> bytes, bool bigEndian) : bytes_(bytes), bigEndian_(bigEndian) {}

    std::optional<std::uint16_t> U16(std::size_t offset) const {
        if (offset > bytes_.size() || bytes_.size() - offset < 2) return std::nullopt;
        const std::uint8_t* p = bytes_.data() + offset;
        return static_cast<std::uint16_t>(bigEndian_ ? (p[0] << 8) | p[1] : p[0] | (p[1] << 8));
    }
    std::optional<std::uint32_t> U32(std::size_t offset) const {
        const auto first = U16(offset), second = U16(offset + 2);
        if (!first || !second) return std::nullopt;
        return bigEndian_ ? (std::uint32_t{*first} << 16) | *second : (std::uint32_t{*second} << 16) | *first;
    }
    std::size_t Size() const { return bytes_.size(); }

private:
    std::span<const std::uint8_t> bytes_;
    bool bigEndian_;
};

int OrientationInTiff(std::span<const std::uint8_t> tiff) {
    if (tiff.size() < 8) return kUpright;
    const bool bigEndian = tiff[0] == 'M' && tiff[1] == 'M';
    if (!bigEndian && !(tiff[0] == 'I' && tiff[1] == 'I')) return kUpright;
    const TTiffReader reader(tiff, bigEndian);
    const auto magic = reader.U16(2);
    const auto directory = reader.U32(4);
    if (magic != 42 || !directory) return kUpright;
    const auto declared = reader.U16(*directory);
    if (!declared) return kUpright;

    // A count larger than the segment can hold is cut to what is there.
    const std::size_t first = std::size_t{*directory} + 2;
    const std::size_t entries = std::min<std::size_t>(*declared, (reader.Size() - first) / kEntrySize);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = first + i * kEntrySize;
        if (reader.U16(entry) != kOrientationTag) continue;
        if (reader.U16(entry + 2) != kShortType || reader.U32(entry + 4) != 1u) return kUpright;
        const auto value = reader.U16(entry + 8);
        return value && *value >= 1 && *value <= 8 ? *value : kUpright;
    }
    return kUpright;
}

}  // namespace

int ExifOrientation(std::span<const std::uint8_t> jpeg) {
    if (jpeg.size() < 2 || jpeg[0] != 0xFF || jpeg[1] != kStartOfImage) return kUpright;
    // Each turn moves past at least one byte, so the walk ends within the data.
    std::size_t position = 2;
    while (position < jpeg.size()) {
        if (jpeg[position] != 0xFF) return kUpright;
        const std::size_t markerAt = position + 1;
        if (markerAt >= jpeg.size()) return kUpright;
        const std::uint8_t marker = jpeg[markerAt];
        if (marker == 0xFF) {  // fill byte before a marker
            position = markerAt;
            continue;
        }
        if (marker == kStartOfScan || marker == kEndOfImage) return kUpright;
        if (StandsAlone(marker)) {
            position = markerAt + 1;
            continue;
        }
        if (jpeg.size() - markerAt < 3) return kUpright;
        const std::size_t length = std::size_t{jpeg[markerAt + 1]} << 8 | jpeg[markerAt + 2];
        const std::size_t body = markerAt + 3;
        if (length < 2 || length - 2 > jpeg.size() - body) return kUpright;
        const auto segment = jpeg.subspan(body, length - 2);
        if (marker == kApp1 && segment.size() >= kExifHeader.size() &&
            std::equal(kExifHeader.begin(), kExifHeader.end(), segment.begin()))
            return OrientationInTiff(segment.subspan(kExifHeader.size()));
        position = body + segment.size();
    }
    return kUpright;
}

}  // namespace pellumo
