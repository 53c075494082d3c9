// The corpus's Photo-CD, Dr. Halo CUT and Autodesk cel files against their references.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "corpus.h"
#include "imaging/formats/autodesk_graphic.h"
#include "imaging/formats/cut_graphic.h"
#include "imaging/formats/pcd_graphic.h"

namespace pellumo {
namespace {

QImage Reference(const std::string& path) {
    return QImage(QString::fromStdString((corpus::Root() / path).string())).convertToFormat(QImage::Format_RGB32);
}

TEST(PCDCUTCelCorpus, PhotoCDAsTheSameArithmeticOnTheStoredChromaGivesIt) {
    const std::vector<corpus::TSample> samples = corpus::Samples("pcd/");
    if (samples.empty()) GTEST_SKIP() << "no image corpus at " << corpus::Root();
    // The ImageMagick reference converts PhotoYCC with a transform of its own, far from the
    // one this reader uses. The decode kept as .ycc-raw.png applies nearly the same arithmetic
    // but repeats each chroma sample over its 2 x 2 pixels, where this reader averages
    // neighbours. The two take the stored chroma as it is at even rows and columns: there they
    // must agree; elsewhere they part where the chroma changes, so only most pixels agree.
    for (const corpus::TSample& sample : samples) {
        SCOPED_TRACE(sample.File);
        TPCDGraphic pcd;
        pcd.LoadFromFile((corpus::Root() / sample.File).string());
        const QImage raw = Reference(sample.Reference.substr(0, sample.Reference.size() - 4) + ".ycc-raw.png");
        ASSERT_EQ(pcd.Width(), raw.width());
        ASSERT_EQ(pcd.Height(), raw.height());
        int largestStored = 0, interpolated = 0, interpolatedClose = 0;
        for (int y = 0; y < raw.height(); ++y) {
            for (int x = 0; x < raw.width(); ++x) {
                const QRgb want = raw.pixel(x, y);
                const std::uint8_t* got = pcd.ScanLine(y) + 3 * x;
                const int difference = std::max({std::abs(got[2] - qRed(want)), std::abs(got[1] - qGreen(want)),
                                                 std::abs(got[0] - qBlue(want))});
                if (x % 2 == 0 && y % 2 == 0) {
                    largestStored = std::max(largestStored, difference);
                } else {
                    ++interpolated;
                    if (difference <= 8) ++interpolatedClose;
                }
            }
        }
        EXPECT_LE(largestStored, 8);
        EXPECT_GE(interpolatedClose * 10, interpolated * 8);
        std::printf("Photo-CD %s: stored chroma within %d, %d of %d interpolated pixels within 8\n",
                    sample.File.c_str(), largestStored, interpolatedClose, interpolated);
    }
}

TEST(PCDCUTCelCorpus, CutPicturesWithAndWithoutPaletteFiles) {
    int compared = 0;
    for (const corpus::TSample& sample : corpus::Samples("cut/")) {
        if (sample.Reference == "none") continue;  // the palette files
        SCOPED_TRACE(sample.File);
        TCUTGraphic cut;
        cut.LoadFromFile((corpus::Root() / sample.File).string());
        const int difference = corpus::LargestDifference(cut, Reference(sample.Reference));
        EXPECT_GE(difference, 0) << "size differs";
        EXPECT_LE(difference, 8);
        ++compared;
    }
    if (compared == 0) GTEST_SKIP() << "no image corpus at " << corpus::Root();
    EXPECT_EQ(compared, 3);
}

// The cel references are the stored indices as grays and the stored 6-bit palette as text,
// four times which the reader's palette must be.
TEST(PCDCUTCelCorpus, AutodeskCelsKeepTheirIndicesAndWidenTheirPalettes) {
    int compared = 0;
    for (const corpus::TSample& sample : corpus::Samples("cel/")) {
        SCOPED_TRACE(sample.File);
        TAutodeskGraphic cel;
        cel.LoadFromFile((corpus::Root() / sample.File).string());
        const QImage indices = Reference(sample.Reference);
        ASSERT_EQ(cel.Width(), indices.width());
        ASSERT_EQ(cel.Height(), indices.height());
        for (int y = 0; y < cel.Height(); ++y)
            for (int x = 0; x < cel.Width(); ++x) ASSERT_EQ(cel.ScanLine(y)[x], qRed(indices.pixel(x, y))) << x << ", " << y;

        const std::string paletteText = sample.Reference.substr(0, sample.Reference.find(".indices.png")) + ".palette6.txt";
        std::ifstream text(corpus::Root() / paletteText);
        std::string line;
        int entries = 0;
        ASSERT_EQ(cel.Palette().size(), 256u);
        while (std::getline(text, line)) {
            if (line.empty() || line[0] == '#') continue;
            std::istringstream fields(line);
            int index = 0, red = 0, green = 0, blue = 0;
            fields >> index >> red >> green >> blue;
            const TPaletteEntry& entry = cel.Palette().at(static_cast<std::size_t>(index));
            EXPECT_EQ(entry, (TPaletteEntry{static_cast<std::uint8_t>(red * 4), static_cast<std::uint8_t>(green * 4),
                                            static_cast<std::uint8_t>(blue * 4), 0}));
            ++entries;
        }
        EXPECT_EQ(entries, 256);
        ++compared;
    }
    if (compared == 0) GTEST_SKIP() << "no image corpus at " << corpus::Root();
}

}  // namespace
}  // namespace pellumo
