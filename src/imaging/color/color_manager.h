#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>

#include "base/exceptions.h"
#include "raster/palette.h"
#include "raster/pixel_format.h"

namespace pellumo {

// Every failure of the colour manager: bad settings, a pair of layouts no converter handles,
// or row buffers that cannot hold what the settings describe.
class EColorConversionError : public Exception {
public:
    using Exception::Exception;
};

// The meaning and order of the samples of one pixel.
enum TColorScheme : std::uint8_t {
    scIndexed,      // palette index
    scGray,         // gray
    scGrayAlpha,    // gray, alpha
    scRGB,          // red, green, blue
    scRGBA,         // red, green, blue, alpha
    scBGR,          // blue, green, red
    scBGRA,         // blue, green, red, alpha
    scUnsupported,  // no converter exists
    scCMYK,         // cyan, magenta, yellow, black
    scCIELab,       // L*, a*, b*
    scYCbCr,        // luma, blue chroma, red chroma
};

enum TSampleOption : std::uint8_t {
    soAlpha,        // the scheme carries an alpha sample (kept in step with the scheme)
    soApplyGamma,   // target: colour samples pass through the gamma table
    soByteSwap,     // source: 16-bit samples are stored most significant byte first
    soLabScaledL,   // source: L* is stored as 0..255
    soLabOffsetAB,  // source: a* and b* are stored unsigned with an offset of 128
};

// A set of sample options in one byte; bit n stands for the option of value n.
class TSampleOptions {
public:
    constexpr TSampleOptions() = default;
    constexpr TSampleOptions(std::initializer_list<TSampleOption> options) {
        for (TSampleOption option : options) Include(option);
    }
    constexpr bool Contains(TSampleOption option) const { return ((bits_ >> option) & 1u) != 0; }
    constexpr void Include(TSampleOption option) { bits_ = static_cast<std::uint8_t>(bits_ | (1u << option)); }
    constexpr void Exclude(TSampleOption option) { bits_ = static_cast<std::uint8_t>(bits_ & ~(1u << option)); }
    constexpr std::uint8_t Bits() const { return bits_; }
    friend constexpr bool operator==(TSampleOptions, TSampleOptions) = default;

private:
    std::uint8_t bits_ = 0;
};

using TGammaTable = std::array<std::uint8_t, 256>;

class TColorManager;
struct TRowJob;
using TRowConverter = void (*)(const TColorManager& manager, const TRowJob& job);

// Turns rows of samples of one layout (indexed, gray, RGB/BGR with or without alpha, CMYK,
// CIE L*a*b*, luma/chroma; 1 to 16 bits per sample; interleaved or planar) into rows of
// another, builds the palettes that go with indexed targets and applies gamma. A reader sets
// the properties, then calls ConvertRow once per row; the converter is chosen on the first row
// after any property changed. One thread at a time.
//
// Row buffers. For `count` pixels of which n are selected by `mask` (SelectedPixels), with
// B = 2 bytes per sample at 16 bits and 1 otherwise, ConvertRow reads at most these bytes from
// each source plane it uses (SourcePlaneBytes), and never touches another plane:
//
//   source scheme          planes given        planes used   bytes read from each
//   scIndexed              any                 Source[0]     ceil(n x bits / 8); 2n at 16 bits
//   scGray, scGrayAlpha    any                 Source[0]     n x B, twice that with alpha
//   RGB/BGR (+alpha)       1                   Source[0]     n x B x (4 with source alpha, else 3)
//                          3 or more           Source[0..2]  n x B; Source[3] too when both
//                                                            sides have alpha
//   scCMYK                 exactly 4           Source[0..3]  n x B
//                          any other number    Source[0]     4n x B
//   scCIELab, scYCbCr      1                   Source[0]     3n x B
//                          3 or more           Source[0..2]  n x B
//
// It writes only inside the first TargetRowBytes(count) bytes of the target: an indexed
// source writes ceil(count x bits / 8) bytes (2 x count at 16 bits); a gray source one sample
// per pixel; every other source 3 samples per pixel, or 4 when the target has alpha. Pixels
// the mask leaves out keep their target bytes, as do bits of a packed target byte that belong
// to other pixels and the alpha sample of a target whose alpha is not copied. A planar RGB,
// L*a*b* or luma/chroma row with two planes, or with three where the alpha plane is needed,
// and null buffers where bytes would be read or written, raise EColorConversionError.
class TColorManager {
public:
    TColorManager();

    // A property changed since the converter was last chosen.
    bool Changed() const { return changed_; }

    // 1, 2, 4, 8 or 16; anything else raises and keeps the old value.
    std::uint8_t SourceBitsPerSample() const { return sourceBitsPerSample_; }
    void SetSourceBitsPerSample(std::uint8_t bits);
    std::uint8_t TargetBitsPerSample() const { return targetBitsPerSample_; }
    void SetTargetBitsPerSample(std::uint8_t bits);

    // 1, 3 or 4; anything else raises and keeps the old value. 1 makes that side scIndexed.
    std::uint8_t SourceSamplesPerPixel() const { return sourceSamplesPerPixel_; }
    void SetSourceSamplesPerPixel(std::uint8_t samples);
    std::uint8_t TargetSamplesPerPixel() const { return targetSamplesPerPixel_; }
    void SetTargetSamplesPerPixel(std::uint8_t samples);

    // Stored as given; scIndexed makes that side one sample per pixel. A pair without a
    // converter is reported by ConvertRow.
    TColorScheme SourceColorScheme() const { return sourceColorScheme_; }
    void SetSourceColorScheme(TColorScheme scheme);
    TColorScheme TargetColorScheme() const { return targetColorScheme_; }
    void SetTargetColorScheme(TColorScheme scheme);

    // Plain sets that readers change bit by bit; changing them never makes the converter be
    // chosen again (soAlpha is recomputed from the schemes when it is).
    const TSampleOptions& SourceOptions() const { return sourceOptions_; }
    TSampleOptions& SourceOptions() { return sourceOptions_; }
    void SetSourceOptions(TSampleOptions options) { sourceOptions_ = options; }
    const TSampleOptions& TargetOptions() const { return targetOptions_; }
    TSampleOptions& TargetOptions() { return targetOptions_; }
    void SetTargetOptions(TSampleOptions options) { targetOptions_ = options; }

    float FileGamma() const { return fileGamma_; }
    float DisplayGamma() const { return displayGamma_; }
    // Stores each value that is positive and finite, else its default (1.0 and 2.2), and
    // rebuilds the gamma table for the current bit depths. Leaves Changed as it is.
    void SetGammaValues(float fileGamma, float displayGamma);
    const TGammaTable& GammaTable() const { return gammaTable_; }

    // Validates the schemes and chooses the row converter (none when no converter fits the
    // pair). Raises for a pair where exactly one side is indexed. ConvertRow calls it.
    void SelectRowConverter();

    // Converts `count` pixels from `source` (one pointer for interleaved data, one per sample
    // plane for planar data) into `target`. Pixel i is converted only when bit 7 - (i mod 8) of
    // `mask` is set; the source holds only the converted pixels. See the class comment for the
    // bytes read and written.
    void ConvertRow(std::span<const std::uint8_t* const> source, std::uint8_t* target, std::uint32_t count,
                    std::uint8_t mask = 0xFF);
    void ConvertRow(const std::uint8_t* source, std::uint8_t* target, std::uint32_t count, std::uint8_t mask = 0xFF);

    // How many of `count` pixels `mask` selects.
    static std::uint64_t SelectedPixels(std::uint32_t count, std::uint8_t mask);
    // The most ConvertRow reads from each source plane it uses, and writes to the target, under
    // the current settings, for a source given as `planeCount` pointers.
    std::uint64_t SourcePlaneBytes(std::uint32_t count, std::uint8_t mask, std::size_t planeCount) const;
    std::uint64_t TargetRowBytes(std::uint32_t count) const;

    // The bitmap format for the source settings (index 0) or the target settings (any other).
    TPixelFormat PixelFormatFor(int index) const;

    // Gray levels for the target depth, black first or, with minimumIsWhite, white first.
    TPalette MakeGrayPalette(bool minimumIsWhite) const;

    // A palette from raw entries, rescaled so that indices widened or narrowed by the indexed
    // converters still find their colours. dataFormat: 0 = 3 bytes an entry, 1 = 4 bytes (the
    // fourth skipped), 2 and 3 = three byte planes red, green, blue; 4 to 7 the same with
    // 16-bit words. `bgr` puts interleaved entries in blue, green, red order. Reads at most
    // min(colorCount, 256) entries: from data[0] for interleaved layouts, from data[0..2]
    // for planar ones; too few or null pointers raise. Other formats give black entries.
    TPalette MakeColorPalette(std::span<const std::uint8_t* const> data, std::uint8_t dataFormat,
                              std::uint32_t colorCount, bool bgr) const;

private:
    bool SourceHasAlpha() const;
    bool TargetHasAlpha() const;
    std::size_t PlanesUsed(std::size_t planeCount) const;

    bool changed_ = true;
    std::uint8_t sourceBitsPerSample_ = 8;
    std::uint8_t targetBitsPerSample_ = 8;
    std::uint8_t sourceSamplesPerPixel_ = 3;
    std::uint8_t targetSamplesPerPixel_ = 3;
    float fileGamma_ = 1.0f;
    float displayGamma_ = 2.2f;
    TGammaTable gammaTable_{};
    TColorScheme sourceColorScheme_ = scRGB;
    TColorScheme targetColorScheme_ = scBGR;
    TRowConverter rowConverter_ = nullptr;
    TSampleOptions sourceOptions_;
    TSampleOptions targetOptions_;
};

}  // namespace pellumo
