#pragma once

// Pictures made at test time by a format library's own command-line tools, in a folder each
// test starts empty: the library's encoder writes the file our reader loads, its decoder the
// PNG we compare with.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "base/memory_stream.h"
#include "imaging/formats/png_graphic.h"
#include "raster/bitmap.h"
#include "raster/pixel_rows.h"
#include "temporary_folder.h"

namespace pellumo::test {

namespace fs = std::filesystem;

// True when the program is an executable on the PATH.
inline bool HasTool(const std::string& program) {
    std::istringstream path(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "");
    for (std::string folder; std::getline(path, folder, ':');)
        if (!folder.empty() && ::access((fs::path(folder) / program).c_str(), X_OK) == 0) return true;
    return false;
}

// Runs the program through the shell, every argument quoted, its output discarded; true when it
// succeeded. Arguments are options and paths of the test's own folder: none holds a quote.
inline bool RunTool(const std::string& program, const std::vector<std::string>& args) {
    std::string command = program;
    for (const std::string& arg : args) {
        EXPECT_EQ(arg.find('\''), std::string::npos) << arg;
        command += " '" + arg + "'";
    }
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// A picture whose red rises from left to right, green from top to bottom and blue along the
// diagonal, so that swapped channels or a flipped picture show; with alpha, a 32-bit picture
// whose alpha rises from left to right, never 0 (an encoder may change the colour of pixels
// no one sees).
inline TBitmap Gradient(bool alpha, int width = 64, int height = 48) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(alpha ? pf32bit : pf24bit);
    bitmap.SetSize(width, height);
    const int pixelBytes = alpha ? 4 : 3;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* pixel = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x, pixel += pixelBytes) {
            pixel[0] = static_cast<std::uint8_t>((x + y) * 255 / (width + height - 2));
            pixel[1] = static_cast<std::uint8_t>(y * 255 / (height - 1));
            pixel[2] = static_cast<std::uint8_t>(x * 255 / (width - 1));
            if (alpha) pixel[3] = static_cast<std::uint8_t>(40 + x * 215 / (width - 1));
        }
    }
    return bitmap;
}

inline void SavePng(const TBitmap& bitmap, const fs::path& file) {
    TPNGGraphic png;
    png.Assign(bitmap);
    png.SaveToFile(file.string());
}

inline TBitmap LoadPng(const fs::path& file) {
    TPNGGraphic png;
    png.LoadFromFile(file.string());
    TBitmap bitmap;
    bitmap.Assign(png);
    return bitmap;
}

inline std::vector<std::uint8_t> FileContents(const fs::path& file) {
    TMemoryStream stream;
    stream.LoadFromFile(file.string());
    return stream.Bytes();
}

// The largest difference of a channel, alpha included, between two pictures read through their
// own formats; -1 when their sizes differ or only one has an alpha.
inline int LargestDifference(const TBitmap& ours, const TBitmap& reference) {
    const bool alpha = ours.PixelFormat() == pf32bit;
    if (ours.Width() != reference.Width() || ours.Height() != reference.Height() ||
        alpha != (reference.PixelFormat() == pf32bit))
        return -1;
    const auto width = static_cast<std::size_t>(ours.Width());
    std::vector<std::uint8_t> mine(width * 4, 255), theirs(width * 4, 255);
    int largest = 0;
    for (int y = 0; y < ours.Height(); ++y) {
        if (alpha) {
            std::copy_n(ours.ScanLine(y), mine.size(), mine.begin());
            std::copy_n(reference.ScanLine(y), theirs.size(), theirs.begin());
        } else {
            UnpackRow(ours.ScanLine(y), ours.PixelFormat(), ours.Palette(), ours.Width(), mine.data());
            UnpackRow(reference.ScanLine(y), reference.PixelFormat(), reference.Palette(), reference.Width(),
                      theirs.data());
        }
        for (std::size_t i = 0; i < mine.size(); ++i)
            if (alpha || i % 4 != 3) largest = std::max(largest, std::abs(mine[i] - theirs[i]));
    }
    return largest;
}

// A folder of the test's own for the tools' files, removed when the test ends.
class ToolFolder : public TemporaryFolderTest {
protected:
    std::string File(const std::string& name) const { return (folder / name).string(); }
};

}  // namespace pellumo::test
