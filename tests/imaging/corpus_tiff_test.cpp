// Every TIFF file of the corpus against its independent reference decode.
#include <cstdio>
#include <map>

#include "corpus.h"
#include "imaging/color/color_manager.h"
#include "imaging/formats/tiff_graphic.h"

namespace pellumo {
namespace {

// Files whose layout the reader does not read, with the reason.
const std::map<std::string, std::string> kRefused = {
    {"tiff/gen/fax_g3_2d_le.tif", "two-dimensional Group 3 coding"},
    {"tiff/libtiff/testfax4.tiff", "Group 4 compression"},
    {"tiff/pillow/pil168.tif", "JPEG compression"},
    {"tiff/pillow/hopper_bigtiff.tif", "BigTIFF (version 43)"},
    {"tiff/pillow/12bit.cropped.tif", "12 bits per sample"},
    {"tiff/gen/rgb8_be_lzw_pred2_planar.tif", "planar data"},
    {"tiff/gen/rgb8_le_none_planar.tif", "planar data"},
    {"tiff/gen/rgb8_le_packbits_planar.tif", "planar data"},
    {"tiff/pics/flower-rgb-planar-8.tif", "planar data"},
    {"tiff/libtiff/quad-lzw-compat.tiff", "old-style LZW, codes least significant bit first"},
    {"tiff/pics/quad-lzw.tif", "old-style LZW, codes least significant bit first"},
    {"tiff/pics/flower-rgb-contig-2.tif", "RGB of 2 bits a sample: no bitmap format"},
    {"tiff/pics/flower-rgb-contig-4.tif", "RGB of 4 bits a sample: no bitmap format"},
};

// The reader converts L*a*b* by its own formula, not by any reference decoder's: the
// expectation is that formula applied to the raw samples the corpus gives beside the file
// (L* scaled to 0..255, a* and b* offset by 128).
QImage LabExpectation(const QImage& raw) {
    const QImage samples = raw.convertToFormat(QImage::Format_RGB888);
    QImage expected(samples.size(), QImage::Format_RGB888);
    TColorManager manager;
    manager.SetSourceColorScheme(scCIELab);
    manager.SetTargetColorScheme(scRGB);
    manager.SetSourceOptions(TSampleOptions{soLabScaledL, soLabOffsetAB});
    for (int y = 0; y < samples.height(); ++y)
        manager.ConvertRow(samples.constScanLine(y), expected.scanLine(y), static_cast<std::uint32_t>(samples.width()));
    return expected;
}

TEST(TIFFCorpus, EveryFileReadsAsTheReferenceShowsIt) {
    const std::vector<corpus::TSample> samples = corpus::Samples("tiff/");
    if (samples.empty()) GTEST_SKIP() << "no image corpus at " << corpus::Root();
    int compared = 0, refused = 0;
    for (const corpus::TSample& sample : samples) {
        SCOPED_TRACE(sample.File);
        TTIFFGraphic tiff;
        const bool broken = sample.Notes.find("NEGATIVE") != std::string::npos;
        const bool unread = kRefused.count(sample.File) != 0;
        try {
            tiff.LoadFromFile((corpus::Root() / sample.File).string());
        } catch (const Exception& e) {
            EXPECT_TRUE(broken || unread) << e.what();
            std::printf("refused %s: %s\n", sample.File.c_str(), e.what());
            ++refused;
            continue;
        }
        EXPECT_FALSE(broken || unread) << "loaded a file expected to be refused";
        if (sample.Reference == "none") continue;
        const std::string lab = sample.Reference.substr(0, sample.Reference.size() - 4) + ".lab-raw.png";
        const bool isLab = std::filesystem::exists(corpus::Root() / lab);
        const QImage reference(QString::fromStdString((corpus::Root() / (isLab ? lab : sample.Reference)).string()));
        ASSERT_FALSE(reference.isNull());
        const int difference = corpus::LargestDifference(tiff, isLab ? LabExpectation(reference) : reference);
        EXPECT_GE(difference, 0) << "size differs";
        EXPECT_LE(difference, isLab ? 1 : 8);
        ++compared;
    }
    EXPECT_GT(compared, 40);
    std::printf("TIFF corpus: %d files compared, %d refused\n", compared, refused);
}

}  // namespace
}  // namespace pellumo
