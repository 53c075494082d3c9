#pragma once

// Pictures with colour profiles for the intake's tests, in a folder of their own, and what
// Little CMS's own tool makes of them: tificc converts a TIFF losslessly, so the reference
// holds no compression loss of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "color_profile_files.h"
#include "imaging/formats/tiff_graphic.h"
#include "raster/bitmap.h"
#include "raster/pixels.h"

namespace pellumo::color_pictures {

namespace fs = std::filesystem;
using TBytes = std::vector<std::uint8_t>;

constexpr int kWidth = 48;
constexpr int kHeight = 32;

// Smooth ramps over the whole range, saturated enough that a wide-gamut profile moves them far.
inline TBitmap Ramp() {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            probe::SetPixel(bitmap, x, y, {x * 255 / (kWidth - 1), y * 255 / (kHeight - 1), 255 - x * 3 - y * 2});
    return bitmap;
}

// A bitmap's pixels as RGB samples, the order of TIFF and PNG.
inline TBytes RgbSamples(const TBitmap& bitmap) {
    TBytes rgb;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            const probe::Rgb c = probe::PixelAt(bitmap, x, y);
            rgb.insert(rgb.end(), {static_cast<std::uint8_t>(c.r), static_cast<std::uint8_t>(c.g), static_cast<std::uint8_t>(c.b)});
        }
    return rgb;
}

// The largest difference of any channel of any pixel.
inline int MaxDifference(const TBitmap& a, const TBitmap& b) {
    EXPECT_EQ(a.Width(), b.Width());
    EXPECT_EQ(a.Height(), b.Height());
    int largest = 0;
    for (int y = 0; y < std::min(a.Height(), b.Height()); ++y)
        for (int x = 0; x < std::min(a.Width(), b.Width()); ++x) {
            const probe::Rgb p = probe::PixelAt(a, x, y), q = probe::PixelAt(b, x, y);
            largest = std::max({largest, std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b)});
        }
    return largest;
}

class ColorPictures : public ::testing::Test {
protected:
    fs::path folder;

    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "color-pictures-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string Write(const std::string& name, const TBytes& bytes) const {
        const fs::path file = folder / name;
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return file.string();
    }

    // What tificc makes of these pixels under this profile with its defaults (sRGB, perceptual
    // intent), read back through our TIFF reader.
    TBitmap TificcReference(const TBitmap& pixels, const TBytes& profile) const {
        const auto width = static_cast<std::uint32_t>(pixels.Width()), height = static_cast<std::uint32_t>(pixels.Height());
        const std::string input = Write("in.tif", profile_files::RgbTiff(width, height, RgbSamples(pixels), profile));
        const std::string output = (folder / "out.tif").string();
        const std::string command = "tificc '" + input + "' '" + output + "' > /dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        TTIFFGraphic tiff;
        tiff.LoadFromFile(output);
        TBitmap reference;
        reference.Assign(tiff);
        return reference;
    }
};

}  // namespace pellumo::color_pictures
