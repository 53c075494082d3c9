#include "authoring/picture_folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "authoring/exif_test_jpeg.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const std::vector<std::string>& paths) {
    std::vector<std::string> names;
    for (const std::string& path : paths) names.push_back(fs::path(path).filename().string());
    return names;
}

// Pictures with a date first, by date, even one whose Exif data lies beyond the first
// kilobytes; equal dates and undated pictures in name order; other files left out.
TEST(PicturesInFolderByDate, DatedPicturesByDateThenTheOthersByName) {
    const fs::path folder = fs::path(::testing::TempDir()) / "pictures_by_date";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const auto write = [&folder](const char* name, const TExifBytes& bytes) {
        WriteExifTestFile((folder / name).string(), bytes);
    };
    write("b 10.jpg", JpegWithExifDates("2020:05:01 10:00:00", std::nullopt));
    write("b 2.JPG", JpegWithExifDates("2020:05:01 10:00:00", std::nullopt, true));
    write("a.jpg", ExifTestFile(PELLUMO_TEST_DATA "/jpeg/colour_16x16.jpg"));
    write("c.jpeg", JpegWithExifDates(std::nullopt, "2019:01:01 00:00:00"));
    write("d.bmp", ExifTestFile(PELLUMO_TEST_DATA "/jpeg/colour_16x16.jpg"));  // undated
    write("e.txt", JpegWithExifDates("2000:01:01 00:00:00", std::nullopt));
    // A large segment (an ICC profile, say) before the Exif one.
    TExifBytes late = JpegWithExifDates("2018:12:31 23:59:59", std::nullopt);
    TExifBytes profile{0xFF, 0xE2, 0x9C, 0x42};  // 40000 bytes after the length
    profile.resize(4 + 40000);
    late.insert(late.begin() + 2, profile.begin(), profile.end());
    write("z.jpg", late);

    EXPECT_EQ(Names(PicturesInFolderByDate(folder.string())),
              (std::vector<std::string>{"z.jpg", "c.jpeg", "b 2.JPG", "b 10.jpg", "a.jpg", "d.bmp"}));
    EXPECT_EQ(Names(PicturesInFolder(folder.string())),
              (std::vector<std::string>{"a.jpg", "b 2.JPG", "b 10.jpg", "c.jpeg", "d.bmp", "z.jpg"}));
    fs::remove_all(folder);
}

}  // namespace
}  // namespace pellumo
