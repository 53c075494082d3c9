#include "authoring/exif_date.h"

#include <string_view>

#include "authoring/exif_data.h"

namespace pellumo {
namespace {

constexpr std::uint16_t kDateTimeTag = 0x0132;
constexpr std::uint16_t kExifDirectoryTag = 0x8769;
constexpr std::uint16_t kDateTimeOriginalTag = 0x9003;
constexpr std::string_view kPattern = "dddd:dd:dd dd:dd:dd";

// The value of an ASCII date entry when it is a real date: twenty bytes as Exif has them (the
// last a NUL, which some writers leave out), digits where digits go, a month and a day that
// are not zero.
std::optional<std::string> DateOf(const TExifData& exif, const std::optional<TExifData::TEntry>& entry) {
    if (!entry || entry->type != TExifData::kAsciiType || entry->count < kPattern.size()) return std::nullopt;
    const auto bytes = exif.ValueBytes(*entry);
    if (!bytes) return std::nullopt;
    std::string text(bytes->begin(), bytes->begin() + static_cast<std::ptrdiff_t>(kPattern.size()));
    for (std::size_t i = 0; i < kPattern.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kPattern[i] == 'd' ? !digit : text[i] != kPattern[i]) return std::nullopt;
    }
    if (text.compare(5, 2, "00") == 0 || text.compare(8, 2, "00") == 0) return std::nullopt;
    return text;
}

}  // namespace

std::optional<std::string> ExifDateTaken(std::span<const std::uint8_t> jpegBytes) {
    const auto exif = TExifData::OfJpeg(jpegBytes);
    if (!exif) return std::nullopt;
    const std::size_t first = exif->FirstDirectory();
    if (const auto link = exif->Find(first, kExifDirectoryTag);
        link && link->count == 1 && (link->type == TExifData::kLongType || link->type == 13 /* IFD */)) {
        // Only this one link is followed: one that points back cannot make the reading go round.
        if (const auto directory = exif->U32(link->entryAt + 8))
            if (auto date = DateOf(*exif, exif->Find(*directory, kDateTimeOriginalTag))) return date;
    }
    return DateOf(*exif, exif->Find(first, kDateTimeTag));
}

}  // namespace pellumo
