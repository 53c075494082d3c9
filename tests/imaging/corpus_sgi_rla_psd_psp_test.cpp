// Every SGI, RLA, Photoshop and Paint Shop Pro file of the corpus against its independent
// reference decode.
#include <cstdio>
#include <map>

#include "base/memory_stream.h"

#include "corpus.h"
#include "imaging/formats/psd_graphic.h"
#include "imaging/formats/psp_graphic.h"
#include "imaging/formats/rla_graphic.h"
#include "imaging/formats/sgi_graphic.h"

namespace pellumo {
namespace {

// Files whose layout the readers refuse by their rules (beside those marked broken), and why.
const std::map<std::string, std::string> kRefused = {
    {"rla/gen/hopper_rgba16_oiio.rla", "16-bit samples have no conversion"},
    {"rla/oiio/ginsu_rgb_nc10.rla", "10-bit samples have no conversion"},
    {"psd/kimageformats/mch2-8bits.psd", "two channels make no colour"},
    {"psd/psdtools/4x4_32bit_grayscale.psd", "32-bit samples have no conversion"},
    {"psd/psdtools/4x4_32bit_rgb.psd", "32-bit samples have no conversion"},
};
// Every Paint Shop Pro file of the corpus is of file version 5 or later, which are refused.
const std::string kPSPVersionMessage = "Cannot load image. File versions other than 3 or 4 are not supported for PSP files.";

// Files that load but whose reference shows something these readers do not compute, and why.
const std::map<std::string, std::string> kNotCompared = {
    {"psd/gen/rgba8_raw_im.psd", "the reference takes off a white matte; the stored colours are shown"},
    {"psd/kimageformats/indexed.psd", "the reference makes a palette index transparent; transparency is not read"},
    {"psd/kimageformats/laba_8bit.psd", "the decoders disagree on L*a*b*; this reader has its own arithmetic"},
    {"psd/psdtools/4x4_8bit_rgba.psd", "the fourth channel is alpha (all 0) here, the reference shows it opaque"},
};

// Loads every sample of the folder and compares it with its reference; returns how many
// were compared.
template <typename TReader>
int CompareFolder(const std::string& folder) {
    int compared = 0;
    for (const corpus::TSample& sample : corpus::Samples(folder)) {
        SCOPED_TRACE(sample.File);
        const bool negative = sample.Notes.find("NEGATIVE") != std::string::npos;
        TReader reader;
        try {
            reader.LoadFromFile((corpus::Root() / sample.File).string());
        } catch (const EInvalidGraphic& e) {
            const bool byVersion = folder == "psp/" && e.Message() == kPSPVersionMessage;
            EXPECT_TRUE(negative || byVersion || kRefused.contains(sample.File)) << e.what();
            continue;
        }
        EXPECT_FALSE(kRefused.contains(sample.File)) << "loads although listed as refused";
        // A broken file may load only where a lenient decoder made its reference.
        EXPECT_FALSE(negative && sample.Reference == "none") << "a broken file loaded";
        if (sample.Reference == "none" || kNotCompared.contains(sample.File)) continue;
        const QImage reference(QString::fromStdString((corpus::Root() / sample.Reference).string()));
        if (reference.isNull()) {
            ADD_FAILURE() << "reference unreadable";
            continue;
        }
        const int difference = corpus::LargestDifference(reader, reference);
        EXPECT_GE(difference, 0) << "size differs";
        EXPECT_LE(difference, 8);
        ++compared;
    }
    return compared;
}

// Every file cut short at many places loads or fails with an error of the library, never
// anything else; the sanitizer builds check that no cut makes a reader step outside its data.
template <typename TReader>
void TruncateFolder(const std::string& folder) {
    for (const corpus::TSample& sample : corpus::Samples(folder)) {
        SCOPED_TRACE(sample.File);
        TMemoryStream whole;
        whole.LoadFromFile((corpus::Root() / sample.File).string());
        const std::vector<std::uint8_t>& bytes = whole.Bytes();
        for (std::size_t cut = 0; cut < bytes.size(); cut += bytes.size() / 16 + 1) {
            TMemoryStream stream(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)));
            TReader reader;
            try {
                reader.LoadFromStream(stream);
            } catch (const Exception&) {
            }
        }
    }
}

TEST(SGIRLAPSDPSPCorpus, TruncatedFilesFailCleanly) {
    if (corpus::Samples("sgi/").empty()) GTEST_SKIP() << "no image corpus at " << corpus::Root();
    TruncateFolder<TSGIGraphic>("sgi/");
    TruncateFolder<TRLAGraphic>("rla/");
    TruncateFolder<TPSDGraphic>("psd/");
    TruncateFolder<TPSPGraphic>("psp/");
}

TEST(SGIRLAPSDPSPCorpus, EveryFileReadsAsTheReferenceShowsIt) {
    if (corpus::Samples("sgi/").empty()) GTEST_SKIP() << "no image corpus at " << corpus::Root();
    const int sgi = CompareFolder<TSGIGraphic>("sgi/");
    const int rla = CompareFolder<TRLAGraphic>("rla/");
    const int psd = CompareFolder<TPSDGraphic>("psd/");
    const int psp = CompareFolder<TPSPGraphic>("psp/");
    EXPECT_GE(sgi, 8);
    EXPECT_GE(rla, 3);
    EXPECT_GE(psd, 15);
    std::printf("SGI/RLA/PSD/PSP corpus: %d SGI, %d RLA, %d PSD and %d PSP files compared, %zu refused by rule\n", sgi,
                rla, psd, psp, kRefused.size());
}

}  // namespace
}  // namespace pellumo
