// Every Targa file of the corpus against its independent reference decode.
#include "corpus.h"
#include "imaging/formats/targa_graphic.h"

namespace pellumo {
namespace {

TEST(TargaCorpus, EveryFileReadsAsTheReferenceShowsIt) {
    const std::vector<corpus::TSample> samples = corpus::Samples("tga/");
    if (samples.empty()) GTEST_SKIP() << "no image corpus at " << corpus::Root();
    int compared = 0;
    for (const corpus::TSample& sample : samples) {
        SCOPED_TRACE(sample.File);
        TTargaGraphic targa;
        try {
            targa.LoadFromFile((corpus::Root() / sample.File).string());
        } catch (const EInvalidGraphic& e) {
            // Only the files the corpus marks as broken may be refused.
            EXPECT_NE(sample.Notes.find("NEGATIVE"), std::string::npos) << e.what();
            continue;
        }
        // Gray with alpha in 16 bits has no bitmap format here: its pixels are read as
        // 15-bit colour, as the reader's rules say; only that it loads is checked.
        if (sample.Reference == "none" || sample.File.find("/la.tga") != std::string::npos ||
            sample.File.find("_la_") != std::string::npos)
            continue;
        const QImage reference(QString::fromStdString((corpus::Root() / sample.Reference).string()));
        ASSERT_FALSE(reference.isNull());
        // 5-bit channels widen by times 8 here, by bit replication elsewhere: up to 7 apart.
        const int difference = corpus::LargestDifference(targa, reference);
        EXPECT_GE(difference, 0) << "size differs";
        EXPECT_LE(difference, 8);
        ++compared;
    }
    EXPECT_GT(compared, 20);
}

}  // namespace
}  // namespace pellumo
