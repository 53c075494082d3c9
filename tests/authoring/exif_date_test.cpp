#include "authoring/exif_date.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "authoring/exif_test_jpeg.h"

namespace pellumo {
namespace {

const std::string kTaken = "2021:07:14 18:30:05";
const std::string kMade = "2022:01:02 03:04:05";

TEST(ExifDateTaken, TheOriginalDateComesFirstThenTheFileDate) {
    for (const bool bigEndian : {false, true}) {
        EXPECT_EQ(ExifDateTaken(JpegWithExifDates(kTaken, kMade, bigEndian)), kTaken) << bigEndian;
        EXPECT_EQ(ExifDateTaken(JpegWithExifDates(kTaken, std::nullopt, bigEndian)), kTaken) << bigEndian;
        EXPECT_EQ(ExifDateTaken(JpegWithExifDates(std::nullopt, kMade, bigEndian)), kMade) << bigEndian;
        // What cameras write when they do not know the date stands for none.
        EXPECT_EQ(ExifDateTaken(JpegWithExifDates("    :  :     :  :  ", kMade, bigEndian)), kMade) << bigEndian;
        EXPECT_EQ(ExifDateTaken(JpegWithExifDates("0000:00:00 00:00:00", kMade, bigEndian)), kMade) << bigEndian;
        EXPECT_EQ(ExifDateTaken(JpegWithExifDates("0000:00:00 00:00:00", std::nullopt, bigEndian)), std::nullopt);
    }
    EXPECT_EQ(ExifDateTaken(ExifTestFile(PELLUMO_TEST_DATA "/jpeg/colour_16x16.jpg")), std::nullopt);  // JFIF only
    EXPECT_EQ(ExifDateTaken(ExifTestFile(PELLUMO_TEST_DATA "/jpeg/orientation_6_mm_16x16.jpg")), std::nullopt);
}

// Offsets and counts that point out of the segment, and files cut anywhere, yield no date and
// read nothing beyond the bytes given (the sanitizer builds show the latter).
TEST(ExifDateTaken, BrokenOrTruncatedExifIsRefusedSafely) {
    const TExifBytes tiff = ExifDatesTiff(kTaken, std::nullopt, false);
    // Little-endian layout: the first directory's link entry at 10, its value at 18; the Exif
    // directory at 26, its date entry at 28 (count at 32, offset at 36).
    const auto with = [&tiff](std::size_t at, std::vector<std::uint8_t> bytes) {
        TExifBytes changed = tiff;
        std::copy(bytes.begin(), bytes.end(), changed.begin() + static_cast<std::ptrdiff_t>(at));
        return JpegWithExifTiff(changed);
    };
    ASSERT_EQ(ExifDateTaken(with(36, {44, 0, 0, 0})), kTaken);  // the layout is as said
    const std::pair<const char*, TExifBytes> cases[] = {
        {"date beyond the segment", with(36, {0xF0, 0xFF, 0, 0})},
        {"date running over the end", with(36, {static_cast<std::uint8_t>(tiff.size() - 10), 0, 0, 0})},
        {"huge count", with(32, {0xFF, 0xFF, 0xFF, 0xFF})},
        {"short count", with(32, {5, 0, 0, 0})},
        {"not ASCII", with(30, {7, 0})},
        {"Exif directory beyond the segment", with(18, {0xFF, 0xFF, 0xFF, 0x7F})},
        {"Exif directory on the last byte", with(18, {static_cast<std::uint8_t>(tiff.size() - 1), 0, 0, 0})},
        {"letters in the date", with(44, {'2', '0', '2', 'l'})},
        {"no TIFF header", JpegWithExifTiff({})},
    };
    for (const auto& [what, jpeg] : cases) EXPECT_EQ(ExifDateTaken(jpeg), std::nullopt) << what;

    const TExifBytes file = JpegWithExifDates(kTaken, std::nullopt, true);
    const std::size_t segmentEnd = 2 + 4 + 6 + tiff.size();
    for (std::size_t size = 0; size <= file.size(); ++size) {
        const TExifBytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_EQ(ExifDateTaken(cut), size < segmentEnd ? std::nullopt : std::optional(kTaken)) << size;
    }
}

}  // namespace
}  // namespace pellumo
