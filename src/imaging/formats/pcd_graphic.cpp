#include "imaging/formats/pcd_graphic.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "base/stream.h"
#include "raster/bounded_reader.h"
#include "imaging/image_messages.h"

namespace pellumo {
namespace {

constexpr std::string_view kFormatName = "PCD";
constexpr std::string_view kSignature = "PCD_IPI";
constexpr std::int64_t kSignatureOffset = 2048;
constexpr std::int64_t kAttributeOffset = 194635;
constexpr std::size_t kLargestLongSide = 768;

// Where each resolution's image lies in the pack, and its sides as stored (long side across).
struct TPCDImage {
    std::int64_t Offset;
    std::size_t ShortSide, LongSide;
};
constexpr std::array<TPCDImage, 3> kImages{{{8192, 128, 192}, {47104, 256, 384}, {196608, 512, 768}}};

// A half-width chroma row with one more sample, a copy of its last, so that the sample right
// of the last one can be averaged like any other.
using TChromaRow = std::array<std::uint8_t, kLargestLongSide / 2 + 1>;
using TFullRow = std::array<std::uint8_t, kLargestLongSide>;

TChromaRow Extended(const std::uint8_t* samples, std::size_t count) {
    TChromaRow row{};
    std::copy_n(samples, count, row.begin());
    row[count] = samples[count - 1];
    return row;
}

// Doubles one pair of rows' chroma: the first row takes each stored sample and the mean of it
// and its right neighbour; the second row also averages with the chroma of the pair below.
void UpsampleChroma(const TChromaRow& own, const TChromaRow& below, std::size_t longSide, TFullRow& first,
                    TFullRow& second) {
    for (std::size_t i = 0; i < longSide; i += 2) {
        const std::size_t k = i / 2;
        first[i] = own[k];
        first[i + 1] = static_cast<std::uint8_t>((own[k] + own[k + 1]) / 2);
        second[i] = static_cast<std::uint8_t>((own[k] + below[k]) / 2);
        second[i + 1] = static_cast<std::uint8_t>((own[k] + own[k + 1] + below[k] + below[k + 1]) / 4);
    }
}

void SetupColorManager(TColorManager& manager) {
    manager.SetSourceColorScheme(scYCbCr);
    manager.SetSourceBitsPerSample(8);
    manager.SetSourceSamplesPerPixel(3);
    manager.SetTargetColorScheme(scBGR);
    manager.SetTargetBitsPerSample(8);
    manager.SetTargetSamplesPerPixel(3);
}

// Puts one converted stored row (long side, 3 bytes a pixel) into a turned bitmap as column
// `column`: stored pixel i goes to bitmap row longSide - 1 - i for orientation 1, row i for 3.
void PlaceAsColumn(const std::uint8_t* row, std::size_t longSide, int orientation, std::size_t column,
                   TBitmap& image) {
    for (std::size_t i = 0; i < longSide; ++i) {
        const std::size_t target = orientation == 1 ? longSide - 1 - i : i;
        std::copy_n(row + 3 * i, 3, image.ScanLine(static_cast<int>(target)) + 3 * column);
    }
}

}  // namespace

TGraphicClass TPCDGraphic::StaticClass() {
    return GraphicClassOf<TPCDGraphic>("TPCDGraphic", false);
}

void TPCDGraphic::LoadFromStream(TStream& stream) {
    ReleaseHandle();
    TBoundedReader file(stream, kFormatName);
    const std::int64_t base = file.Position();
    // A stream too short to hold the signature is no pack either.
    const std::int64_t signatureAt = base + kSignatureOffset;
    if (signatureAt + static_cast<std::int64_t>(kSignature.size()) > file.Size())
        RaiseImageError(image_messages::kInvalidFormat, kFormatName);
    std::array<char, kSignature.size()> signature{};
    file.Seek(signatureAt);
    file.Read(signature.data(), signature.size());
    if (std::string_view(signature.data(), signature.size()) != kSignature)
        RaiseImageError(image_messages::kInvalidFormat, kFormatName);
    std::uint8_t attributes = 0;
    file.Seek(base + kAttributeOffset);
    file.Read(&attributes, 1);
    const int orientation = attributes & 3;

    TColorManager& manager = ColorManager();
    SetupColorManager(manager);
    if (resolution_ >= kImages.size())
        RaiseImageError(image_messages::kNotSupported, image_messages::kImageSizes, kFormatName);
    const TPCDImage& layout = kImages[resolution_];
    const std::size_t longSide = layout.LongSide, shortSide = layout.ShortSide, half = longSide / 2;
    const bool turned = orientation % 2 == 1;
    TBitmap image;
    image.SetPixelFormat(pf24bit);
    image.SetSize(static_cast<int>(turned ? shortSide : longSide), static_cast<int>(turned ? longSide : shortSide));

    // One pair of rows at a time: both luma rows and their two chroma rows, as stored.
    std::array<std::uint8_t, 3 * kLargestLongSide> pair{};
    std::array<std::uint8_t, kLargestLongSide> belowChroma{};
    TFullRow firstC1{}, firstC2{}, secondC1{}, secondC2{};
    std::vector<std::uint8_t> turnedRows(turned ? 2 * 3 * longSide : 0);
    const auto pairBytes = static_cast<std::int64_t>(3 * longSide);
    for (std::size_t y = 0; y < shortSide; y += 2) {
        const std::int64_t pairStart = base + layout.Offset + static_cast<std::int64_t>(y / 2) * pairBytes;
        file.Seek(pairStart);
        file.Read(pair.data(), 3 * longSide);
        // The last pair has no pair below; its second row averages with its own chroma.
        const std::int64_t belowStart = y + 2 < shortSide ? pairStart + pairBytes : pairStart;
        file.Seek(belowStart + 2 * static_cast<std::int64_t>(longSide));
        file.Read(belowChroma.data(), longSide);

        const std::uint8_t* chroma = pair.data() + 2 * longSide;
        UpsampleChroma(Extended(chroma, half), Extended(belowChroma.data(), half), longSide, firstC1, secondC1);
        UpsampleChroma(Extended(chroma + half, half), Extended(belowChroma.data() + half, half), longSide, firstC2,
                       secondC2);
        const std::array<const std::uint8_t*, 3> first{pair.data(), firstC1.data(), firstC2.data()};
        const std::array<const std::uint8_t*, 3> second{pair.data() + longSide, secondC1.data(), secondC2.data()};
        const auto count = static_cast<std::uint32_t>(longSide);
        const int row = static_cast<int>(y);
        if (turned) {
            manager.ConvertRow(first, turnedRows.data(), count);
            manager.ConvertRow(second, turnedRows.data() + 3 * longSide, count);
            PlaceAsColumn(turnedRows.data(), longSide, orientation, y, image);
            PlaceAsColumn(turnedRows.data() + 3 * longSide, longSide, orientation, y + 1, image);
        } else if (orientation == 0) {
            manager.ConvertRow(first, image.ScanLine(row), count);
            manager.ConvertRow(second, image.ScanLine(row + 1), count);
        } else {  // 2: flipped top to bottom
            manager.ConvertRow(first, image.ScanLine(image.Height() - 1 - row), count);
            manager.ConvertRow(second, image.ScanLine(image.Height() - 2 - row), count);
        }
    }
    Assign(std::move(image));
}

}  // namespace pellumo
