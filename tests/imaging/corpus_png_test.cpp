// Every PNG file of the corpus against libpng's decode of the same file.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>

#include "corpus.h"
#include "imaging/formats/png_graphic.h"

namespace pellumo {
namespace {

// libpng's decode as 8- or 16-bit RGB or RGBA samples, no gamma, no tRNS applied.
struct TReference {
    int Width = 0, Height = 0, Channels = 0, Depth = 0;
    std::vector<std::vector<std::uint8_t>> Rows;
    // Channel c of pixel x in row y, narrowed to 8 bits as the reader narrows.
    int Sample(int x, int y, int c) const {
        const std::uint8_t* p = Rows[static_cast<std::size_t>(y)].data() + static_cast<std::size_t>(x * Channels + c) * (Depth / 8);
        return Depth == 16 ? (p[0] << 8 | p[1]) * 255 / 65535 : p[0];
    }
};

bool DecodeWithLibpng(const std::filesystem::path& path, TReference& out) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, [](png_structp, png_const_charp) {});
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> pointers;
    // libpng reports failures by longjmp; nothing with a destructor lives between here and there
    // except `pointers` and `out`, which outlive this frame.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file.get());
    png_read_info(png, info);
    png_set_palette_to_rgb(png);
    png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    out.Width = static_cast<int>(png_get_image_width(png, info));
    out.Height = static_cast<int>(png_get_image_height(png, info));
    out.Channels = png_get_channels(png, info);
    out.Depth = png_get_bit_depth(png, info);
    out.Rows.assign(static_cast<std::size_t>(out.Height), std::vector<std::uint8_t>(png_get_rowbytes(png, info)));
    for (auto& row : out.Rows) pointers.push_back(row.data());
    png_read_image(png, pointers.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// The largest difference of a channel between the bitmap and libpng's samples, after the
// reader's gamma table where the file asked for gamma; alpha only where the bitmap has it.
int LargestDifference(TPNGGraphic& png, const TReference& reference) {
    if (png.Width() != reference.Width || png.Height() != reference.Height) return -1;
    const bool gamma = png.ColorManager().TargetOptions().Contains(soApplyGamma);
    const TGammaTable& table = png.ColorManager().GammaTable();
    const bool alpha = png.PixelFormat() == pf32bit;
    std::vector<std::uint8_t> bgra(static_cast<std::size_t>(png.Width()) * 4);
    int largest = 0;
    for (int y = 0; y < png.Height(); ++y) {
        UnpackRow(png.ScanLine(y), png.PixelFormat(), png.Palette(), png.Width(), bgra.data());
        if (alpha) std::copy_n(png.ScanLine(y), bgra.size(), bgra.data());
        for (int x = 0; x < png.Width(); ++x) {
            const std::uint8_t* got = &bgra[static_cast<std::size_t>(x) * 4];
            for (int c = 0; c < 3; ++c) {
                const int want = reference.Sample(x, y, c);
                largest = std::max(largest, std::abs(got[2 - c] - (gamma ? table[static_cast<std::size_t>(want)] : want)));
            }
            if (alpha) largest = std::max(largest, std::abs(got[3] - reference.Sample(x, y, 3)));
        }
    }
    return largest;
}

TEST(PngCorpus, EveryValidFileReadsAsLibpngDecodesItAndBrokenOnesAreRefused) {
    const std::vector<corpus::TSample> samples = corpus::Samples("png/");
    if (samples.empty()) GTEST_SKIP() << "no image corpus at " << corpus::Root();
    int compared = 0, refused = 0, brokenLoaded = 0;
    for (const corpus::TSample& sample : samples) {
        SCOPED_TRACE(sample.File);
        const bool negative = sample.Notes.find("NEGATIVE") != std::string::npos;
        TPNGGraphic png;
        try {
            png.LoadFromFile((corpus::Root() / sample.File).string());
        } catch (const EInvalidGraphic& e) {
            EXPECT_TRUE(negative) << e.what();
            ++refused;
            continue;
        }
        TReference reference;
        if (!DecodeWithLibpng(corpus::Root() / sample.File, reference)) {
            // libpng refuses it too strictly or at all; the reader may be lenient, as long as
            // the file is one of the broken ones.
            EXPECT_TRUE(negative);
            ++brokenLoaded;
            continue;
        }
        if (negative) ++brokenLoaded;
        const int difference = LargestDifference(png, reference);
        EXPECT_EQ(difference, 0) << (difference < 0 ? "size differs" : "pixels differ");
        ++compared;
    }
    std::printf("PNG corpus: %d files compared with libpng, %d refused, %d broken files loaded leniently\n", compared,
                refused, brokenLoaded);
    EXPECT_GT(compared, 150);
}

}  // namespace
}  // namespace pellumo
