// The ICC profiles that PNG and TIFF files carry. A damaged or oversized profile is passed over:
// the picture loads exactly as it would without it.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/memory_stream.h"
#include "color_profile_files.h"
#include "imaging/formats/png_graphic.h"
#include "imaging/formats/tiff_graphic.h"

namespace pellumo {
namespace {

using profile_files::TBytes;

// A 3 x 2 RGB image, rows unfiltered.
const TBytes kRgbRows = {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
const TBytes kPlainPng = png_files::File(png_files::HeaderData(3, 2, 8, 2), kRgbRows);
const TBytes kProfile = {'a', 'c', 's', 'p', 1, 2, 3, 0, 0, 0, 250};

template <typename Graphic>
TBytes LoadedRows(Graphic& graphic, const TBytes& file) {
    TMemoryStream stream(file);
    graphic.LoadFromStream(stream);
    TBytes rows;
    for (int y = 0; y < graphic.Height(); ++y)
        rows.insert(rows.end(), graphic.ScanLine(y), graphic.ScanLine(y) + graphic.RowBytes());
    return rows;
}

TBytes IccpChunk(const TBytes& data) { return png_files::Chunk("iCCP", data); }

TEST(PngColorProfile, TheFirstIccpChunkCountsAndADamagedOneLosesNothing) {
    TPNGGraphic png;
    const TBytes plainRows = LoadedRows(png, kPlainPng);
    LoadedRows(png, profile_files::WithPngChunks(kPlainPng, {IccpChunk(profile_files::IccpData(kProfile)),
                                                             IccpChunk(profile_files::IccpData({1, 2, 3}))}));
    EXPECT_EQ(png.ColorProfile(), kProfile);

    TBytes badCrc = IccpChunk(profile_files::IccpData(kProfile));
    badCrc.back() ^= 1;
    TBytes badData = profile_files::IccpData(kProfile);
    badData[7] ^= 0x55;
    // Five megabytes of zeros deflate to a few kilobytes: beyond the bound, whatever the chunk's size.
    const std::vector<TBytes> damaged = {badCrc, IccpChunk(badData), IccpChunk(TBytes(90, 'n')),
                                         IccpChunk(profile_files::IccpData(TBytes(5 << 20, 0)))};
    for (const TBytes& chunk : damaged) {
        EXPECT_EQ(LoadedRows(png, profile_files::WithPngChunks(kPlainPng, {chunk})), plainRows);
        EXPECT_TRUE(png.ColorProfile().empty());
    }
}

// A gAMA chunk that changes the levels leaves pixels the profile no longer describes; one of
// 1/2.2 changes none.
TEST(PngColorProfile, AGammaThatChangedTheLevelsTakesTheProfileAway) {
    const auto gamma = [](std::uint32_t value) {
        TBytes data;
        png_files::PutBE32(data, value);
        return png_files::Chunk("gAMA", data);
    };
    const TBytes iccp = IccpChunk(profile_files::IccpData(kProfile));
    TPNGGraphic png;
    LoadedRows(png, profile_files::WithPngChunks(kPlainPng, {gamma(45455), iccp}));
    EXPECT_EQ(png.ColorProfile(), kProfile);
    LoadedRows(png, profile_files::WithPngChunks(kPlainPng, {iccp, gamma(100000)}));
    EXPECT_TRUE(png.ColorProfile().empty());
}

TEST(TiffColorProfile, Tag34675GivesTheProfileWhenTheFileHoldsItAll) {
    const TBytes rgb = {10, 20, 30, 40, 50, 60};
    TTIFFGraphic tiff;
    const TBytes rows = LoadedRows(tiff, profile_files::RgbTiff(2, 1, rgb, kProfile));
    EXPECT_EQ(tiff.ColorProfile(), kProfile);

    // The tag pointing past the end of the file: the picture loads, without a profile.
    TBytes beyond = profile_files::RgbTiff(2, 1, rgb, kProfile);
    const TBytes entry{0x73, 0x87, 0x01, 0x00};  // tag 34675, type BYTE, little-endian
    const auto at = std::search(beyond.begin(), beyond.end(), entry.begin(), entry.end());
    ASSERT_NE(at, beyond.end());
    at[11] = 0x7F;  // the high byte of the value's offset
    EXPECT_EQ(LoadedRows(tiff, beyond), rows);
    EXPECT_TRUE(tiff.ColorProfile().empty());
}

}  // namespace
}  // namespace pellumo
