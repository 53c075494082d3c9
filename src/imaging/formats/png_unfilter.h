#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace pellumo {

// The predictor of filter type 4: of the left (a), upper (b) and upper-left (c) bytes, the one
// nearest to a + b - c; ties go to a, then b.
constexpr std::uint8_t PaethPredictor(int a, int b, int c) {
    const int pa = b > c ? b - c : c - b;            // |p - a|
    const int pb = a > c ? a - c : c - a;            // |p - b|
    const int pc = a + b > 2 * c ? a + b - 2 * c : 2 * c - a - b;  // |p - c|
    // Selects rather than branches: on photographs the winner changes from byte to byte.
    const int bOrC = pb <= pc ? b : c;
    return static_cast<std::uint8_t>(static_cast<int>(pa <= pb) & static_cast<int>(pa <= pc) ? a : bOrC);
}

// Undoes the filter of one scan line in place. row[0] is the filter type, the bytes after it
// the filtered data; `previous` is the decoded line above, filter byte included, and at least
// as long as `row` (all zero before the first line of an image or pass). Filter types above 4
// leave the data as stored. `bytesPerPixel` is the distance to the byte on the left, 1 to 8.
void UnfilterRow(std::span<std::uint8_t> row, std::span<const std::uint8_t> previous, std::size_t bytesPerPixel);

}  // namespace pellumo
