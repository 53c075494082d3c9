#include "imaging/formats/tiff_ycbcr.h"

#include <algorithm>
#include <cmath>

#include "imaging/image_messages.h"

namespace pellumo {
namespace {

[[noreturn]] void InvalidColorFormat() { RaiseImageError(image_messages::kInvalidColorFormat, kTIFFFormatName); }

// Reference black and white map a sample onto 0..range (luma) or -range..range (chroma).
std::array<double, 256> ScaleSamples(double black, double white, double range) {
    std::array<double, 256> scaled{};
    for (unsigned value = 0; value < 256; ++value) scaled[value] = (value - black) * range / (white - black);
    return scaled;
}

std::uint8_t ToByte(double value) { return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L)); }

}  // namespace

TYCbCrCoding ReadYCbCrCoding(const TTIFFDirectory& directory) {
    TYCbCrCoding coding;
    if (directory.FindTag(tiff_tags::kYCbCrSubSampling) != nullptr) {
        const std::vector<std::uint32_t> factors = directory.ReadValues(tiff_tags::kYCbCrSubSampling);
        if (factors.size() < 2) InvalidColorFormat();
        coding.Horizontal = factors[0];
        coding.Vertical = factors[1];
    }
    for (std::uint32_t factor : {coding.Horizontal, coding.Vertical})
        if (factor != 1 && factor != 2 && factor != 4) InvalidColorFormat();

    if (directory.FindTag(tiff_tags::kYCbCrCoefficients) != nullptr) {
        const std::vector<double> luma = directory.ReadRationals(tiff_tags::kYCbCrCoefficients);
        if (luma.size() < 3) InvalidColorFormat();
        std::copy_n(luma.begin(), 3, coding.Luma.begin());
    }
    if (!(coding.Luma[1] > 0.0)) InvalidColorFormat();

    if (directory.FindTag(tiff_tags::kReferenceBlackWhite) != nullptr) {
        const std::vector<double> reference = directory.ReadRationals(tiff_tags::kReferenceBlackWhite);
        if (reference.size() < 6) InvalidColorFormat();
        std::copy_n(reference.begin(), 6, coding.ReferenceBlackWhite.begin());
    }
    for (std::size_t pair = 0; pair < 6; pair += 2)
        if (coding.ReferenceBlackWhite[pair] == coding.ReferenceBlackWhite[pair + 1]) InvalidColorFormat();
    return coding;
}

TYCbCrUnpacker::TYCbCrUnpacker(const TYCbCrCoding& coding, std::uint32_t width)
    : horizontal_(coding.Horizontal),
      vertical_(coding.Vertical),
      width_(width),
      unitsPerRow_((std::size_t{width} + coding.Horizontal - 1) / coding.Horizontal),
      unitBytes_(std::size_t{coding.Horizontal} * coding.Vertical + 2),
      redFromCr_(2.0 - 2.0 * coding.Luma[0]),
      blueFromCb_(2.0 - 2.0 * coding.Luma[2]),
      lumaRed_(coding.Luma[0]),
      lumaBlue_(coding.Luma[2]),
      lumaGreen_(coding.Luma[1]) {
    const auto& reference = coding.ReferenceBlackWhite;
    luma_ = ScaleSamples(reference[0], reference[1], 255.0);
    // A chroma's reference black is the code of no colour, its white the code of the most.
    cb_ = ScaleSamples(reference[2], reference[3], 127.0);
    cr_ = ScaleSamples(reference[4], reference[5], 127.0);
}

void TYCbCrUnpacker::UnpackRow(const std::uint8_t* unitRow, std::uint32_t rowInUnit, std::uint8_t* rgb) const {
    for (std::uint32_t x = 0; x < width_; ++x) {
        const std::uint8_t* unit = unitRow + (x / horizontal_) * unitBytes_;
        const double y = luma_[unit[rowInUnit * horizontal_ + x % horizontal_]];
        const std::size_t chroma = std::size_t{horizontal_} * vertical_;
        const double red = y + cr_[unit[chroma + 1]] * redFromCr_;
        const double blue = y + cb_[unit[chroma]] * blueFromCb_;
        const double green = (y - lumaBlue_ * blue - lumaRed_ * red) / lumaGreen_;
        rgb[3 * x] = ToByte(red);
        rgb[3 * x + 1] = ToByte(green);
        rgb[3 * x + 2] = ToByte(blue);
    }
}

}  // namespace pellumo
