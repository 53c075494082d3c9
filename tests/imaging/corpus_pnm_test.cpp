// Every portable map of the corpus against its independent reference decode.
#include <cstdio>

#include "corpus.h"
#include "imaging/formats/ppm_graphic.h"

namespace pellumo {
namespace {

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
        // Samples are stretched by the file's maximum as the references' are; only rounding
        // may set them apart.
        const int difference = corpus::LargestDifference(ppm, reference);
        EXPECT_GE(difference, 0) << "size differs";
        EXPECT_LE(difference, 1);
        ++compared;
    }
    EXPECT_EQ(refused, 4);
    EXPECT_GE(compared, 15);
    std::printf("PNM corpus: %d files compared, %d refused\n", compared, refused);
}

}  // namespace
}  // namespace pellumo
