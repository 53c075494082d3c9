#include "authoring/exif_data.h"

#include <algorithm>
#include <string_view>

namespace pellumo {
namespace {

constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kApp1 = 0xE1;
constexpr std::string_view kExifHeader{"Exif\0\0", 6};
constexpr std::size_t kEntrySize = 12;

// Markers that stand alone, without a length: TEM and the restart markers.
bool StandsAlone(std::uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

// The body of the first Exif segment before the scan, its header left out.
std::optional<std::span<const std::uint8_t>> ExifSegment(std::span<const std::uint8_t> jpeg) {
    if (jpeg.size() < 2 || jpeg[0] != 0xFF || jpeg[1] != kStartOfImage) return std::nullopt;
    // Each turn moves past at least one byte, so the walk ends within the data.
    std::size_t position = 2;
    while (position < jpeg.size()) {
        if (jpeg[position] != 0xFF) return std::nullopt;
        const std::size_t markerAt = position + 1;
        if (markerAt >= jpeg.size()) return std::nullopt;
        const std::uint8_t marker = jpeg[markerAt];
        if (marker == 0xFF) {  // fill byte before a marker
            position = markerAt;
            continue;
        }
        if (marker == kStartOfScan || marker == kEndOfImage) return std::nullopt;
        if (StandsAlone(marker)) {
            position = markerAt + 1;
            continue;
        }
        if (jpeg.size() - markerAt < 3) return std::nullopt;
        const std::size_t length = std::size_t{jpeg[markerAt + 1]} << 8 | jpeg[markerAt + 2];
        const std::size_t body = markerAt + 3;
        if (length < 2 || length - 2 > jpeg.size() - body) return std::nullopt;
        const auto segment = jpeg.subspan(body, length - 2);
        if (marker == kApp1 && segment.size() >= kExifHeader.size() &&
            std::equal(kExifHeader.begin(), kExifHeader.end(), segment.begin()))
            return segment.subspan(kExifHeader.size());
        position = body + segment.size();
    }
    return std::nullopt;
}

// Bytes of one value of a TIFF type; 0 for types Exif does not define.
std::size_t TypeSize(std::uint16_t type) {
    switch (type) {
        case 1: case 2: case 6: case 7: return 1;  // BYTE, ASCII, SBYTE, UNDEFINED
        case 3: case 8: return 2;                  // SHORT, SSHORT
        case 4: case 9: case 11: return 4;         // LONG, SLONG, FLOAT
        case 5: case 10: case 12: return 8;        // RATIONAL, SRATIONAL, DOUBLE
        default: return 0;
    }
}

}  // namespace

std::optional<TExifData> TExifData::OfJpeg(std::span<const std::uint8_t> jpeg) {
    const auto tiff = ExifSegment(jpeg);
    if (!tiff || tiff->size() < 8) return std::nullopt;
    const bool bigEndian = (*tiff)[0] == 'M' && (*tiff)[1] == 'M';
    if (!bigEndian && !((*tiff)[0] == 'I' && (*tiff)[1] == 'I')) return std::nullopt;
    const TExifData data(*tiff, bigEndian, 0);
    const auto magic = data.U16(2);
    const auto directory = data.U32(4);
    if (magic != 42 || !directory) return std::nullopt;
    return TExifData(*tiff, bigEndian, *directory);
}

std::optional<std::uint16_t> TExifData::U16(std::size_t offset) const {
    if (offset > tiff_.size() || tiff_.size() - offset < 2) return std::nullopt;
    const std::uint8_t* p = tiff_.data() + offset;
    return static_cast<std::uint16_t>(bigEndian_ ? (p[0] << 8) | p[1] : p[0] | (p[1] << 8));
}

std::optional<std::uint32_t> TExifData::U32(std::size_t offset) const {
    if (offset > tiff_.size() || tiff_.size() - offset < 4) return std::nullopt;
    const auto first = U16(offset), second = U16(offset + 2);
    return bigEndian_ ? (std::uint32_t{*first} << 16) | *second : (std::uint32_t{*second} << 16) | *first;
}

std::optional<TExifData::TEntry> TExifData::Find(std::size_t directory, std::uint16_t tag) const {
    const auto declared = U16(directory);
    if (!declared) return std::nullopt;
    // U16 read two bytes there, so `first` lies within the segment.
    const std::size_t first = directory + 2;
    const std::size_t entries = std::min<std::size_t>(*declared, (tiff_.size() - first) / kEntrySize);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = first + i * kEntrySize;
        if (U16(entry) != tag) continue;
        return TEntry{*U16(entry + 2), *U32(entry + 4), entry};
    }
    return std::nullopt;
}

std::optional<std::span<const std::uint8_t>> TExifData::ValueBytes(const TEntry& entry) const {
    const std::size_t typeSize = TypeSize(entry.type);
    if (typeSize == 0) return std::nullopt;
    const std::uint64_t size = std::uint64_t{entry.count} * typeSize;  // at most 2^35: no overflow
    const std::size_t valueField = entry.entryAt + 8;
    if (size <= 4) {
        if (valueField > tiff_.size() || tiff_.size() - valueField < size) return std::nullopt;
        return tiff_.subspan(valueField, static_cast<std::size_t>(size));
    }
    const auto offset = U32(valueField);
    if (!offset || *offset > tiff_.size() || tiff_.size() - *offset < size) return std::nullopt;
    return tiff_.subspan(*offset, static_cast<std::size_t>(size));
}

}  // namespace pellumo
