#include "imaging/formats/pcd_graphic.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "base/memory_stream.h"
#include "raster/pixels.h"

namespace pellumo {
namespace {

using probe::PixelAt;
using probe::Rgb;
using TBytes = std::vector<std::uint8_t>;

struct TSides {
    std::size_t Offset, Short, Long;
};
constexpr std::array<TSides, 3> kSides{{{8192, 128, 192}, {47104, 256, 384}, {196608, 512, 768}}};
constexpr std::uint8_t kNeutralC1 = 156, kNeutralC2 = 137;

// A pack with only what the reader looks at: the signature, the attribute byte and the image
// of one resolution. Luma comes from `luma(row, column)`, chroma from `c1(pair, k)` (the
// second chroma stays neutral).
TBytes Pack(int resolution, std::uint8_t attributes, const std::function<std::uint8_t(std::size_t, std::size_t)>& luma,
            const std::function<std::uint8_t(std::size_t, std::size_t)>& c1 = nullptr) {
    const TSides& s = kSides[static_cast<std::size_t>(resolution)];
    TBytes pack(s.Offset + s.Short / 2 * 3 * s.Long, 0);
    if (pack.size() < 194636) pack.resize(194636);
    std::copy_n("PCD_IPI", 7, pack.begin() + 2048);
    pack[194635] = attributes;
    for (std::size_t g = 0; g < s.Short / 2; ++g) {
        std::uint8_t* pair = &pack[s.Offset + g * 3 * s.Long];
        for (std::size_t x = 0; x < s.Long; ++x) {
            pair[x] = luma(2 * g, x);
            pair[s.Long + x] = luma(2 * g + 1, x);
        }
        for (std::size_t k = 0; k < s.Long / 2; ++k) {
            pair[2 * s.Long + k] = c1 ? c1(g, k) : kNeutralC1;
            pair[2 * s.Long + s.Long / 2 + k] = kNeutralC2;
        }
    }
    return pack;
}

void Load(TPCDGraphic& pcd, TBytes bytes) {
    TMemoryStream stream(std::move(bytes));
    pcd.LoadFromStream(stream);
}

std::string LoadError(TBytes bytes, std::uint8_t resolution = 0) {
    TPCDGraphic pcd;
    pcd.SetResolution(resolution);
    try {
        Load(pcd, std::move(bytes));
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(loaded)";
}

// The colour the colour manager makes of one luma/chroma sample.
Rgb Converted(std::uint8_t y, std::uint8_t c1, std::uint8_t c2 = kNeutralC2) {
    static TColorManager manager = [] {
        TColorManager m;
        m.SetSourceColorScheme(scYCbCr);
        return m;
    }();
    const std::array<std::uint8_t, 3> ycc{y, c1, c2};
    std::array<std::uint8_t, 3> bgr{};
    manager.ConvertRow(ycc.data(), bgr.data(), 1);
    return {bgr[2], bgr[1], bgr[0]};
}

// Distinct enough per place to tell rows and columns apart, and never clipped when converted.
std::uint8_t Ramp(std::size_t row, std::size_t column) { return static_cast<std::uint8_t>((row * 5 + column * 3) % 180); }

TEST(PCDGraphic, OrientationsTurnOrFlipTheStoredRows) {
    const TSides& s = kSides[0];
    for (std::uint8_t orientation = 0; orientation < 4; ++orientation) {
        SCOPED_TRACE(int{orientation});
        TPCDGraphic pcd;
        pcd.SetResolution(0);
        Load(pcd, Pack(0, static_cast<std::uint8_t>(0xF0 | orientation), Ramp));  // only the low two bits count
        const bool turned = orientation % 2 == 1;
        ASSERT_EQ(pcd.Width(), static_cast<int>(turned ? s.Short : s.Long));
        ASSERT_EQ(pcd.Height(), static_cast<int>(turned ? s.Long : s.Short));
        EXPECT_EQ(pcd.PixelFormat(), pf24bit);
        for (std::size_t row = 0; row < s.Short; ++row) {
            for (std::size_t i = 0; i < s.Long; ++i) {
                std::size_t x = i, y = row;  // 0: as stored
                if (orientation == 2) y = s.Short - 1 - row;
                if (orientation == 1) x = row, y = s.Long - 1 - i;  // first stored row: left column, bottom up
                if (orientation == 3) x = row, y = i;
                const std::uint8_t luma = Ramp(row, i);
                ASSERT_EQ(PixelAt(pcd, static_cast<int>(x), static_cast<int>(y)), Converted(luma, kNeutralC1))
                    << row << ", " << i;
            }
        }
    }
}

TEST(PCDGraphic, EachResolutionReadsItsOwnImageFromThePacksStart) {
    for (int resolution = 0; resolution < 3; ++resolution) {
        SCOPED_TRACE(resolution);
        const TSides& s = kSides[static_cast<std::size_t>(resolution)];
        // The pack starts where the stream stands.
        TBytes file(100, 0xAB);
        const TBytes pack = Pack(resolution, 0, [](std::size_t row, std::size_t column) { return Ramp(row, column) + 1; });
        file.insert(file.end(), pack.begin(), pack.end());
        TMemoryStream stream(std::move(file));
        stream.SetPosition(100);
        TPCDGraphic pcd;
        pcd.SetResolution(static_cast<std::uint8_t>(resolution));
        pcd.LoadFromStream(stream);
        ASSERT_EQ(pcd.Width(), static_cast<int>(s.Long));
        ASSERT_EQ(pcd.Height(), static_cast<int>(s.Short));
        const int last = static_cast<int>(s.Short) - 1;
        EXPECT_EQ(PixelAt(pcd, 0, 0), Converted(1, kNeutralC1));
        EXPECT_EQ(PixelAt(pcd, 7, last), Converted(Ramp(s.Short - 1, 7) + 1, kNeutralC1));
    }
    EXPECT_EQ(TPCDGraphic().Resolution(), 2);
}

TEST(PCDGraphic, ChromaIsDoubledFromNeighboursAndTheLastPairUsesItsOwn) {
    const TSides& s = kSides[0];
    const std::size_t lastK = s.Long / 2 - 1;
    // Blue chroma differs by pair and position; luma is flat.
    const auto c1 = [](std::size_t pair, std::size_t k) { return static_cast<std::uint8_t>(140 + 4 * (pair % 4) + k % 8); };
    TPCDGraphic pcd;
    pcd.SetResolution(0);
    Load(pcd, Pack(0, 0, [](std::size_t, std::size_t) { return 100; }, c1));
    const auto at = [&](int x, int y, int chroma) { EXPECT_EQ(PixelAt(pcd, x, y), Converted(100, static_cast<std::uint8_t>(chroma))) << x << ", " << y; };
    at(0, 0, c1(0, 0));
    at(1, 0, (c1(0, 0) + c1(0, 1)) / 2);
    at(0, 1, (c1(0, 0) + c1(1, 0)) / 2);
    at(1, 1, (c1(0, 0) + c1(0, 1) + c1(1, 0) + c1(1, 1)) / 4);
    // The sample right of the last one repeats it.
    at(static_cast<int>(s.Long) - 1, 0, c1(0, lastK));
    at(static_cast<int>(s.Long) - 1, 1, (c1(0, lastK) + c1(1, lastK)) / 2);
    const std::size_t lastPair = s.Short / 2 - 1;
    const int bottom = static_cast<int>(s.Short) - 1;
    at(0, bottom, c1(lastPair, 0));
    at(1, bottom, (c1(lastPair, 0) + c1(lastPair, 1)) / 2);
}

TEST(PCDGraphic, RefusesWhatIsNoPackOrCannotBeRead) {
    const std::string invalid = "Cannot load image. Invalid or unexpected PCD image format.";
    TBytes pack = Pack(0, 0, Ramp);
    TBytes noSignature = pack;
    noSignature[2048] = 'X';
    EXPECT_EQ(LoadError(noSignature), invalid);
    EXPECT_EQ(LoadError(TBytes(2050, 0)), invalid);
    EXPECT_EQ(LoadError(pack, 3), "Cannot load image. Image sizes other than Base16, Base4 or Base are not supported for PCD files.");
    // Base/16 is in this pack, Base is not.
    EXPECT_EQ(LoadError(pack, 2), "Stream read error in PCD file.");
    pack.resize(8192 + 3 * 192 * 20);
    EXPECT_EQ(LoadError(pack, 1), "Stream read error in PCD file.");
}

}  // namespace
}  // namespace pellumo
