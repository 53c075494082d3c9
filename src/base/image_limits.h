#pragma once

#include <cstddef>
#include <cstdint>

namespace pellumo {

// The largest image any code here allocates: 2^28 pixels (16384 x 16384), far beyond any
// screen, small enough that a lying header cannot exhaust memory.
constexpr std::int64_t kMaxImagePixels = std::int64_t{1} << 28;

// Bytes of one row of `width` pixels of `bitsPerPixel` bits, padded to 4 bytes.
constexpr std::size_t RowStride(std::int64_t width, int bitsPerPixel) {
    return static_cast<std::size_t>(((width * bitsPerPixel + 31) / 32) * 4);
}

// Checks a declared image size before anything is allocated for it: negative sizes and more
// than kMaxImagePixels pixels raise EConvertError with a clear message. Returns the size of
// the whole image in bytes, rows padded to 4 bytes.
std::size_t CheckedImageBytes(std::int64_t width, std::int64_t height, int bitsPerPixel);

}  // namespace pellumo
