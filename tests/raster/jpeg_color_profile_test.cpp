// The ICC profile of a JPEG's APP2 markers, and its way from the graphic that read it to the
// bitmaps made of it: the intake converts what reaches its bitmap, so a profile lost on the
// way would leave a picture's colours wrong without a word.
#include <gtest/gtest.h>

#include "base/memory_stream.h"
#include "color_profile_files.h"
#include "raster/bitmap.h"
#include "raster/jpeg_codec.h"
#include "raster/jpeg_image.h"

namespace pellumo {
namespace {

using profile_files::IccMarker;
using profile_files::TBytes;

TBytes SmallJpeg() {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 24; ++x) bitmap.ScanLine(y)[x] = static_cast<std::uint8_t>(x * 10 + y * 3);
    return EncodeJpeg(bitmap, 90);
}

// Three markers' worth, no two parts alike.
TBytes LargeProfile() {
    TBytes profile(2 * profile_files::kLargestMarkerPart + 1000);
    for (std::size_t i = 0; i < profile.size(); ++i) profile[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    return profile;
}

void Load(TJPEGImage& jpeg, const TBytes& bytes) {
    TMemoryStream stream(bytes);
    jpeg.LoadFromStream(stream);
}

TEST(JpegColorProfile, APartedProfileIsJoinedAndFollowsThePicture) {
    const TBytes profile = LargeProfile();
    TJPEGImage jpeg;
    Load(jpeg, profile_files::WithJpegProfile(SmallJpeg(), profile));
    EXPECT_EQ(jpeg.ColorProfile(), profile);
    TBitmap decoded;
    decoded.Assign(jpeg);
    EXPECT_EQ(decoded.ColorProfile(), profile);
    TBitmap copy;
    copy.Assign(decoded);
    const TBitmap moved(std::move(copy));
    EXPECT_EQ(moved.ColorProfile(), profile);

    // Work done in place (turning, fitting) hands the bitmap a new image by a move: it is still
    // the picture the profile describes. Released, the bitmap starts afresh.
    TBitmap turned;
    turned.SetPixelFormat(pf24bit);
    turned.SetSize(8, 8);
    decoded.Assign(std::move(turned));
    EXPECT_EQ(decoded.ColorProfile(), profile);
    decoded.ReleaseHandle();
    EXPECT_TRUE(decoded.ColorProfile().empty());
    Load(jpeg, SmallJpeg());
    EXPECT_TRUE(jpeg.ColorProfile().empty());
}

TEST(JpegColorProfile, AProfileWhosePartsDoNotAddUpIsDroppedAndThePictureLoadsAsBefore) {
    const TBytes plain = SmallJpeg();
    const std::vector<TBytes> parts = profile_files::ProfileParts(LargeProfile());
    const std::vector<std::vector<TBytes>> damaged = {
        {IccMarker(parts[0], 1, 3), IccMarker(parts[2], 3, 3)},                               // one missing
        {IccMarker(parts[0], 1, 3), IccMarker(parts[1], 2, 3), IccMarker(parts[1], 2, 3)},  // one twice
        {IccMarker(parts[0], 1, 2), IccMarker(parts[1], 3, 2)},                               // beyond the count
    };
    for (const std::vector<TBytes>& markers : damaged) {
        TJPEGImage jpeg;
        Load(jpeg, profile_files::WithMarkers(plain, markers));
        EXPECT_TRUE(jpeg.ColorProfile().empty());
        TBitmap decoded;
        decoded.Assign(jpeg);
        EXPECT_EQ(decoded.Width(), 8);
    }
}

}  // namespace
}  // namespace pellumo
