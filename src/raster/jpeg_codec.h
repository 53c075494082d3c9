#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pellumo {

class TBitmap;

struct JpegHeader {
    int width = 0;
    int height = 0;
    int components = 0;  // 1 gray, 3 colour, 4 CMYK or YCCK
    // The ICC profile of the APP2 markers; empty when there is none, when it is damaged (a
    // part missing or twice) or larger than kMaxColorProfileBytes.
    std::vector<std::uint8_t> colorProfile;
};

// All three raise EJPEG with the codec's message; data that ends early is an error, never
// filled in.
JpegHeader ReadJpegHeader(std::span<const std::uint8_t> data);

// Full scale, slow integer DCT, fancy upsampling. Colour gives pf24bit; gray gives pf8bit
// with a gray palette; CMYK and YCCK give pf24bit in their intended colours; when
// `quantize` is set, colour is reduced to pf8bit with a 256-entry palette. Large pictures are
// decoded in bands of rows on several cores, each band by a decoder of its own that skips the
// rows before it; the picture is the same. `bands`: how many (for tests; 0 picks by the
// picture and the cores; a palette chosen over the whole picture takes one).
void DecodeJpeg(std::span<const std::uint8_t> data, bool quantize, TBitmap& target, int bands = 0);

// A reduced decode for previews: libjpeg reconstructs the picture at the smallest of its
// scales (N/8) whose longer side still reaches `longestSide` (full scale when none does), so a
// 24-megapixel photograph costs its entropy decoding and little more. Always pf24bit: gray
// and CMYK come out in the colours DecodeJpeg gives them. The Exif orientation is not applied.
// Raises EJPEG as DecodeJpeg does, and EConvertError for a picture over the size limit;
// `target` changes only on success.
void DecodeJpegScaled(std::span<const std::uint8_t> data, int longestSide, TBitmap& target);

// Reads the whole picture, as a decode would, without keeping it: raises EJPEG where
// DecodeJpeg would, and ECannotAllocate for a picture over the size limit. Cheaper than a
// decode, since the picture is reconstructed at an eighth of its size.
void VerifyJpegData(std::span<const std::uint8_t> data);

// Encodes any bitmap; an 8-bit bitmap whose palette is all grays becomes a gray JPEG.
std::vector<std::uint8_t> EncodeJpeg(const TBitmap& source, int quality);

}  // namespace pellumo
