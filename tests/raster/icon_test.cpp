#include "raster/icon.h"

#include <gtest/gtest.h>

#include "base/byte_order.h"
#include "base/memory_stream.h"
#include "raster/pixels.h"

namespace pellumo {
namespace {

using probe::PixelAt;
using probe::Rgb;

TBitmap Filled(int size, Rgb colour) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) probe::SetPixel(bitmap, x, y, colour);
    return bitmap;
}

std::vector<std::uint8_t> Saved(const TBitmap& image) {
    TIcon icon;
    icon.Assign(image);
    TMemoryStream stream;
    icon.SaveToStream(stream);
    return stream.Bytes();
}

// Two icons' directories and images in one file, the second image's offset moved.
std::vector<std::uint8_t> Joined(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b,
                                 bool secondIsPng = false) {
    std::vector<std::uint8_t> file(6 + 32, 0);
    PutLE16(&file[2], 1);
    PutLE16(&file[4], 2);
    const std::vector<std::uint8_t> imageA(a.begin() + 22, a.end()), imageB(b.begin() + 22, b.end());
    std::copy(a.begin() + 6, a.begin() + 22, file.begin() + 6);
    std::copy(b.begin() + 6, b.begin() + 22, file.begin() + 22);
    PutLE32(&file[6 + 12], 38);
    PutLE32(&file[22 + 12], static_cast<std::uint32_t>(38 + imageA.size()));
    file.insert(file.end(), imageA.begin(), imageA.end());
    const std::size_t second = file.size();
    file.insert(file.end(), imageB.begin(), imageB.end());
    if (secondIsPng) {
        const std::uint8_t png[] = {0x89, 'P', 'N', 'G'};
        std::copy(std::begin(png), std::end(png), file.begin() + static_cast<std::ptrdiff_t>(second));
    }
    return file;
}

TBitmap Loaded(std::vector<std::uint8_t> file) {
    TMemoryStream stream(std::move(file));
    TIcon icon;
    icon.LoadFromStream(stream);
    TBitmap bitmap;
    bitmap.Assign(icon);
    return bitmap;
}

TEST(Icon, SavesAndLoadsTheLargestImageItCanRead) {
    const TBitmap small = Filled(16, {200, 10, 10});
    const TBitmap large = Filled(48, {10, 10, 200});
    const TBitmap back = Loaded(Saved(large));
    EXPECT_EQ(back.Width(), 48);
    EXPECT_EQ(PixelAt(back, 47, 0), (Rgb{10, 10, 200}));

    const TBitmap largest = Loaded(Joined(Saved(small), Saved(large)));
    EXPECT_EQ(largest.Width(), 48);
    // The larger image is stored as PNG, which is passed over.
    const TBitmap readable = Loaded(Joined(Saved(small), Saved(large), true));
    EXPECT_EQ(readable.Width(), 16);
    EXPECT_EQ(PixelAt(readable, 3, 15), (Rgb{200, 10, 10}));
}

TEST(Icon, RefusesWhatIsNoIconAndIconsTooLargeToSave) {
    const std::vector<std::uint8_t> good = Saved(Filled(8, {1, 2, 3}));
    std::vector<std::vector<std::uint8_t>> bad = {{}, {0, 0, 2, 0, 1, 0}, {0, 0, 1, 0, 0, 0}};
    std::vector<std::uint8_t> truncated(good.begin(), good.begin() + 30);
    bad.push_back(truncated);
    std::vector<std::uint8_t> outside = good;
    PutLE32(&outside[18], 0xFFFFFF00u);  // the image lies past the end
    bad.push_back(outside);
    for (const auto& file : bad) EXPECT_THROW(Loaded(file), Exception) << file.size();

    TIcon icon;
    icon.Assign(Filled(257, {0, 0, 0}));
    TMemoryStream stream;
    EXPECT_THROW(icon.SaveToStream(stream), EInvalidGraphic);
    TMetafile metafile;
    EXPECT_THROW(metafile.LoadFromStream(stream), EInvalidGraphic);
}

}  // namespace
}  // namespace pellumo
