#include "authoring/exif_orientation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace pellumo {
namespace {

using TBytes = std::vector<std::uint8_t>;

const std::string kJpegFolder = PELLUMO_TEST_DATA "/jpeg/";

TBytes FileBytes(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct TEntry {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    std::uint16_t value;
};

// A TIFF header and one directory of the entries at offset 8, in either byte order;
// `nextDirectory` is the link the directory ends with.
class TTiffBuilder {
public:
    explicit TTiffBuilder(bool bigEndian) : bigEndian_(bigEndian) {
        bytes.push_back(bigEndian ? 'M' : 'I');
        bytes.push_back(bigEndian ? 'M' : 'I');
        U16(42);
        U32(8);
    }
    TTiffBuilder& Directory(const std::vector<TEntry>& entries, std::uint32_t nextDirectory = 0) {
        U16(static_cast<std::uint16_t>(entries.size()));
        for (const TEntry& e : entries) {
            U16(e.tag);
            U16(e.type);
            U32(e.count);
            U16(e.value);  // a SHORT sits in the first two bytes of the value field
            U16(0);
        }
        U32(nextDirectory);
        return *this;
    }
    void U16(std::uint16_t v) {
        const std::uint8_t high = static_cast<std::uint8_t>(v >> 8), low = static_cast<std::uint8_t>(v);
        bytes.insert(bytes.end(), bigEndian_ ? std::initializer_list<std::uint8_t>{high, low}
                                             : std::initializer_list<std::uint8_t>{low, high});
    }
    void U32(std::uint32_t v) {
        U16(static_cast<std::uint16_t>(bigEndian_ ? v >> 16 : v));
        U16(static_cast<std::uint16_t>(bigEndian_ ? v : v >> 16));
    }
    TBytes bytes;

private:
    bool bigEndian_;
};

TEntry Orientation(std::uint16_t value) { return {0x0112, 3, 1, value}; }

TBytes Segment(std::uint8_t marker, const TBytes& payload) {
    TBytes segment{0xFF, marker, static_cast<std::uint8_t>((payload.size() + 2) >> 8),
                   static_cast<std::uint8_t>(payload.size() + 2)};
    segment.insert(segment.end(), payload.begin(), payload.end());
    return segment;
}

TBytes ExifSegment(const TBytes& tiff) {
    TBytes payload{'E', 'x', 'i', 'f', 0, 0};
    payload.insert(payload.end(), tiff.begin(), tiff.end());
    return Segment(0xE1, payload);
}

// A real JPEG with the segments inserted right after its start of image.
TBytes JpegWith(const std::vector<TBytes>& segments) {
    TBytes jpeg = FileBytes(kJpegFolder + "colour_16x16.jpg");
    for (auto segment = segments.rbegin(); segment != segments.rend(); ++segment)
        jpeg.insert(jpeg.begin() + 2, segment->begin(), segment->end());
    return jpeg;
}

TBytes JpegWithExif(const TBytes& tiff) { return JpegWith({ExifSegment(tiff)}); }

TEST(ExifOrientation, ReadsWhatACameraToolWrote) {
    EXPECT_EQ(ExifOrientation(FileBytes(kJpegFolder + "orientation_6_mm_16x16.jpg")), 6);
    EXPECT_EQ(ExifOrientation(FileBytes(kJpegFolder + "orientation_8_ii_16x16.jpg")), 8);
    EXPECT_EQ(ExifOrientation(FileBytes(kJpegFolder + "colour_16x16.jpg")), 1);  // JFIF only
}

TEST(ExifOrientation, EveryValueInBothByteOrdersAmongOtherTags) {
    for (const bool bigEndian : {false, true}) {
        for (std::uint16_t value = 1; value <= 8; ++value) {
            TTiffBuilder tiff(bigEndian);
            tiff.Directory({{0x010F, 2, 4, 0}, Orientation(value), {0x0131, 2, 4, 0}});
            EXPECT_EQ(ExifOrientation(JpegWithExif(tiff.bytes)), value) << bigEndian;
        }
    }
}

// Where the segment sits: after other segments and fill bytes counts, after the scan does not;
// another APP1 (XMP) neither hides the Exif one nor stands for it.
TEST(ExifOrientation, FindsTheSegmentOnlyBeforeTheScan) {
    TTiffBuilder tiff(true);
    tiff.Directory({Orientation(3)});
    const TBytes exif = ExifSegment(tiff.bytes);
    const std::string xmp = "http://ns.adobe.com/xap/1.0/";
    const TBytes xmpSegment = Segment(0xE1, TBytes(xmp.begin(), xmp.end()));
    EXPECT_EQ(ExifOrientation(JpegWith({Segment(0xE2, {1, 2, 3}), xmpSegment, {0xFF, 0xFF}, exif})), 3);

    TBytes afterScan = FileBytes(kJpegFolder + "colour_16x16.jpg");
    afterScan.insert(afterScan.end() - 2, exif.begin(), exif.end());
    EXPECT_EQ(ExifOrientation(afterScan), 1);
}

TEST(ExifOrientation, AnythingUnreadableIsUpright) {
    const auto directory = [](bool bigEndian, const std::vector<TEntry>& entries, std::uint32_t next = 0) {
        TTiffBuilder tiff(bigEndian);
        tiff.Directory(entries, next);
        return tiff.bytes;
    };
    TBytes badOrder = directory(false, {Orientation(6)});
    badOrder[0] = badOrder[1] = 'X';
    TBytes badMagic = directory(true, {Orientation(6)});
    badMagic[3] = 43;
    TBytes farDirectory = directory(false, {Orientation(6)});
    farDirectory[4] = farDirectory[5] = farDirectory[6] = farDirectory[7] = 0xFF;
    TBytes directoryAtEnd = directory(false, {Orientation(6)});
    directoryAtEnd[4] = static_cast<std::uint8_t>(directoryAtEnd.size() - 1);
    TBytes hugeCount = directory(true, {{0x010F, 2, 4, 0}});
    hugeCount[8] = hugeCount[9] = 0xFF;
    TBytes cutEntry = directory(false, {{0x010F, 2, 4, 0}, Orientation(6)});
    cutEntry.resize(cutEntry.size() - 4 - 6);  // the link and part of the orientation's value

    // The orientation of a following directory (the thumbnail's) is not the picture's.
    TTiffBuilder linked(false);
    linked.Directory({{0x010F, 2, 4, 0}}, 26).Directory({Orientation(6)});

    const std::pair<const char*, TBytes> cases[] = {
        {"value 0", directory(false, {Orientation(0)})},
        {"value 9", directory(true, {Orientation(9)})},
        {"value 0x0106", directory(true, {Orientation(0x0106)})},
        {"LONG instead of SHORT", directory(false, {{0x0112, 4, 1, 6}})},
        {"two values", directory(true, {{0x0112, 3, 2, 6}})},
        {"byte order", badOrder},
        {"magic number", badMagic},
        {"directory beyond the segment", farDirectory},
        {"directory on the last byte", directoryAtEnd},
        {"entry count beyond the segment", hugeCount},
        {"cut entry", cutEntry},
        {"next directory", linked.bytes},
        {"no TIFF header", {}},
    };
    for (const auto& [what, tiff] : cases) EXPECT_EQ(ExifOrientation(JpegWithExif(tiff)), 1) << what;

    TBytes lengthPastEnd = JpegWithExif(directory(true, {Orientation(6)}));
    lengthPastEnd.resize(30);
    EXPECT_EQ(ExifOrientation(lengthPastEnd), 1);
    TBytes shortLength = JpegWithExif(directory(true, {Orientation(6)}));
    shortLength[4] = 0;
    shortLength[5] = 1;
    EXPECT_EQ(ExifOrientation(shortLength), 1);
    EXPECT_EQ(ExifOrientation(TBytes{0xFF, 0xD8, 0x12, 0x34}), 1);  // no marker where one belongs
    EXPECT_EQ(ExifOrientation(ExifSegment(directory(true, {Orientation(6)}))), 1);  // not a JPEG
}

// A file cut anywhere yields 1 until the whole directory entry is there (under the sanitizers
// this also shows that no cut reads past the end).
TEST(ExifOrientation, TruncatedFilesNeverReadPastTheEnd) {
    const TBytes file = FileBytes(kJpegFolder + "orientation_6_mm_16x16.jpg");
    const std::size_t segmentEnd = 4 + 0x0010 + 2 + 0x0076;  // JFIF segment, then the Exif one
    for (std::size_t size = 0; size <= file.size(); ++size) {
        const std::vector<std::uint8_t> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_EQ(ExifOrientation(cut), size < segmentEnd ? 1 : 6) << size;
    }
}

}  // namespace
}  // namespace pellumo
