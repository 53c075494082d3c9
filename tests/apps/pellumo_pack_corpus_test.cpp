// The tool reads a real file of every registered extension the image corpus has.
#include <cctype>
#include <map>

#include "imaging/corpus_manifest.h"
#include "imaging/formats/format_registry.h"
#include "pack_fixture.h"

namespace pellumo {
namespace {

std::string LowerExtension(const std::string& file) {
    std::string extension = fs::path(file).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension.empty() ? extension : extension.substr(1);
}

TEST_F(PellumoPack, ConvertReadsACorpusFileOfEveryRegisteredExtension) {
    const std::vector<corpus::TSample> samples = corpus::Samples("");
    if (samples.empty()) GTEST_SKIP() << "no image corpus at " << corpus::Root();
    // The first sound sample of each extension: files meant to be refused prove nothing here.
    std::map<std::string, std::string> firstOf;
    for (const corpus::TSample& sample : samples)
        if (sample.Notes.find("NEGATIVE") == std::string::npos) firstOf.emplace(LowerExtension(sample.File), sample.File);
    int converted = 0;
    for (const auto& entry : FormatRegistry().ExtensionEntries()) {
        const auto found = firstOf.find(entry->Extension);
        if (found == firstOf.end()) continue;
        SCOPED_TRACE(found->second);
        const fs::path out = folder / (entry->Extension + ".bmp");
        const TRun run = Pack({"convert", (corpus::Root() / found->second).string(), out.string()});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        TBitmap bitmap;
        bitmap.LoadFromFile(out.string());
        EXPECT_GT(bitmap.Width(), 0);
        ++converted;
    }
    EXPECT_GE(converted, 20);  // png, tif, tiff, tga, pcx, gif, rla, sgi, rgb, bw, psd, psp, ppm, pgm, pbm, cel, pcd, cut, ...
}

}  // namespace
}  // namespace pellumo
