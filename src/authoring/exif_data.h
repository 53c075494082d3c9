#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace pellumo {

// The Exif data of a JPEG: the TIFF structure its APP1 "Exif" segment holds, read with every
// offset checked against the segment's end, so that no value, however made up, reads beyond
// the bytes given.
class TExifData {
public:
    static constexpr std::uint16_t kAsciiType = 2;
    static constexpr std::uint16_t kShortType = 3;
    static constexpr std::uint16_t kLongType = 4;

    // One entry of an image directory; `entryAt` is the offset of its twelve bytes.
    struct TEntry {
        std::uint16_t type = 0;
        std::uint32_t count = 0;
        std::size_t entryAt = 0;
    };

    // The first Exif segment before the scan, when its TIFF header reads; none otherwise. Reads
    // only the markers before the scan, and none beyond the bytes given. The data is a view of
    // `jpeg`, which must outlive it.
    static std::optional<TExifData> OfJpeg(std::span<const std::uint8_t> jpeg);

    // The offset of the first image directory (the picture's own; the next one, if any, is its
    // thumbnail's).
    std::size_t FirstDirectory() const { return firstDirectory_; }
    // The entry of the tag in the directory at `directory`. A count of entries larger than the
    // segment holds is cut to what is there; none when the tag is not found.
    std::optional<TEntry> Find(std::size_t directory, std::uint16_t tag) const;

    std::optional<std::uint16_t> U16(std::size_t offset) const;
    std::optional<std::uint32_t> U32(std::size_t offset) const;
    // An entry's value as bytes: inside the entry when it takes four bytes or fewer, else where
    // the entry points. None when the value's size is not known for its type or it lies beyond
    // the segment.
    std::optional<std::span<const std::uint8_t>> ValueBytes(const TEntry& entry) const;

private:
    TExifData(std::span<const std::uint8_t> tiff, bool bigEndian, std::size_t firstDirectory)
        : tiff_(tiff), bigEndian_(bigEndian), firstDirectory_(firstDirectory) {}

    std::span<const std::uint8_t> tiff_;
    bool bigEndian_;
    std::size_t firstDirectory_;
};

}  // namespace pellumo
