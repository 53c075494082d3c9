#include "imaging/formats/tiff_graphic.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/image_limits.h"
#include "base/stream.h"
#include "imaging/formats/tiff_directory.h"
#include "imaging/formats/tiff_strips.h"
#include "imaging/formats/tiff_ycbcr.h"
#include "imaging/image_messages.h"

namespace pellumo {
namespace {

enum TPhotometric : std::uint8_t {
    ptWhiteIsZero = 0, ptBlackIsZero = 1, ptRGB = 2, ptPalette = 3, ptSeparated = 5, ptYCbCr = 6, ptCIELab = 8,
};
constexpr std::uint32_t kHorizontalDifferencing = 2;
constexpr std::uint32_t kPlanarData = 2;
constexpr std::uint32_t kLargestIndexBits = 8;
constexpr std::uint32_t kAssociatedAlpha = 1;

[[noreturn]] void InvalidFormat() { RaiseImageError(image_messages::kInvalidFormat, kTIFFFormatName); }
[[noreturn]] void InvalidColorFormat() { RaiseImageError(image_messages::kInvalidColorFormat, kTIFFFormatName); }
[[noreturn]] void InvalidPalette() { RaiseImageError(image_messages::kInvalidPalette, kTIFFFormatName); }

struct TSampleLayout {
    std::uint8_t Photometric;
    std::uint32_t SamplesPerPixel;
    std::uint32_t BitsPerSample;
};

// Bits per sample, the same for every sample, of a depth the colour manager reads.
TSampleLayout ReadSampleLayout(const TTIFFDirectory& directory) {
    TSampleLayout layout{static_cast<std::uint8_t>(directory.GetValue(tiff_tags::kPhotometric, 0)),
                         directory.GetValue(tiff_tags::kSamplesPerPixel, 1) & 0xFFu, 1};
    std::vector<std::uint32_t> bits = directory.ReadValues(tiff_tags::kBitsPerSample);
    if (bits.empty()) bits = {1};
    layout.BitsPerSample = bits[0];
    if (std::any_of(bits.begin(), bits.end(), [&](std::uint32_t b) { return b != bits[0]; })) InvalidColorFormat();
    if (layout.BitsPerSample != 1 && layout.BitsPerSample != 2 && layout.BitsPerSample != 4 &&
        layout.BitsPerSample != 8 && layout.BitsPerSample != 16)
        InvalidColorFormat();
    // Planes one after the other are not read; with one sample they are the chunky layout.
    if (layout.SamplesPerPixel > 1 && directory.GetValue(tiff_tags::kPlanarConfiguration, 1) == kPlanarData)
        InvalidColorFormat();
    return layout;
}

// The colour manager's settings for the layout. YCbCr data reaches the manager as RGB rows,
// converted by the TIFF rules (TYCbCrUnpacker), not by its Photo-CD luma/chroma scheme.
void SetupColorManager(TColorManager& manager, const TSampleLayout& layout, bool bigEndian) {
    auto expectSamples = [&](std::uint32_t low, std::uint32_t high) {
        if (layout.SamplesPerPixel < low || layout.SamplesPerPixel > high) InvalidColorFormat();
    };
    manager.SetSourceOptions(bigEndian ? TSampleOptions{soByteSwap} : TSampleOptions{});
    manager.SetSourceBitsPerSample(static_cast<std::uint8_t>(layout.BitsPerSample));
    // 16-bit samples become 8-bit; 2-bit indices become 4-bit, as no bitmap holds 2 bits a pixel.
    const std::uint32_t targetBits = layout.BitsPerSample == 16 ? 8 : layout.BitsPerSample == 2 ? 4 : layout.BitsPerSample;
    manager.SetTargetBitsPerSample(static_cast<std::uint8_t>(targetBits));
    auto set = [&](std::uint8_t source, std::uint8_t target, TColorScheme sourceScheme, TColorScheme targetScheme) {
        manager.SetSourceSamplesPerPixel(source);
        manager.SetTargetSamplesPerPixel(target);
        manager.SetSourceColorScheme(sourceScheme);
        manager.SetTargetColorScheme(targetScheme);
    };
    switch (layout.Photometric) {
        case ptWhiteIsZero:
        case ptBlackIsZero:
        case ptPalette:
            expectSamples(1, 1);
            set(1, 1, scIndexed, scIndexed);
            break;
        case ptRGB:
            expectSamples(3, 4);
            if (layout.SamplesPerPixel == 3)
                set(3, 3, scRGB, scBGR);
            else
                set(4, 4, scRGBA, scBGRA);
            break;
        case ptSeparated:
            expectSamples(4, 4);
            set(4, 3, scCMYK, scBGR);
            break;
        case ptYCbCr:
            expectSamples(3, 3);
            if (layout.BitsPerSample != 8) InvalidColorFormat();
            set(3, 3, scRGB, scBGR);
            break;
        case ptCIELab:
            expectSamples(3, 3);
            manager.SetSourceSamplesPerPixel(3);
            manager.SetTargetSamplesPerPixel(3);
            manager.SetSourceColorScheme(scCIELab);
            // L* is stored as 0..255, a* and b* as signed bytes.
            manager.SetSourceOptions(TSampleOptions{soLabScaledL});
            manager.SetTargetColorScheme(scBGR);
            break;
        default: InvalidColorFormat();
    }
}

// The palette of an indexed target: the file's colour map, or gray levels.
TPalette ReadPalette(const TTIFFDirectory& directory, const TColorManager& manager,
                     const TSampleLayout& layout) {
    if (layout.Photometric != ptPalette) return manager.MakeGrayPalette(layout.Photometric == ptWhiteIsZero);
    if (layout.BitsPerSample > kLargestIndexBits || directory.FindTag(tiff_tags::kColorMap) == nullptr)
        InvalidPalette();
    // Red, green and blue planes of 16-bit values in the file's order; the manager swaps them
    // for big-endian files.
    const std::uint32_t colors = 1u << layout.BitsPerSample;
    directory.SeekData(directory.GetValue(tiff_tags::kColorMap, 0), std::uint64_t{colors} * 6);
    const std::vector<std::uint8_t> map = directory.File().ReadBytes(std::uint64_t{colors} * 6);
    const std::uint8_t* planes[3] = {map.data(), map.data() + 2 * colors, map.data() + 4 * colors};
    return manager.MakeColorPalette(planes, 6, colors, false);
}

// Colour stored multiplied by its alpha back to the plain colour the bitmap's alpha goes with.
void DivideByAlpha(std::uint8_t* bgra, std::uint32_t width) {
    for (std::uint32_t x = 0; x < width; ++x, bgra += 4) {
        const unsigned alpha = bgra[3];
        if (alpha == 0) continue;
        for (int c = 0; c < 3; ++c) bgra[c] = static_cast<std::uint8_t>(std::min(255u, (bgra[c] * 255u + alpha / 2) / alpha));
    }
}

}  // namespace

TTIFFGraphic::TTIFFGraphic() { SetPixelFormat(pf24bit); }

TGraphicClass TTIFFGraphic::StaticClass() {
    return GraphicClassOf<TTIFFGraphic>("TTIFFGraphic", false);
}

void TTIFFGraphic::LoadFromStream(TStream& stream) {
    ReleaseHandle();
    const TTIFFDirectory directory(stream);
    const TSampleLayout layout = ReadSampleLayout(directory);
    TColorManager& manager = ColorManager();
    SetupColorManager(manager, layout, directory.BigEndian());

    const TPixelFormat format = manager.PixelFormatFor(1);
    if (format == pfCustom) InvalidColorFormat();
    const std::uint32_t width = directory.GetValue(tiff_tags::kImageWidth, 0);
    const std::uint32_t height = directory.GetValue(tiff_tags::kImageLength, 0);
    if (width == 0 || height == 0) InvalidFormat();
    CheckedImageBytes(width, height, BitsPerPixel(format));

    TBitmap image;
    image.SetPixelFormat(format);
    if (manager.TargetColorScheme() == scIndexed) image.SetPalette(ReadPalette(directory, manager, layout));

    const auto compression = static_cast<std::uint16_t>(directory.GetValue(tiff_tags::kCompression, 0));
    const std::unique_ptr<TDecoder> decoder = MakeDecoder(directory, compression, width);
    const bool fax = compression == tiff_compression::kModifiedHuffman || compression == tiff_compression::kGroup3;
    if (fax && layout.BitsPerSample * layout.SamplesPerPixel != 1) InvalidColorFormat();

    // Stored rows come in groups: one pixel row, or for YCbCr one row of data units covering
    // as many pixel rows as the chroma is subsampled vertically.
    std::optional<TYCbCrUnpacker> ycbcr;
    if (layout.Photometric == ptYCbCr) ycbcr.emplace(ReadYCbCrCoding(directory), width);
    const std::size_t groupBytes = ycbcr ? ycbcr->UnitRowBytes()
                                         : static_cast<std::size_t>((std::uint64_t{width} * layout.BitsPerSample *
                                                                         layout.SamplesPerPixel + 7) / 8);
    const std::uint32_t rowsPerGroup = ycbcr ? ycbcr->RowsPerUnitRow() : 1;

    // Differencing runs along rows of whole samples; data units are not such rows.
    const bool predictor = directory.GetValue(tiff_tags::kPredictor, 1) == kHorizontalDifferencing;
    if (predictor && (layout.BitsPerSample < 8 || (ycbcr && ycbcr->Subsampled()))) InvalidColorFormat();
    const TTIFFStrips strips = ReadStrips(directory, height, decoder != nullptr);
    const bool premultiplied = layout.Photometric == ptRGB && layout.SamplesPerPixel == 4 &&
                               directory.GetValue(tiff_tags::kExtraSamples, 0) == kAssociatedAlpha;

    // Before the bitmap is allocated: the file must be able to hold the image's data, so that
    // a lying header cannot make us allocate far beyond it.
    const std::uint64_t storedBytes = std::uint64_t{(height + rowsPerGroup - 1) / rowsPerGroup} * groupBytes;
    const auto fileBytes = static_cast<std::uint64_t>(directory.File().Size() - directory.BasePosition());
    if (storedBytes > (decoder ? LargestUnpacked(compression, fileBytes, groupBytes) : fileBytes)) InvalidFormat();

    image.SetSize(static_cast<int>(width), static_cast<int>(height));
    std::vector<std::uint8_t> rgbRow(ycbcr ? std::size_t{width} * 3 : 0);
    const std::size_t rowBytesRead = ycbcr ? rgbRow.size() : groupBytes;
    if (manager.SourcePlaneBytes(width, 0xFF, 1) > rowBytesRead || manager.TargetRowBytes(width) > image.RowBytes())
        InvalidColorFormat();

    std::uint32_t row = 0;
    TStripBuffers buffers;
    for (std::size_t s = 0; s < strips.Offsets.size() && row < height; ++s) {
        if (strips.Rows[s] == 0) continue;
        const std::size_t groups = (strips.Rows[s] + rowsPerGroup - 1) / rowsPerGroup;
        const std::span<std::uint8_t> data =
            ReadStrip(directory, decoder.get(), compression, strips, s, groups * groupBytes, groupBytes, buffers);
        // Only whole groups are converted: rows the data does not reach stay as they are.
        const std::uint32_t stripEnd = row + strips.Rows[s];
        for (std::size_t at = 0; at + groupBytes <= data.size() && row < stripEnd; at += groupBytes) {
            std::uint8_t* group = data.data() + at;
            if (predictor)
                UndoHorizontalDifferencing(group, width, layout.SamplesPerPixel, layout.BitsPerSample,
                                           directory.BigEndian());
            for (std::uint32_t r = 0; r < rowsPerGroup && row < stripEnd; ++r, ++row) {
                const std::uint8_t* source = group;
                if (ycbcr) {
                    ycbcr->UnpackRow(group, r, rgbRow.data());
                    source = rgbRow.data();
                }
                std::uint8_t* target = image.ScanLine(static_cast<int>(row));
                manager.ConvertRow(source, target, width);
                if (premultiplied) DivideByAlpha(target, width);
            }
        }
        row = stripEnd;
    }
    Assign(std::move(image));
    SetColorProfile(directory.ReadOpaqueBytes(tiff_tags::kIccProfile, kMaxColorProfileBytes));
}

}  // namespace pellumo
