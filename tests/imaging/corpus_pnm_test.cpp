// Every portable map of the corpus against its independent reference decode.
#include <cmath>
#include <cstdio>
#include <map>

#include "corpus.h"
#include "imaging/formats/ppm_graphic.h"

namespace pellumo {
namespace {

// The reader keeps samples as stored instead of stretching them by the file's maximum, and
// keeps the upper byte of 16-bit samples; the references are stretched to 0..255. These files'
// maxima differ from 255, so the value expected of a reference value r is round(r x max / 255),
// by its upper byte above 255.
const std::map<std::string, int> kMaxima{{"pnm/gen/p5_maxval100.pgm", 100},
                                         {"pnm/gen/p3_maxval1023.ppm", 1023},
                                         {"pnm/pillow/16_bit_binary.pgm", 65535},
                                         {"pnm/pillow/hopper_16bit_plain.pgm", 65535}};

int Expected(int reference, int maximum) {
    const auto stored = static_cast<int>(std::lround(reference * maximum / 255.0));
    return maximum > 255 ? stored >> 8 : stored;
}

// The reference as the reader stores the file's samples.
QImage StoredReference(const QImage& reference, int maximum) {
    QImage stored = reference.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < stored.height(); ++y)
        for (int x = 0; x < stored.width(); ++x) {
            const QRgb value = stored.pixel(x, y);
            stored.setPixel(x, y, qRgb(Expected(qRed(value), maximum), Expected(qGreen(value), maximum),
                                       Expected(qBlue(value), maximum)));
        }
    return stored;
}

TEST(PNMCorpus, EveryFileReadsAsTheReferenceShowsItAndBrokenOnesAreRefused) {
    const std::vector<corpus::TSample> samples = corpus::Samples("pnm/");
    if (samples.empty()) GTEST_SKIP() << "no image corpus at " << corpus::Root();
    int compared = 0, refused = 0;
    for (const corpus::TSample& sample : samples) {
        SCOPED_TRACE(sample.File);
        const bool broken = sample.Notes.find("NEGATIVE") != std::string::npos;
        TPPMGraphic ppm;
        try {
            ppm.LoadFromFile((corpus::Root() / sample.File).string());
        } catch (const EInvalidGraphic& e) {
            EXPECT_TRUE(broken) << e.what();
            ++refused;
            continue;
        }
        EXPECT_FALSE(broken) << "a broken file loaded";
        if (sample.Reference == "none") continue;
        const QImage reference(QString::fromStdString((corpus::Root() / sample.Reference).string()));
        ASSERT_FALSE(reference.isNull());
        const auto maximum = kMaxima.find(sample.File);
        const int difference =
            corpus::LargestDifference(ppm, StoredReference(reference, maximum == kMaxima.end() ? 255 : maximum->second));
        EXPECT_GE(difference, 0) << "size differs";
        EXPECT_LE(difference, 8);
        ++compared;
    }
    EXPECT_EQ(refused, 4);
    EXPECT_GE(compared, 15);
    std::printf("PNM corpus: %d files compared, %d refused\n", compared, refused);
}

}  // namespace
}  // namespace pellumo
