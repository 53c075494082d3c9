// Large pictures are decoded in bands on several threads: the picture must be exactly the one
// a single decoder gives, for every sampling and colour model, and errors must be the same.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include "raster/bitmap.h"
#include "raster/jpeg_codec.h"

namespace pellumo {
namespace {

struct TSampling {
    const char* name;
    int components;  // 1 gray, 3 YCbCr, 4 CMYK
    int lumaH, lumaV;
    int restartRows;
};

// A noisy picture with edges, so that every block and every chroma sample differs.
std::vector<std::uint8_t> Encode(const TSampling& sampling, int width, int height) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = sampling.components;
    cinfo.in_color_space = sampling.components == 1 ? JCS_GRAYSCALE : sampling.components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 85, TRUE);
    if (sampling.components == 3) {
        cinfo.comp_info[0].h_samp_factor = sampling.lumaH;
        cinfo.comp_info[0].v_samp_factor = sampling.lumaV;
    }
    cinfo.restart_in_rows = sampling.restartRows;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width * sampling.components));
    std::uint32_t noise = 99;
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < sampling.components; ++c) {
                noise = noise * 1664525u + 1013904223u;
                const int base = ((x / 7 + y / 5 + c) % 3) * 90 + (x * y) % 40;
                row[static_cast<std::size_t>(x * sampling.components + c)] =
                    static_cast<std::uint8_t>(base + (noise >> 28));
            }
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&cinfo, &pointer, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

bool SamePixels(const TBitmap& a, const TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.PixelFormat() != b.PixelFormat()) return false;
    const std::size_t rowBytes = static_cast<std::size_t>(a.Width()) * (a.PixelFormat() == pf8bit ? 1 : 3);
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.ScanLine(y), b.ScanLine(y), rowBytes) != 0) return false;
    return true;
}

std::string ErrorOf(std::span<const std::uint8_t> data, int bands) {
    TBitmap bitmap;
    try {
        DecodeJpeg(data, false, bitmap, bands);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

TEST(JpegBands, EveryBandingGivesTheSinglePicture) {
    const TSampling samplings[] = {
        {"4:2:0", 3, 2, 2, 0}, {"4:2:2", 3, 2, 1, 0}, {"4:4:0", 3, 1, 2, 0}, {"4:4:4", 3, 1, 1, 0},
        {"gray", 1, 1, 1, 0},  {"CMYK", 4, 1, 1, 0},  {"4:2:0, restart every 3 rows", 3, 2, 2, 3},
    };
    for (const TSampling& sampling : samplings) {
        // Heights that end inside an MCU row, and one of only a few MCU rows.
        for (const auto& [width, height] : {std::pair{301, 517}, std::pair{64, 40}}) {
            const std::vector<std::uint8_t> data = Encode(sampling, width, height);
            TBitmap single;
            DecodeJpeg(data, false, single, 1);
            for (int bands : {2, 3, 4, 0}) {
                TBitmap banded;
                DecodeJpeg(data, false, banded, bands);
                EXPECT_TRUE(SamePixels(single, banded))
                    << sampling.name << ", " << width << "x" << height << ", " << bands << " bands";
            }
        }
    }
}

TEST(JpegBands, BrokenDataFailsAsASingleDecodeFails) {
    const std::vector<std::uint8_t> data = Encode({"4:2:0", 3, 2, 2, 0}, 300, 400);
    // Cut in the first band, in the last, and noise over the middle.
    for (const std::size_t cut : {data.size() / 5, data.size() * 9 / 10}) {
        const std::span<const std::uint8_t> head(data.data(), cut);
        EXPECT_EQ(ErrorOf(head, 3), ErrorOf(head, 1)) << "cut at " << cut;
        EXPECT_NE(ErrorOf(head, 1), "no error");
    }
    std::vector<std::uint8_t> noisy = data;
    for (std::size_t i = noisy.size() / 2; i < noisy.size() / 2 + 64; ++i) noisy[i] = static_cast<std::uint8_t>(i * 31);
    EXPECT_EQ(ErrorOf(noisy, 3), ErrorOf(noisy, 1));
    // Noise without markers, which libjpeg decodes into damage without a word: the same
    // damage either way.
    std::vector<std::uint8_t> damaged = data;
    for (std::size_t i = damaged.size() / 2; i < damaged.size() / 2 + 64; ++i)
        damaged[i] = static_cast<std::uint8_t>(i * 31 % 0x7F);
    TBitmap single, banded;
    DecodeJpeg(damaged, false, single, 1);
    DecodeJpeg(damaged, false, banded, 3);
    EXPECT_TRUE(SamePixels(single, banded));
}

}  // namespace
}  // namespace pellumo
