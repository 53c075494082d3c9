#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "imaging/formats/tiff_directory.h"

namespace pellumo {

// How the luma/chroma samples of a TIFF file (photometric interpretation 6) are coded: the
// luma coefficients of red, green and blue (tag 529, ITU-R BT.601 when absent), the reference
// black and white of Y, Cb and Cr (tag 532; full range when absent) and the chroma subsampling
// (tag 530; 2 x 2 when absent).
struct TYCbCrCoding {
    std::array<double, 3> Luma{0.299, 0.587, 0.114};
    std::array<double, 6> ReferenceBlackWhite{0, 255, 128, 255, 128, 255};
    std::uint32_t Horizontal = 2, Vertical = 2;
};

// The coding the directory gives; raises EInvalidGraphic with the invalid-colour-format
// message for subsampling factors other than 1, 2 or 4, coefficients without green, or a
// reference black equal to its white.
TYCbCrCoding ReadYCbCrCoding(const TTIFFDirectory& directory);

// Turns rows of 8-bit data units into red-green-blue rows. A data unit covers Horizontal x
// Vertical pixels: their luma samples row by row, then one Cb and one Cr. Units at the right
// and bottom edges are stored whole; the pixels they cover outside the image are dropped.
class TYCbCrUnpacker {
public:
    TYCbCrUnpacker(const TYCbCrCoding& coding, std::uint32_t width);

    // Bytes of one row of data units, which covers Vertical rows of pixels.
    std::size_t UnitRowBytes() const { return unitsPerRow_ * unitBytes_; }
    std::uint32_t RowsPerUnitRow() const { return vertical_; }
    bool Subsampled() const { return horizontal_ * vertical_ > 1; }
    // Pixel row `rowInUnit` (below Vertical) of a row of units, as 3 x width bytes R, G, B.
    void UnpackRow(const std::uint8_t* unitRow, std::uint32_t rowInUnit, std::uint8_t* rgb) const;

private:
    std::uint32_t horizontal_, vertical_, width_;
    std::size_t unitsPerRow_, unitBytes_;
    double redFromCr_, blueFromCb_, lumaRed_, lumaBlue_, lumaGreen_;
    std::array<double, 256> luma_{}, cb_{}, cr_{};
};

}  // namespace pellumo
