#include "base/image_limits.h"

#include <gtest/gtest.h>

#include "base/exceptions.h"

namespace pellumo {
namespace {

TEST(ImageLimits, RowsArePaddedToFourBytes) {
    EXPECT_EQ(RowStride(1, 1), 4u);
    EXPECT_EQ(RowStride(33, 1), 8u);
    EXPECT_EQ(RowStride(3, 24), 12u);
    EXPECT_EQ(RowStride(5, 8), 8u);
    EXPECT_EQ(RowStride(0, 32), 0u);
}

// Sizes a header may claim: negative ones, and more than 2^28 pixels however they are made up
// (a product that overflows 32 bits included), are refused before a byte is allocated.
TEST(ImageLimits, CheckedImageBytesRefusesWhatNoPictureNeeds) {
    EXPECT_EQ(CheckedImageBytes(16384, 16384, 32), std::size_t{16384} * 16384 * 4);
    EXPECT_EQ(CheckedImageBytes(3, 2, 24), 24u);
    EXPECT_EQ(CheckedImageBytes(0, 100000, 8), 0u);
    EXPECT_EQ(CheckedImageBytes(kMaxImagePixels, 1, 1), RowStride(kMaxImagePixels, 1));
    for (const auto& [width, height] : std::initializer_list<std::pair<std::int64_t, std::int64_t>>{
             {16385, 16384}, {kMaxImagePixels + 1, 1}, {1, kMaxImagePixels + 1}, {65536, 65536}, {-1, 10}, {10, -1}}) {
        EXPECT_THROW(CheckedImageBytes(width, height, 8), EConvertError) << width << " x " << height;
    }
    try {
        CheckedImageBytes(20000, 20000, 24);
        ADD_FAILURE() << "a picture too large was let through";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Image trop grande : 20000 x 20000 pixels (au plus 268435456 pixels)");
    }
}

}  // namespace
}  // namespace pellumo
