#include "imaging/formats/tiff_directory.h"

#include <algorithm>

#include "base/byte_order.h"
#include "base/exceptions.h"
#include "imaging/image_messages.h"

namespace pellumo {
namespace {

constexpr std::uint16_t kBigEndianMark = 0x4D4D;  // "MM"; anything else reads little-endian
constexpr std::uint16_t kVersion = 42;
constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kEntrySize = 12;

enum TDataType : std::uint16_t {
    dtByte = 1, dtAscii = 2, dtShort = 3, dtLong = 4, dtRational = 5,
    dtSByte = 6, dtUndefined = 7, dtSShort = 8, dtSLong = 9,
};

std::uint32_t ValueSize(std::uint16_t type) {
    switch (type) {
        case dtByte:
        case dtSByte: return 1;
        case dtShort:
        case dtSShort: return 2;
        case dtLong:
        case dtSLong: return 4;
        default: return 0;
    }
}

}  // namespace

TTIFFDirectory::TTIFFDirectory(TStream& stream)
    : file_(stream, kTIFFFormatName), basePosition_(stream.Position()) {
    std::array<std::uint8_t, kHeaderSize> header{};
    file_.Read(header.data(), header.size());
    bigEndian_ = GetLE16(header.data()) == kBigEndianMark;
    if (Get16(&header[2]) != kVersion) RaiseImageError(image_messages::kInvalidFormat, kTIFFFormatName);

    SeekData(Get32(&header[4]), 2);
    std::array<std::uint8_t, 2> countBytes{};
    file_.Read(countBytes.data(), countBytes.size());
    const std::size_t count = Get16(countBytes.data());
    const std::vector<std::uint8_t> bytes = file_.ReadBytes(count * kEntrySize);

    entries_.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = &bytes[i * kEntrySize];
        TTIFFEntry& entry = entries_[i];
        entry.Tag = Get16(p);
        entry.DataType = Get16(p + 2);
        entry.DataCount = Get32(p + 4);
        std::copy_n(p + 8, 4, entry.Raw.begin());
        const bool single = entry.DataCount <= 1;
        if (single && ValueSize(entry.DataType) == 2)
            entry.ValueOrOffset = Get16(p + 8);
        else if (single && (ValueSize(entry.DataType) == 1 || entry.DataType == dtAscii || entry.DataType == dtUndefined))
            entry.ValueOrOffset = p[8];
        else
            entry.ValueOrOffset = Get32(p + 8);
    }
    std::sort(entries_.begin(), entries_.end(), [](const TTIFFEntry& a, const TTIFFEntry& b) { return a.Tag < b.Tag; });
}

std::uint16_t TTIFFDirectory::Get16(const std::uint8_t* p) const {
    const std::uint16_t value = GetLE16(p);
    return bigEndian_ ? SwapShort(value) : value;
}

std::uint32_t TTIFFDirectory::Get32(const std::uint8_t* p) const {
    const std::uint32_t value = GetLE32(p);
    return bigEndian_ ? SwapLong(value) : value;
}

void TTIFFDirectory::SeekData(std::uint32_t offset, std::uint64_t bytes) const {
    const std::int64_t start = basePosition_ + offset;
    if (static_cast<std::uint64_t>(start) + bytes > static_cast<std::uint64_t>(file_.Size())) file_.ReadError();
    file_.Seek(start);
}

const TTIFFEntry* TTIFFDirectory::FindTag(std::uint16_t tag) const {
    const auto found = std::lower_bound(entries_.begin(), entries_.end(), tag,
                                        [](const TTIFFEntry& entry, std::uint16_t t) { return entry.Tag < t; });
    return found != entries_.end() && found->Tag == tag ? &*found : nullptr;
}

std::uint32_t TTIFFDirectory::GetValue(std::uint16_t tag, std::uint32_t fallback) const {
    const TTIFFEntry* entry = FindTag(tag);
    if (entry == nullptr) return fallback;
    if (entry->DataCount != 1) return entry->ValueOrOffset;
    switch (ValueSize(entry->DataType)) {
        case 1: return entry->ValueOrOffset & 0xFFu;
        case 2: return entry->ValueOrOffset & 0xFFFFu;
        case 4: return entry->ValueOrOffset;
        default: return fallback;
    }
}

std::vector<std::uint32_t> TTIFFDirectory::ReadValues(std::uint16_t tag) const {
    const TTIFFEntry* entry = FindTag(tag);
    if (entry == nullptr) return {};
    const std::uint32_t size = ValueSize(entry->DataType);
    if (size == 0) return {};
    const std::uint64_t byteCount = std::uint64_t{entry->DataCount} * size;
    std::vector<std::uint8_t> bytes(entry->Raw.begin(), entry->Raw.end());
    if (byteCount > bytes.size()) {
        SeekData(entry->ValueOrOffset, byteCount);  // before allocating: the file must hold them
        bytes = file_.ReadBytes(byteCount);
    }
    std::vector<std::uint32_t> values(entry->DataCount);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::uint8_t* p = &bytes[i * size];
        values[i] = size == 1 ? *p : size == 2 ? Get16(p) : Get32(p);
    }
    return values;
}

std::vector<std::uint8_t> TTIFFDirectory::ReadOpaqueBytes(std::uint16_t tag, std::uint32_t limit) const {
    const TTIFFEntry* entry = FindTag(tag);
    if (entry == nullptr || (entry->DataType != dtByte && entry->DataType != dtUndefined) || entry->DataCount > limit)
        return {};
    if (entry->DataCount <= entry->Raw.size()) return {entry->Raw.begin(), entry->Raw.begin() + entry->DataCount};
    const auto fileBytes = static_cast<std::uint64_t>(file_.Size() - basePosition_);
    if (std::uint64_t{entry->ValueOrOffset} + entry->DataCount > fileBytes) return {};
    SeekData(entry->ValueOrOffset, entry->DataCount);
    return file_.ReadBytes(entry->DataCount);
}

std::vector<double> TTIFFDirectory::ReadRationals(std::uint16_t tag) const {
    const TTIFFEntry* entry = FindTag(tag);
    if (entry == nullptr || entry->DataType != dtRational) return {};
    const std::uint64_t byteCount = std::uint64_t{entry->DataCount} * 8;
    SeekData(entry->ValueOrOffset, byteCount);
    const std::vector<std::uint8_t> bytes = file_.ReadBytes(byteCount);
    std::vector<double> values(entry->DataCount);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::uint32_t denominator = Get32(&bytes[i * 8 + 4]);
        if (denominator == 0) return {};
        values[i] = static_cast<double>(Get32(&bytes[i * 8])) / denominator;
    }
    return values;
}

}  // namespace pellumo
