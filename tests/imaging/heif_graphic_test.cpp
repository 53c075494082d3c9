#include "imaging/formats/heif_graphic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "base/memory_stream.h"
#include "imaging/codec_tools.h"
#include "imaging/formats/png_graphic.h"
#include "raster/picture.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;
using TBytes = std::vector<std::uint8_t>;

constexpr int kWidth = 64, kHeight = 48;

struct TPixel {
    int b, g, r, a;
};

// The source picture: red grows to the right, green downwards, blue shrinks to the right, so
// that a swapped channel, a turn or a mirror shows. With alpha, the right half is see-through.
TPixel SourcePixel(int x, int y) { return {255 - 2 * x, 5 * y, 4 * x, x < kWidth / 2 ? 255 : 80 + y}; }

TPixel PixelOf(const TBitmap& bitmap, int x, int y) {
    const int bytes = bitmap.PixelFormat() == pf32bit ? 4 : 3;
    const std::uint8_t* p = bitmap.ScanLine(y) + x * bytes;
    return {p[0], p[1], p[2], bytes == 4 ? p[3] : 255};
}

// Within `tolerance` per channel: the decoders round differently, lossy coding moves a little.
::testing::AssertionResult Near(TPixel actual, TPixel expected, int tolerance) {
    const int worst = std::max({std::abs(actual.b - expected.b), std::abs(actual.g - expected.g),
                                std::abs(actual.r - expected.r), std::abs(actual.a - expected.a)});
    if (worst <= tolerance) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "BGRA (" << actual.b << ',' << actual.g << ',' << actual.r << ','
                                         << actual.a << ") against (" << expected.b << ',' << expected.g << ','
                                         << expected.r << ',' << expected.a << ")";
}

void WriteBytes(const fs::path& file, const TBytes& bytes) {
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

// Files made in each test by libheif's and libavif's own tools, in a folder of the test's own.
class HeifGraphic : public test::ToolFolder {
protected:
    void SetUp() override {
        for (const char* tool : {"heif-enc", "heif-convert", "avifenc"})
            if (!test::HasTool(tool)) GTEST_SKIP() << tool << " is missing (scripts/install-deps installs it)";
        ToolFolder::SetUp();
    }

    // The source picture as a PNG file, the tools' input.
    fs::path SourcePng(bool alpha, int width = kWidth, int height = kHeight) {
        TBitmap bitmap;
        bitmap.SetPixelFormat(alpha ? pf32bit : pf24bit);
        bitmap.SetSize(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const TPixel p = SourcePixel(x, y);
                std::uint8_t* to = bitmap.ScanLine(y) + x * (alpha ? 4 : 3);
                to[0] = static_cast<std::uint8_t>(p.b), to[1] = static_cast<std::uint8_t>(p.g),
                to[2] = static_cast<std::uint8_t>(p.r);
                if (alpha) to[3] = static_cast<std::uint8_t>(p.a);
            }
        const fs::path file = folder / (alpha ? "source-alpha.png" : "source.png");
        test::SavePng(bitmap, file);
        return file;
    }

    // Runs the command line in the folder, quietly; the file it makes, never one left from before.
    fs::path Make(const std::string& command, const std::string& output) {
        fs::remove(folder / output);
        const std::string line = "cd '" + folder.string() + "' && " + command + " >/dev/null 2>&1";
        EXPECT_EQ(std::system(line.c_str()), 0) << line;
        return folder / output;
    }
    fs::path Heic(bool alpha) {
        const std::string source = SourcePng(alpha).filename().string();
        return Make("heif-enc -q 90 -o picture.heic " + source, "picture.heic");
    }
    fs::path Avif(bool alpha, const std::string& options = "") {
        const std::string source = SourcePng(alpha).filename().string();
        return Make("avifenc -s 10 " + options + " " + source + " picture.avif", "picture.avif");
    }

    // libheif's own decoder: its PNG, read back by our PNG reader.
    TBitmap Reference(const fs::path& file) {
        return test::LoadPng(Make("heif-convert --quiet '" + file.filename().string() + "' reference.png", "reference.png"));
    }

    // Ours against libheif's own decoder, pixel by pixel.
    static void ExpectSamePicture(const TBitmap& ours, const TBitmap& reference) {
        ASSERT_EQ(ours.Width(), reference.Width());
        ASSERT_EQ(ours.Height(), reference.Height());
        ASSERT_EQ(ours.PixelFormat(), reference.PixelFormat());
        int mismatches = 0;
        for (int y = 0; y < ours.Height(); ++y)
            for (int x = 0; x < ours.Width(); ++x) {
                const ::testing::AssertionResult near = Near(PixelOf(ours, x, y), PixelOf(reference, x, y), 1);
                if (!near && ++mismatches < 4) ADD_FAILURE() << "at " << x << ',' << y << ": " << near.message();
            }
        EXPECT_EQ(mismatches, 0);
    }
};

template <class TReader>
TReader Loaded(const fs::path& file) {
    TReader reader;
    reader.LoadFromFile(file.string());
    return reader;
}

TEST_F(HeifGraphic, HeicAndAvifDecodeAsLibheifsOwnDecoderDoesWithTheirAlpha) {
    for (const bool alpha : {false, true}) {
        SCOPED_TRACE(alpha ? "with alpha" : "without alpha");
        const fs::path heic = Heic(alpha);
        const THEIFGraphic fromHeic = Loaded<THEIFGraphic>(heic);
        EXPECT_EQ(fromHeic.PixelFormat(), alpha ? pf32bit : pf24bit);
        ExpectSamePicture(fromHeic, Reference(heic));

        const fs::path avif = Avif(alpha);
        const TAVIFGraphic fromAvif = Loaded<TAVIFGraphic>(avif);
        ExpectSamePicture(fromAvif, Reference(avif));
        // Lossy, but the colours stay where they were: blue top left, red top right, green
        // bottom left; the see-through half keeps its alpha.
        for (const auto& [x, y] : {std::pair{0, 0}, {kWidth - 1, 0}, {0, kHeight - 1}, {kWidth - 1, kHeight - 1}}) {
            TPixel expected = SourcePixel(x, y);
            if (!alpha) expected.a = 255;
            EXPECT_TRUE(Near(PixelOf(fromHeic, x, y), expected, 12)) << "HEIC at " << x << ',' << y;
            EXPECT_TRUE(Near(PixelOf(fromAvif, x, y), expected, 12)) << "AVIF at " << x << ',' << y;
        }
        EXPECT_TRUE(fromAvif.ColorProfile().empty());
    }
}

// libheif hands premultiplied colours over as they are stored; the bitmap's are straight, as
// libavif's own decoder gives them.
TEST_F(HeifGraphic, PremultipliedColoursComeOutStraight) {
    if (!test::HasTool("avifdec")) GTEST_SKIP() << "avifdec is missing (scripts/install-deps installs it)";
    const fs::path avif = Avif(true, "--premultiply");
    const TAVIFGraphic ours = Loaded<TAVIFGraphic>(avif);
    Make("avifdec picture.avif straight.png", "straight.png");
    TPNGGraphic straight;
    straight.LoadFromFile((folder / "straight.png").string());
    ASSERT_EQ(ours.PixelFormat(), pf32bit);
    // Dividing by an alpha of 80 and more triples the coding's rounding at most.
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            ASSERT_TRUE(Near(PixelOf(ours, x, y), PixelOf(straight, x, y), 6)) << "at " << x << ',' << y;
}

TEST_F(HeifGraphic, TenBitSamplesAreNarrowedToEight) {
    const fs::path avif = Avif(true, "-d 10");
    const TAVIFGraphic ours = Loaded<TAVIFGraphic>(avif);
    // libheif's decoder writes 16-bit PNG samples here, which our PNG reader narrows.
    ExpectSamePicture(ours, Reference(avif));
    EXPECT_TRUE(Near(PixelOf(ours, kWidth - 1, 0), SourcePixel(kWidth - 1, 0), 12));
}

// Rotation, mirrors and crop as libheif applies them: the decoded picture is the one a viewer
// shows, and a known corner of the source lands where it should.
TEST_F(HeifGraphic, RotationMirrorAndCropComeOutAsLibheifShowsThem) {
    struct TCase {
        const char* options;
        int width, height;
        int sourceX, sourceY;  // the source pixel that lands top left
    };
    const TCase cases[] = {
        {"--irot 1", kHeight, kWidth, kWidth - 1, 0},           // a quarter turn anticlockwise
        {"--irot 2", kWidth, kHeight, kWidth - 1, kHeight - 1},
        {"--imir 0", kWidth, kHeight, 0, kHeight - 1},          // top to bottom
        {"--imir 1", kWidth, kHeight, kWidth - 1, 0},           // left to right
        {"--crop 16,8,32,24", 32, 24, 16, 8},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.options);
        const fs::path avif = Avif(false, c.options);
        const TAVIFGraphic ours = Loaded<TAVIFGraphic>(avif);
        ASSERT_EQ(ours.Width(), c.width);
        ASSERT_EQ(ours.Height(), c.height);
        ExpectSamePicture(ours, Reference(avif));
        TPixel expected = SourcePixel(c.sourceX, c.sourceY);
        expected.a = 255;
        EXPECT_TRUE(Near(PixelOf(ours, 0, 0), expected, 12));
    }
}

TEST_F(HeifGraphic, KeepsTheIccProfileTheFileCarries) {
    // Any bytes do: the reader passes them on unread.
    TBytes profile(560);
    for (std::size_t i = 0; i < profile.size(); ++i) profile[i] = static_cast<std::uint8_t>(i * 7 + 3);
    WriteBytes(folder / "profile.icc", profile);
    TAVIFGraphic reader;
    reader.LoadFromFile(Avif(false, "--icc profile.icc").string());
    EXPECT_EQ(reader.ColorProfile(), profile);
    // A load without a profile leaves none from the picture before.
    reader.LoadFromFile(Avif(false).string());
    EXPECT_TRUE(reader.ColorProfile().empty());
}

std::string LoadError(THEIFFamilyGraphic& reader, const TBytes& bytes) {
    TMemoryStream stream(bytes);
    try {
        reader.LoadFromStream(stream);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(loaded)";
}

TEST_F(HeifGraphic, FilesCutShortFailNamingTheirFormat) {
    for (const bool avif : {false, true}) {
        const TBytes whole = test::FileContents(avif ? Avif(true) : Heic(true));
        THEIFGraphic heifReader;
        TAVIFGraphic avifReader;
        THEIFFamilyGraphic& reader = avif ? static_cast<THEIFFamilyGraphic&>(avifReader) : heifReader;
        const std::string format = avif ? "AVIF" : "HEIF";
        for (const std::size_t size : {std::size_t{0}, std::size_t{12}, std::size_t{100}, whole.size() / 2,
                                       whole.size() - 1}) {
            SCOPED_TRACE(format + " cut to " + std::to_string(size) + " bytes");
            const TBytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
            const std::string error = LoadError(reader, cut);
            EXPECT_TRUE(error == "Stream read error in " + format + " file." ||
                        error == "Cannot load image. Invalid or unexpected " + format + " image format.")
                << error;
            EXPECT_TRUE(reader.Empty());
        }
        EXPECT_EQ(LoadError(reader, whole), "(loaded)");
    }
}

// The sizes of every `ispe` box (the pictures' sizes) set to a lie.
TBytes WithPictureSize(TBytes file, std::uint32_t width, std::uint32_t height) {
    const std::string_view type = "ispe";
    int patched = 0;
    for (auto at = std::search(file.begin(), file.end(), type.begin(), type.end()); at != file.end();
         at = std::search(at + 1, file.end(), type.begin(), type.end())) {
        const auto offset = static_cast<std::size_t>(at - file.begin()) + 8;  // after the version and flags
        if (offset + 8 > file.size()) break;
        for (int i = 0; i < 4; ++i) {
            file[offset + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
            file[offset + 4 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
        }
        ++patched;
    }
    EXPECT_GT(patched, 0);
    return file;
}

TEST_F(HeifGraphic, SizesTheHeaderLiesAboutAreRefused) {
    const TBytes small = test::FileContents(Avif(true));
    TAVIFGraphic reader;
    // Within the sides libheif takes, beyond the pixels we take: our own check, before decoding.
    EXPECT_EQ(LoadError(reader, WithPictureSize(small, 30000, 20000)),
              "Image trop grande : 30000 x 20000 pixels (au plus 268435456 pixels)");
    // The codec's own size beyond the header's: refused, however small the header's is.
    EXPECT_EQ(LoadError(reader, WithPictureSize(small, 32, 24)),
              "Cannot load image. Invalid or unexpected AVIF image format.");
    // A side libheif refuses as it reads the file.
    EXPECT_EQ(LoadError(reader, WithPictureSize(small, 40000, 16)),
              "Cannot load image. Sizes beyond the decoder's limits are not supported for AVIF files.");
    EXPECT_TRUE(reader.Empty());
}

void PutBE(TBytes& bytes, std::size_t at, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * (size - 1 - i)));
}
TBytes BE32(std::uint64_t value) {
    TBytes bytes(4);
    PutBE(bytes, 0, value, 4);
    return bytes;
}
std::size_t Find(const TBytes& bytes, const TBytes& pattern) {
    const auto at = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
    EXPECT_NE(at, bytes.end());
    return at == bytes.end() ? 0 : static_cast<std::size_t>(at - bytes.begin());
}

// A grid's data as libavif writes it for 2 x 2 cells of 64 x 64: version, flags (16-bit
// sides), rows and columns less one, the canvas.
const TBytes kGridData = {0, 0, 1, 1, 0, 128, 0, 128};

TBytes WithGridCanvas(TBytes file, std::uint32_t width, std::uint32_t height) {
    const std::size_t at = Find(file, kGridData);
    PutBE(file, at + 4, width, 2);
    PutBE(file, at + 6, height, 2);
    return file;
}

// The grid made an overlay of the same four cells at the same places on a canvas of the given
// size: the item's type changed, its data (32-bit fields) in a `free` box at the end of the
// file and its location moved there.
TBytes AsOverlay(TBytes file, std::uint32_t width, std::uint32_t height) {
    TBytes data = {0, 1, 0, 0, 0, 0, 0, 0, 0, 0};  // version, flags, the fill colour
    for (const std::uint32_t field : {width, height, 0u, 0u, 64u, 0u, 0u, 64u, 64u, 64u}) {  // canvas, places
        const TBytes bytes = BE32(field);
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    TBytes extent = BE32(Find(file, kGridData));
    const TBytes length = BE32(kGridData.size());
    extent.insert(extent.end(), length.begin(), length.end());
    const std::size_t location = Find(file, extent);
    PutBE(file, location, file.size() + 8, 4);
    PutBE(file, location + 4, data.size(), 4);
    const std::size_t type = Find(file, {'g', 'r', 'i', 'd'});
    std::copy_n("iovl", 4, file.begin() + static_cast<std::ptrdiff_t>(type));
    const TBytes header = BE32(8 + data.size());
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), {'f', 'r', 'e', 'e'});
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

// libheif composes grids and overlays on a canvas their own data sizes, whatever the pictures'
// headers say, and allocates it as it decodes; it takes their cells on trust.
TEST_F(HeifGraphic, GridsAndOverlaysComposeAsLibheifShowsThemOnCanvasesWithinTheLimit) {
    const std::string source = SourcePng(false, 128, 128).filename().string();
    const fs::path grid = Make("avifenc -s 10 --grid 2x2 " + source + " grid.avif", "grid.avif");
    const TBytes gridFile = test::FileContents(grid);
    const fs::path overlay = folder / "overlay.avif";
    WriteBytes(overlay, AsOverlay(gridFile, 128, 128));
    for (const fs::path& file : {grid, overlay}) {
        SCOPED_TRACE(file.filename().string());
        ExpectSamePicture(Loaded<TAVIFGraphic>(file), Reference(file));
    }

    TAVIFGraphic reader;
    EXPECT_EQ(LoadError(reader, WithGridCanvas(gridFile, 30000, 20000)),
              "Image trop grande : 30000 x 20000 pixels (au plus 268435456 pixels)");
    EXPECT_EQ(LoadError(reader, AsOverlay(gridFile, 31707, 31707)),
              "Image trop grande : 31707 x 31707 pixels (au plus 268435456 pixels)");
    // A cell of another type than a picture's: libheif would stop the program on an assertion.
    for (TBytes file : {gridFile, AsOverlay(gridFile, 128, 128)}) {
        const std::size_t cellType = Find(file, {'a', 'v', '0', '1', 'C'});  // the first cell's entry
        file[cellType + 3] = '0';
        EXPECT_EQ(LoadError(reader, file), "Cannot load image. Invalid or unexpected AVIF image format.");
    }
    EXPECT_TRUE(reader.Empty());
}

TEST_F(HeifGraphic, PicturesLoadByTheirExtensionsInAnyCase) {
    fs::copy_file(Heic(false), folder / "picture.HEIF");
    for (const fs::path& file : {folder / "picture.HEIF", Avif(false)}) {
        TPicture picture;
        picture.LoadFromFile(file.string());
        EXPECT_EQ(picture.Width(), kWidth) << file;
    }
}

}  // namespace
}  // namespace pellumo
