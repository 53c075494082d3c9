#include "imaging/color/color_manager.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <optional>

#include "base/integer_math.h"
#include "imaging/color/color_messages.h"
#include "imaging/color/row_converters.h"

namespace pellumo {
namespace {

constexpr float kDefaultFileGamma = 1.0f;
constexpr float kDefaultDisplayGamma = 2.2f;

bool IsValidBitsPerSample(std::uint8_t bits) { return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16; }

bool IsValidSamplesPerPixel(std::uint8_t samples) { return samples == 1 || samples == 3 || samples == 4; }

bool SchemeHasAlpha(TColorScheme scheme) { return scheme == scGrayAlpha || scheme == scRGBA || scheme == scBGRA; }

bool IsRgbFamily(TColorScheme scheme) { return scheme >= scRGB && scheme <= scBGRA; }

void SetAlphaOption(TSampleOptions& options, bool alpha) {
    if (alpha)
        options.Include(soAlpha);
    else
        options.Exclude(soAlpha);
}

std::uint64_t BytesPerSample(std::uint8_t bits) { return bits == 16 ? 2 : 1; }

TRowConverter IndexedConverter(std::uint8_t sourceBits, std::uint8_t targetBits) {
    if (sourceBits == 16 && targetBits == 16) return ConvertIndexed16To16;
    if (sourceBits == 16) return ConvertIndexed16ToNarrow;
    if (targetBits == 16) return ConvertIndexedNarrowTo16;
    return ConvertIndexedNarrowToNarrow;
}

// The converter for a pair of schemes that passed the indexed check, or none.
TRowConverter ChooseConverter(TColorScheme source, TColorScheme target, std::uint8_t sourceBits,
                              std::uint8_t targetBits) {
    const bool toRgb = target == scRGB || target == scRGBA;
    const bool toBgr = target == scBGR || target == scBGRA;
    switch (source) {
        case scIndexed: return IndexedConverter(sourceBits, targetBits);
        case scGray:
        case scGrayAlpha: return ConvertGray;
        case scRGB:
        case scRGBA: return toRgb ? ConvertRgbKeepOrder : toBgr ? ConvertRgbExchangeOrder : nullptr;
        case scBGR:
        case scBGRA: return toRgb ? ConvertRgbExchangeOrder : toBgr ? ConvertRgbKeepOrder : nullptr;
        case scCMYK: return toRgb ? ConvertCmykToRgb : toBgr ? ConvertCmykToBgr : nullptr;
        case scCIELab: return toRgb ? ConvertLabToRgb : toBgr ? ConvertLabToBgr : nullptr;
        case scYCbCr: return toRgb ? ConvertYccToRgb : toBgr ? ConvertYccToBgr : nullptr;
        default: return nullptr;
    }
}

}  // namespace

TColorManager::TColorManager() {
    sourceBitsPerSample_ = 8;
    targetBitsPerSample_ = 8;
    sourceSamplesPerPixel_ = 3;
    targetSamplesPerPixel_ = 3;
    SetGammaValues(kDefaultFileGamma, kDefaultDisplayGamma);
    sourceColorScheme_ = scRGB;
    targetColorScheme_ = scBGR;
    changed_ = true;
}

void TColorManager::SetSourceBitsPerSample(std::uint8_t bits) {
    if (!IsValidBitsPerSample(bits)) throw EColorConversionError(kBadBitsPerSampleMessage);
    if (bits == sourceBitsPerSample_) return;
    sourceBitsPerSample_ = bits;
    changed_ = true;
}

void TColorManager::SetTargetBitsPerSample(std::uint8_t bits) {
    if (!IsValidBitsPerSample(bits)) throw EColorConversionError(kBadBitsPerSampleMessage);
    if (bits == targetBitsPerSample_) return;
    targetBitsPerSample_ = bits;
    changed_ = true;
}

void TColorManager::SetSourceSamplesPerPixel(std::uint8_t samples) {
    if (!IsValidSamplesPerPixel(samples)) throw EColorConversionError(kBadSamplesPerPixelMessage);
    if (samples == sourceSamplesPerPixel_) return;
    sourceSamplesPerPixel_ = samples;
    if (samples == 1) sourceColorScheme_ = scIndexed;
    changed_ = true;
}

void TColorManager::SetTargetSamplesPerPixel(std::uint8_t samples) {
    if (!IsValidSamplesPerPixel(samples)) throw EColorConversionError(kBadSamplesPerPixelMessage);
    if (samples == targetSamplesPerPixel_) return;
    targetSamplesPerPixel_ = samples;
    if (samples == 1) targetColorScheme_ = scIndexed;
    changed_ = true;
}

void TColorManager::SetSourceColorScheme(TColorScheme scheme) {
    if (scheme == sourceColorScheme_) return;
    sourceColorScheme_ = scheme;
    if (scheme == scIndexed) sourceSamplesPerPixel_ = 1;
    changed_ = true;
}

void TColorManager::SetTargetColorScheme(TColorScheme scheme) {
    if (scheme == targetColorScheme_) return;
    targetColorScheme_ = scheme;
    if (scheme == scIndexed) targetSamplesPerPixel_ = 1;
    changed_ = true;
}

void TColorManager::SetGammaValues(float fileGamma, float displayGamma) {
    // An infinite gamma would make the exponent 0 and the whole table white; like a value of
    // 0 or below, it falls back to the default.
    fileGamma_ = fileGamma > 0 && std::isfinite(fileGamma) ? fileGamma : kDefaultFileGamma;
    displayGamma_ = displayGamma > 0 && std::isfinite(displayGamma) ? displayGamma : kDefaultDisplayGamma;

    const float exponent = 1.0f / (fileGamma_ * displayGamma_);
    const unsigned targetMax = (1u << targetBitsPerSample_) - 1;
    // The entry count follows the source depth, its value the target depth; a 16-bit target
    // with a narrow source would ask for 65536 entries of a 256-entry table, so it stops at 255.
    unsigned last = sourceBitsPerSample_ >= 8 ? 255 : targetMax;
    if (last > 255) last = 255;
    const unsigned scale = targetBitsPerSample_ >= 8 ? 255 : targetMax;
    // Every reader sets up a manager per image, nearly always with the values of the last
    // one; the table of those is kept rather than made again, 256 powers at a time.
    struct TLastTable {
        float Exponent;
        unsigned Last, Scale;
        TGammaTable Table;
    };
    thread_local std::optional<TLastTable> lastTable;
    if (!lastTable || lastTable->Exponent != exponent || lastTable->Last != last || lastTable->Scale != scale) {
        TGammaTable table{};
        for (unsigned i = 0; i <= last; ++i) {
            const long double base = static_cast<long double>(i) / last;
            const long double value = std::pow(base, static_cast<long double>(exponent)) * scale;
            table[i] = static_cast<std::uint8_t>(std::nearbyint(value));
        }
        lastTable = TLastTable{exponent, last, scale, table};
    }
    // Entries past `last` keep what they held, as they always did.
    std::copy_n(lastTable->Table.begin(), last + 1, gammaTable_.begin());
}

void TColorManager::SelectRowConverter() {
    rowConverter_ = nullptr;
    const bool sourceIndexed = sourceColorScheme_ == scIndexed || sourceColorScheme_ == scGrayAlpha;
    const bool targetIndexed = targetColorScheme_ == scIndexed;
    if (sourceIndexed != targetIndexed) throw EColorConversionError(kIndexedMismatchMessage);
    SetAlphaOption(sourceOptions_, SchemeHasAlpha(sourceColorScheme_));
    SetAlphaOption(targetOptions_, SchemeHasAlpha(targetColorScheme_));
    rowConverter_ = ChooseConverter(sourceColorScheme_, targetColorScheme_, sourceBitsPerSample_, targetBitsPerSample_);
    changed_ = false;
}

// Until the converter is chosen again, soAlpha may not yet follow the schemes; the byte
// counts must describe the row as it will be converted.
bool TColorManager::SourceHasAlpha() const {
    return changed_ ? SchemeHasAlpha(sourceColorScheme_) : sourceOptions_.Contains(soAlpha);
}

bool TColorManager::TargetHasAlpha() const {
    return changed_ ? SchemeHasAlpha(targetColorScheme_) : targetOptions_.Contains(soAlpha);
}

// 0 when the given planes cannot describe the source.
std::size_t TColorManager::PlanesUsed(std::size_t planeCount) const {
    if (planeCount == 0) return 0;
    if (IsRgbFamily(sourceColorScheme_)) {
        if (planeCount == 1) return 1;
        const std::size_t needed = SourceHasAlpha() && TargetHasAlpha() ? 4 : 3;
        return planeCount >= needed ? needed : 0;
    }
    switch (sourceColorScheme_) {
        case scCMYK: return planeCount == 4 ? 4 : 1;
        case scCIELab:
        case scYCbCr: return planeCount == 1 ? 1 : planeCount >= 3 ? 3 : 0;
        default: return 1;
    }
}

void TColorManager::ConvertRow(std::span<const std::uint8_t* const> source, std::uint8_t* target,
                               std::uint32_t count, std::uint8_t mask) {
    if (changed_) SelectRowConverter();
    if (rowConverter_ == nullptr) throw EColorConversionError(kNoConverterMessage);
    if (SelectedPixels(count, mask) == 0) return;
    if (target == nullptr || source.empty()) throw EColorConversionError(kMissingBufferMessage);
    const std::size_t planes = PlanesUsed(source.size());
    if (planes == 0) throw EColorConversionError(kMissingPlanesMessage);
    for (std::size_t i = 0; i < planes; ++i)
        if (source[i] == nullptr) throw EColorConversionError(kMissingBufferMessage);
    rowConverter_(*this, TRowJob{source, target, count, mask});
}

void TColorManager::ConvertRow(const std::uint8_t* source, std::uint8_t* target, std::uint32_t count,
                               std::uint8_t mask) {
    const std::uint8_t* planes[1] = {source};
    ConvertRow(planes, target, count, mask);
}

std::uint64_t TColorManager::SelectedPixels(std::uint32_t count, std::uint8_t mask) {
    const unsigned rest = count % 8;
    const unsigned restMask = mask & (0xFF00u >> rest) & 0xFFu;
    return std::uint64_t{count / 8} * static_cast<unsigned>(std::popcount(mask)) +
           static_cast<unsigned>(std::popcount(restMask));
}

std::uint64_t TColorManager::SourcePlaneBytes(std::uint32_t count, std::uint8_t mask, std::size_t planeCount) const {
    const std::uint64_t pixels = SelectedPixels(count, mask);
    const std::uint64_t sampleBytes = pixels * BytesPerSample(sourceBitsPerSample_);
    if (IsRgbFamily(sourceColorScheme_))
        return planeCount == 1 ? sampleBytes * (SourceHasAlpha() ? 4 : 3) : sampleBytes;
    switch (sourceColorScheme_) {
        case scIndexed: return sourceBitsPerSample_ == 16 ? 2 * pixels : (pixels * sourceBitsPerSample_ + 7) / 8;
        case scGray:
        case scGrayAlpha: return sampleBytes * (SourceHasAlpha() ? 2 : 1);
        case scCMYK: return planeCount == 4 ? sampleBytes : 4 * sampleBytes;
        case scCIELab:
        case scYCbCr: return planeCount == 1 ? 3 * sampleBytes : sampleBytes;
        default: return 0;
    }
}

std::uint64_t TColorManager::TargetRowBytes(std::uint32_t count) const {
    const std::uint64_t sampleBytes = std::uint64_t{count} * BytesPerSample(targetBitsPerSample_);
    switch (sourceColorScheme_) {
        case scIndexed:
            return targetBitsPerSample_ == 16 ? std::uint64_t{count} * 2
                                              : (std::uint64_t{count} * targetBitsPerSample_ + 7) / 8;
        case scGray:
        case scGrayAlpha: return sampleBytes;
        case scUnsupported: return 0;
        default: return sampleBytes * (TargetHasAlpha() ? 4 : 3);
    }
}

TPixelFormat TColorManager::PixelFormatFor(int index) const {
    const unsigned samples = index == 0 ? sourceSamplesPerPixel_ : targetSamplesPerPixel_;
    const unsigned bits = index == 0 ? sourceBitsPerSample_ : targetBitsPerSample_;
    switch (samples) {
        case 1:
            if (bits == 1) return pf1bit;
            if (bits >= 2 && bits <= 4) return pf4bit;
            if (bits >= 8 && bits <= 16) return pf8bit;
            return pfCustom;
        case 3: return bits >= 1 && bits <= 5 ? pf15bit : pf24bit;
        case 4: return bits >= 8 ? pf32bit : pfCustom;
        default: return pfCustom;
    }
}

}  // namespace pellumo
