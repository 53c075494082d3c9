// Every file of the corpus cut short, at every byte of a small file and at a few hundred places
// spread over a large one and just before its end: each cut loads, or fails with a message that
// names its format. Under the sanitizers this also shows that no cut makes a reader step outside
// its data.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <set>

#include "base/memory_stream.h"
#include "imaging/corpus_manifest.h"
#include "imaging/formats/autodesk_graphic.h"
#include "imaging/formats/cut_graphic.h"
#include "imaging/formats/gif_graphic.h"
#include "imaging/formats/pcd_graphic.h"
#include "imaging/formats/pcx_graphic.h"
#include "imaging/formats/png_graphic.h"
#include "imaging/formats/ppm_graphic.h"
#include "imaging/formats/psd_graphic.h"
#include "imaging/formats/psp_graphic.h"
#include "imaging/formats/rla_graphic.h"
#include "imaging/formats/sgi_graphic.h"
#include "imaging/formats/targa_graphic.h"
#include "imaging/formats/tiff_graphic.h"

namespace pellumo {
namespace {

struct TFormatFolder {
    const char* folder;
    TGraphicClass (*readerClass)();
    std::vector<std::string> names;  // how its messages name the format
};

const TFormatFolder kFolders[] = {
    {"cel/", TAutodeskGraphic::StaticClass, {"Autodesk"}},
    {"cut/", TCUTGraphic::StaticClass, {"CUT"}},
    {"gif/", TGIFGraphic::StaticClass, {"GIF"}},
    {"pcd/", TPCDGraphic::StaticClass, {"PCD"}},
    {"pcx/", TPCXGraphic::StaticClass, {"PCX"}},
    {"png/", TPNGGraphic::StaticClass, {"PNG"}},
    {"pnm/", TPPMGraphic::StaticClass, {"PPM", "PBM, PGM or PPM"}},
    {"psd/", TPSDGraphic::StaticClass, {"PSD or PDD"}},
    {"psp/", TPSPGraphic::StaticClass, {"PSP"}},
    {"rla/", TRLAGraphic::StaticClass, {"RLA"}},
    {"sgi/", TSGIGraphic::StaticClass, {"sgi, bw or rgb(a)"}},
    {"tga/", TTargaGraphic::StaticClass, {"Targa"}},
    {"tiff/", TTIFFGraphic::StaticClass, {"TIF/TIFF"}},
};

// Where a file is cut: every length of a small file; of a large one, a few hundred lengths
// spread over it and the last few before its end.
std::set<std::size_t> CutPoints(std::size_t size) {
    constexpr std::size_t kEveryByteUpTo = 2048, kSpread = 256, kNearTheEnd = 8;
    std::set<std::size_t> cuts;
    if (size <= kEveryByteUpTo) {
        for (std::size_t cut = 0; cut < size; ++cut) cuts.insert(cut);
        return cuts;
    }
    for (std::size_t i = 0; i < kSpread; ++i) cuts.insert(size * i / kSpread);
    for (std::size_t back = 1; back <= kNearTheEnd; ++back) cuts.insert(size - back);
    return cuts;
}

// The message of a failed load, or nothing when it loaded.
std::optional<std::string> LoadError(const TFormatFolder& format, std::vector<std::uint8_t> bytes) {
    TMemoryStream stream(std::move(bytes));
    const std::unique_ptr<TGraphic> reader = format.readerClass()->Create();
    try {
        reader->LoadFromStream(stream);
        return std::nullopt;
    } catch (const Exception& e) {
        return e.Message();
    }
}

bool NamesFormat(const TFormatFolder& format, const std::string& message) {
    for (const std::string& name : format.names)
        if (message.find(name) != std::string::npos) return true;
    return false;
}

TEST(CorpusTruncation, EveryCutFileLoadsOrSaysWhichFormatFailed) {
    if (corpus::Samples("png/").empty()) GTEST_SKIP() << "no image corpus at " << corpus::Root();
    for (const TFormatFolder& format : kFolders) {
        const std::vector<corpus::TSample> samples = corpus::Samples(format.folder);
        EXPECT_FALSE(samples.empty()) << format.folder;
        for (const corpus::TSample& sample : samples) {
            SCOPED_TRACE(sample.File);
            TMemoryStream whole;
            whole.LoadFromFile((corpus::Root() / sample.File).string());
            const std::vector<std::uint8_t>& bytes = whole.Bytes();
            // A file refused whole (a layout the reader does not take) may be refused cut for the
            // same reason, in the words of whatever refused it.
            const std::optional<std::string> refusedWhole = LoadError(format, bytes);
            int unnamed = 0;
            for (const std::size_t cut : CutPoints(bytes.size())) {
                const std::optional<std::string> error =
                    LoadError(format, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)));
                if (!error || NamesFormat(format, *error) || error == refusedWhole) continue;
                if (++unnamed <= 3) ADD_FAILURE() << "cut at " << cut << " of " << bytes.size() << ": " << *error;
            }
            EXPECT_EQ(unnamed, 0);
        }
    }
}

}  // namespace
}  // namespace pellumo
