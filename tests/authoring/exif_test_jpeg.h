#pragma once

// Small real JPEGs carrying Exif dates as a camera writes them: the original date and time
// in the Exif directory, which the first image directory links to, and the file's date in
// the first directory.
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace pellumo {

using TExifBytes = std::vector<std::uint8_t>;

inline TExifBytes ExifTestFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The Exif segment's TIFF data: a first directory (0x0132 DateTime when given, 0x8769 the link)
// at 8, the Exif directory (0x9003 DateTimeOriginal when given) after it, then the strings.
inline TExifBytes ExifDatesTiff(const std::optional<std::string>& original, const std::optional<std::string>& made,
                                bool bigEndian) {
    TExifBytes bytes;
    const auto u16 = [&](std::uint32_t v) {
        const auto high = static_cast<std::uint8_t>(v >> 8), low = static_cast<std::uint8_t>(v);
        bytes.push_back(bigEndian ? high : low);
        bytes.push_back(bigEndian ? low : high);
    };
    const auto u32 = [&](std::uint32_t v) {
        u16(bigEndian ? v >> 16 : v & 0xFFFF);
        u16(bigEndian ? v & 0xFFFF : v >> 16);
    };
    const std::uint32_t firstEntries = made ? 2 : 1, exifEntries = original ? 1 : 0;
    const std::uint32_t exifDirectory = 8 + 2 + 12 * firstEntries + 4;
    std::uint32_t strings = exifDirectory + 2 + 12 * exifEntries + 4;
    std::vector<std::string> texts;
    const auto dateEntry = [&](std::uint16_t tag, const std::string& text) {
        u16(tag);
        u16(2);  // ASCII
        u32(static_cast<std::uint32_t>(text.size() + 1));
        u32(strings);
        strings += static_cast<std::uint32_t>(text.size() + 1);
        texts.push_back(text);
    };
    bytes.push_back(bigEndian ? 'M' : 'I');
    bytes.push_back(bigEndian ? 'M' : 'I');
    u16(42);
    u32(8);
    u16(firstEntries);
    if (made) dateEntry(0x0132, *made);
    u16(0x8769);
    u16(4);  // LONG
    u32(1);
    u32(exifDirectory);
    u32(0);
    u16(exifEntries);
    if (original) dateEntry(0x9003, *original);
    u32(0);
    for (const std::string& text : texts) {
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
    }
    return bytes;
}

// A real 16 x 16 JPEG with that TIFF data in an Exif segment right after its start.
inline TExifBytes JpegWithExifTiff(const TExifBytes& tiff) {
    TExifBytes segment{0xFF, 0xE1, static_cast<std::uint8_t>((tiff.size() + 8) >> 8),
                       static_cast<std::uint8_t>(tiff.size() + 8), 'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    TExifBytes jpeg = ExifTestFile(PELLUMO_TEST_DATA "/jpeg/colour_16x16.jpg");
    jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
    return jpeg;
}

inline TExifBytes JpegWithExifDates(const std::optional<std::string>& original, const std::optional<std::string>& made,
                                    bool bigEndian = false) {
    return JpegWithExifTiff(ExifDatesTiff(original, made, bigEndian));
}

inline void WriteExifTestFile(const std::string& fileName, const TExifBytes& bytes) {
    std::ofstream(fileName, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace pellumo
