// What a show stores for pictures with colour profiles: sRGB pixels, as Little CMS's own tool
// makes them, while every JPEG that is sRGB already, or whose profile cannot be used, keeps
// its bytes. The stored JPEGs are compared with the tool's lossless result encoded at the same
// quality 100 by the same encoder: chroma subsampling alone moves these ramps by up to 17
// levels, the same on both sides.
#include "authoring/color_test_pictures.h"
#include "authoring/slide_pictures.h"
#include "icc_test_profiles.h"
#include "raster/jpeg_codec.h"

namespace pellumo {
namespace {

using color_pictures::ColorPictures;
using color_pictures::MaxDifference;
using color_pictures::Ramp;
using color_pictures::TBytes;

TBitmap Decoded(const TBytes& jpeg) {
    TBitmap bitmap;
    DecodeJpeg(jpeg, false, bitmap);
    return bitmap;
}

TBitmap StoredAtBest(const TBitmap& reference) { return Decoded(EncodeJpeg(reference, 100)); }

TEST_F(ColorPictures, JpegsThatAreSrgbOrWhoseProfileCannotBeUsedKeepTheirBytes) {
    const TBytes plain = EncodeJpeg(Ramp(), 90);
    const std::vector<TBytes> parts = profile_files::ProfileParts(icc_profiles::AdobeRgb(), 300);
    const TBytes adobe = profile_files::WithJpegProfile(plain, icc_profiles::AdobeRgb());
    const std::vector<TBytes> pictures = {
        plain,
        profile_files::WithJpegProfile(plain, icc_profiles::TabulatedSrgb()),
        profile_files::WithJpegProfile(plain, icc_profiles::Lab()),
        profile_files::WithMarkers(plain, {profile_files::IccMarker(parts[0], 1, static_cast<int>(parts.size()))}),
        profile_files::WithJpegProfile(plain, TBytes(600, 0x5A)),
    };
    for (std::size_t i = 0; i < pictures.size(); ++i)
        EXPECT_EQ(SlideJpegBytes(Write("picture.jpg", pictures[i]), 90, clBlack), pictures[i]) << "picture " << i;
    EXPECT_EQ(SlideJpegBytes(Write("adobe.jpg", adobe), 90, clBlack, false), adobe);
}

TEST_F(ColorPictures, AnAdobeRgbJpegIsStoredAsTificcConvertsIt) {
    const TBytes profile = icc_profiles::AdobeRgb();
    const TBytes jpeg = profile_files::WithJpegProfile(EncodeJpeg(Ramp(), 95), profile);
    const TBitmap stored = Decoded(SlideJpegBytes(Write("adobe.jpg", jpeg), 100, clBlack));
    ASSERT_GT(MaxDifference(stored, Decoded(jpeg)), 20);
    EXPECT_LE(MaxDifference(stored, StoredAtBest(TificcReference(Decoded(jpeg), profile))), 2);
}

TEST_F(ColorPictures, ADisplayP3PngIsStoredAsTificcConvertsIt) {
    const TBytes profile = icc_profiles::DisplayP3();
    const TBytes samples = color_pictures::RgbSamples(Ramp());
    TBytes rows;
    for (auto row = samples.begin(); row != samples.end(); row += color_pictures::kWidth * 3) {
        rows.push_back(0);  // no filter
        rows.insert(rows.end(), row, row + color_pictures::kWidth * 3);
    }
    const TBytes png = png_files::File(png_files::HeaderData(color_pictures::kWidth, color_pictures::kHeight, 8, 2), rows);
    const std::string picture = Write("p3.png", profile_files::WithPngProfile(png, profile));
    const TBitmap stored = Decoded(SlideJpegBytes(picture, 100, clBlack));
    EXPECT_LE(MaxDifference(stored, StoredAtBest(TificcReference(Ramp(), profile))), 2);
    EXPECT_EQ(MaxDifference(Decoded(SlideJpegBytes(picture, 100, clBlack, false)), StoredAtBest(Ramp())), 0);
}

}  // namespace
}  // namespace pellumo
