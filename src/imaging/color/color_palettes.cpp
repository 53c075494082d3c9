#include <algorithm>

#include "imaging/color/color_manager.h"
#include "imaging/color/color_messages.h"
#include "imaging/color/row_converters.h"

namespace pellumo {
namespace {

using color_rows::Load16;
using color_rows::Narrow;

// The entry a target index i stands for when indices are rescaled from `sourceMax` to
// `targetMax` levels, as the indexed converters do. The product needs more than 16 bits once
// the source is 16 bits wide; indices past the given entries read black.
TPalette RescaleIndices(const TPalette& entries, std::uint32_t sourceMax, std::uint32_t targetMax) {
    TPalette rescaled(targetMax + 1);
    for (std::uint32_t i = 0; i <= targetMax; ++i) {
        const std::uint32_t from = i * sourceMax / targetMax;
        if (from < entries.size()) rescaled[i] = entries[from];
    }
    return rescaled;
}

void RequirePlanes(std::span<const std::uint8_t* const> data, std::size_t planes) {
    if (data.size() < planes) throw EColorConversionError(kMissingPlanesMessage);
    for (std::size_t i = 0; i < planes; ++i)
        if (data[i] == nullptr) throw EColorConversionError(kMissingBufferMessage);
}

}  // namespace

TPalette TColorManager::MakeGrayPalette(bool minimumIsWhite) const {
    const unsigned bits = std::min(unsigned{targetBitsPerSample_} * targetSamplesPerPixel_, 8u);
    const unsigned last = (1u << bits) - 1;
    const unsigned step = 255 / last;
    const bool gamma = targetOptions_.Contains(soApplyGamma);
    TPalette palette(last + 1);
    for (unsigned i = 0; i <= last; ++i) {
        const unsigned level = gamma ? gammaTable_[i * step] : i * step;
        const auto value = static_cast<std::uint8_t>(level);
        palette[minimumIsWhite ? last - i : i] = TPaletteEntry{value, value, value, 0};
    }
    return palette;
}

TPalette TColorManager::MakeColorPalette(std::span<const std::uint8_t* const> data, std::uint8_t dataFormat,
                                         std::uint32_t colorCount, bool bgr) const {
    TPalette entries(std::min<std::uint32_t>(colorCount, kMaxPaletteEntries));
    const std::size_t count = entries.size();
    const bool gamma = targetOptions_.Contains(soApplyGamma);
    const bool swap = sourceOptions_.Contains(soByteSwap);
    auto fromByte = [&](std::uint8_t value) { return gamma ? gammaTable_[value] : value; };
    auto fromWord = [&](const std::uint8_t* p) {
        const std::uint16_t word = swap ? SwapShort(Load16(p)) : Load16(p);
        return fromByte(static_cast<std::uint8_t>(Narrow(word)));
    };
    // Interleaved entries: red and blue trade places when stored blue first.
    const std::size_t redAt = bgr ? 2 : 0, blueAt = bgr ? 0 : 2;

    if (count > 0) {  // nothing to read, nothing to check
        switch (dataFormat) {
            case 0:
            case 1: {
                RequirePlanes(data, 1);
                const std::size_t size = dataFormat == 0 ? 3 : 4;
                for (std::size_t i = 0; i < count; ++i) {
                    const std::uint8_t* entry = data[0] + i * size;
                    entries[i] = {fromByte(entry[redAt]), fromByte(entry[1]), fromByte(entry[blueAt]), 0};
                }
                break;
            }
            case 2:
            case 3:
                RequirePlanes(data, 3);
                for (std::size_t i = 0; i < count; ++i)
                    entries[i] = {fromByte(data[0][i]), fromByte(data[1][i]), fromByte(data[2][i]), 0};
                break;
            case 4:
            case 5: {
                RequirePlanes(data, 1);
                const std::size_t size = dataFormat == 4 ? 6 : 8;
                for (std::size_t i = 0; i < count; ++i) {
                    const std::uint8_t* entry = data[0] + i * size;
                    entries[i] = {fromWord(entry + 2 * redAt), fromWord(entry + 2), fromWord(entry + 2 * blueAt), 0};
                }
                break;
            }
            case 6:
            case 7:
                RequirePlanes(data, 3);
                for (std::size_t i = 0; i < count; ++i)
                    entries[i] = {fromWord(data[0] + 2 * i), fromWord(data[1] + 2 * i), fromWord(data[2] + 2 * i), 0};
                break;
            default: break;  // unknown layouts leave every entry black
        }
    }

    const std::uint32_t sourceMax = (1u << sourceBitsPerSample_) - 1;
    const std::uint32_t targetMax = (1u << targetBitsPerSample_) - 1;
    if (targetBitsPerSample_ <= 8 && sourceMax != targetMax) return RescaleIndices(entries, sourceMax, targetMax);
    return entries;
}

}  // namespace pellumo
