// The PNG writer, checked by reading its files back twice: through our own reader and through
// libpng, an independent decoder. Both must give the very pixels that were written.
#include "imaging/formats/png_writer.h"

#include <gtest/gtest.h>
#include <png.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "base/memory_stream.h"
#include "imaging/formats/png_graphic.h"
#include "raster/bitmap.h"
#include "raster/pixel_rows.h"

namespace pellumo {
namespace {

using TBytes = std::vector<std::uint8_t>;

// Every pixel as red, green, blue (and alpha when asked), top row first.
TBytes ColourBytes(const TBitmap& bitmap, bool alpha) {
    TBytes out;
    std::vector<std::uint8_t> bgrx(static_cast<std::size_t>(bitmap.Width()) * 4);
    for (int y = 0; y < bitmap.Height(); ++y) {
        UnpackRow(bitmap.ScanLine(y), bitmap.PixelFormat(), bitmap.Palette(), bitmap.Width(), bgrx.data());
        for (int x = 0; x < bitmap.Width(); ++x) {
            const std::uint8_t* p = &bgrx[static_cast<std::size_t>(x) * 4];
            out.insert(out.end(), {p[2], p[1], p[0]});
            if (alpha) out.push_back(p[3]);
        }
    }
    return out;
}

struct TLibpngImage {
    std::string error;
    int width = 0, height = 0;
    TBytes pixels;  // RGB or RGBA, 8 bits a sample
};

TLibpngImage DecodeWithLibpng(const TBytes& file, bool alpha) {
    TLibpngImage result;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, file.data(), file.size()) == 0) {
        result.error = image.message;
        return result;
    }
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    result.pixels.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, result.pixels.data(), 0, nullptr) == 0) result.error = image.message;
    result.width = static_cast<int>(image.width);
    result.height = static_cast<int>(image.height);
    png_image_free(&image);
    return result;
}

std::mt19937 generator(20240611);
std::uint8_t RandomByte() { return static_cast<std::uint8_t>(generator() >> 24); }

TBitmap Filled(TPixelFormat format, int width, int height, TPalette palette = {}) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    if (!palette.empty()) bitmap.SetPalette(std::move(palette));
    bitmap.SetSize(width, height);
    // Padding bits and bytes too: the file must not depend on them.
    for (int y = 0; y < height; ++y)
        for (std::size_t i = 0; i < bitmap.RowBytes(); ++i) bitmap.ScanLine(y)[i] = RandomByte();
    return bitmap;
}

TPalette RandomPalette(std::size_t entries) {
    TPalette palette(entries);
    for (TPaletteEntry& entry : palette) entry = {RandomByte(), RandomByte(), RandomByte(), 0};
    return palette;
}

TEST(PngWriter, FilesDecodeToTheWrittenPixelsInOurReaderAndInLibpng) {
    const struct {
        std::string name;
        std::function<TBitmap()> make;
        int depth;       // the file's bit depth
        int colourType;  // 2 RGB, 3 palette, 6 RGBA
    } cases[] = {
        // Noise packs badly: its image data spans several IDAT chunks.
        {"24-bit noise", [] { return Filled(pf24bit, 301, 203); }, 8, 2},
        {"24-bit smooth",
         [] {
             TBitmap bitmap = Filled(pf24bit, 37, 21);
             for (int y = 0; y < 21; ++y)
                 for (int x = 0; x < 37 * 3; ++x) bitmap.ScanLine(y)[x] = static_cast<std::uint8_t>(x * 7 + y * 3);
             return bitmap;
         },
         8, 2},
        {"8-bit palette", [] { return Filled(pf8bit, 13, 7, RandomPalette(256)); }, 8, 3},
        // Indices past a short palette show black, in the bitmap as in the file.
        {"4-bit short palette", [] { return Filled(pf4bit, 9, 5, RandomPalette(3)); }, 4, 3},
        {"1-bit", [] { return Filled(pf1bit, 29, 6, RandomPalette(2)); }, 1, 3},
        {"1-bit default palette", [] { return Filled(pf1bit, 3, 2); }, 1, 3},
        {"32-bit with alpha", [] { return Filled(pf32bit, 11, 4); }, 8, 6},
        {"16-bit", [] { return Filled(pf16bit, 5, 3); }, 8, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TBitmap bitmap = c.make();
        const bool alpha = c.colourType == 6;
        TMemoryStream stream;
        WritePngFile(stream, bitmap);
        const TBytes& file = stream.Bytes();
        ASSERT_GT(file.size(), 33u);
        EXPECT_EQ(file[24], c.depth);
        EXPECT_EQ(file[25], c.colourType);

        const TLibpngImage reference = DecodeWithLibpng(file, alpha);
        ASSERT_EQ(reference.error, "");
        EXPECT_EQ(reference.width, bitmap.Width());
        EXPECT_EQ(reference.height, bitmap.Height());
        EXPECT_EQ(reference.pixels, ColourBytes(bitmap, alpha));

        TPNGGraphic png;
        stream.SetPosition(0);
        png.LoadFromStream(stream);
        ASSERT_EQ(png.Width(), bitmap.Width());
        ASSERT_EQ(png.Height(), bitmap.Height());
        // Palette images come back at their depth.
        if (IsIndexed(bitmap.PixelFormat())) {
            EXPECT_EQ(png.PixelFormat(), bitmap.PixelFormat());
        }
        EXPECT_EQ(ColourBytes(png, alpha), ColourBytes(bitmap, alpha));
    }
}

// A fourth byte that is the same everywhere is no alpha: such 32-bit bitmaps are written as RGB.
TEST(PngWriter, ThirtyTwoBitWithoutAnAlphaIsWrittenOpaque) {
    for (const std::uint8_t fourth : {0, 255}) {
        TBitmap bitmap = Filled(pf32bit, 7, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x) bitmap.ScanLine(y)[4 * x + 3] = fourth;
        TMemoryStream stream;
        WritePngFile(stream, bitmap);
        ASSERT_GT(stream.Size(), 25);
        EXPECT_EQ(stream.Bytes()[25], 2) << int{fourth};
        const TLibpngImage reference = DecodeWithLibpng(stream.Bytes(), false);
        ASSERT_EQ(reference.error, "");
        EXPECT_EQ(reference.pixels, ColourBytes(bitmap, false));
    }
}

}  // namespace
}  // namespace pellumo
