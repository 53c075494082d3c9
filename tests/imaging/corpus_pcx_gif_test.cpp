// Every PCX and GIF file of the corpus against its independent reference decode.
#include <algorithm>
#include <cstdio>

#include "corpus.h"
#include "imaging/formats/gif_graphic.h"
#include "imaging/formats/pcx_graphic.h"

namespace pellumo {
namespace {

// As corpus::LargestDifference, over the pixels the reference shows opaque only: transparency
// is not interpreted here, so a transparent pixel keeps its palette colour.
int LargestOpaqueDifference(const TBitmap& bitmap, const QImage& reference) {
    if (bitmap.Width() != reference.width() || bitmap.Height() != reference.height()) return -1;
    const QImage ref = reference.convertToFormat(QImage::Format_ARGB32);
    std::vector<std::uint8_t> bgra(static_cast<std::size_t>(bitmap.Width()) * 4);
    int largest = 0;
    for (int y = 0; y < bitmap.Height(); ++y) {
        UnpackRow(bitmap.ScanLine(y), bitmap.PixelFormat(), bitmap.Palette(), bitmap.Width(), bgra.data());
        for (int x = 0; x < bitmap.Width(); ++x) {
            const QRgb want = ref.pixel(x, y);
            if (qAlpha(want) != 255) continue;
            const std::uint8_t* got = &bgra[static_cast<std::size_t>(x) * 4];
            largest = std::max({largest, std::abs(got[2] - qRed(want)), std::abs(got[1] - qGreen(want)),
                                std::abs(got[0] - qBlue(want))});
        }
    }
    return largest;
}

// Loads every sample of the folder; returns how many were compared with their reference.
// `unsupported` names files whose layout the reader refuses by its rules (not marked broken).
template <typename TReader>
int CompareFolder(const std::string& folder, const std::vector<std::string>& unsupported, int& refused) {
    int compared = 0;
    for (const corpus::TSample& sample : corpus::Samples(folder)) {
        SCOPED_TRACE(sample.File);
        TReader reader;
        try {
            reader.LoadFromFile((corpus::Root() / sample.File).string());
        } catch (const Exception& e) {
            const bool expected = sample.Notes.find("NEGATIVE") != std::string::npos ||
                                  std::find(unsupported.begin(), unsupported.end(), sample.File) != unsupported.end();
            EXPECT_TRUE(expected) << e.what();
            ++refused;
            continue;
        }
        EXPECT_EQ(sample.Notes.find("NEGATIVE"), std::string::npos) << "a broken file loaded";
        if (sample.Reference == "none") continue;
        const QImage reference(QString::fromStdString((corpus::Root() / sample.Reference).string()));
        if (reference.isNull()) {
            ADD_FAILURE() << "reference unreadable";
            continue;
        }
        const int difference = LargestOpaqueDifference(reader, reference);
        EXPECT_GE(difference, 0) << "size differs";
        EXPECT_LE(difference, 8);
        ++compared;
    }
    return compared;
}

TEST(PCXGIFCorpus, EveryFileReadsAsTheReferenceShowsIt) {
    if (corpus::Samples("pcx/").empty()) GTEST_SKIP() << "no image corpus at " << corpus::Root();
    int refused = 0;
    // Indices spread over two or three 1-bit planes are refused by the reader's rules.
    const int pcx = CompareFolder<TPCXGraphic>(
        "pcx/", {"pcx/gen/pal4_2planes_netpbm.pcx", "pcx/kimageformats/ICONDOC.pcx"}, refused);
    const int gif = CompareFolder<TGIFGraphic>("gif/", {}, refused);
    EXPECT_GT(pcx, 15);
    EXPECT_GT(gif, 15);
    std::printf("PCX/GIF corpus: %d PCX and %d GIF files compared, %d refused\n", pcx, gif, refused);
}

}  // namespace
}  // namespace pellumo
