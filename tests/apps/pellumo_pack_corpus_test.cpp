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
    // Some files of an extension use layouts its reader refuses by rule: one readable file of
    // each is what counts. Files meant to be refused prove nothing here.
    std::map<std::string, std::vector<std::string>> filesOf;
    for (const corpus::TSample& sample : samples)
        if (sample.Notes.find("NEGATIVE") == std::string::npos) filesOf[LowerExtension(sample.File)].push_back(sample.File);
    // The corpus's Paint Shop Pro files are all of file versions the reader refuses by rule.
    filesOf.erase("psp");
    int converted = 0;
    for (const auto& entry : FormatRegistry().ExtensionEntries()) {
        const auto found = filesOf.find(entry->Extension);
        if (found == filesOf.end()) continue;
        const fs::path out = folder / (entry->Extension + ".bmp");
        std::string errors;
        for (const std::string& file : found->second) {
            const TRun run = Pack({"convert", (corpus::Root() / file).string(), out.string()});
            if (run.exitCode == 0) break;
            errors += run.err;
        }
        ASSERT_TRUE(fs::exists(out)) << entry->Extension << ": no file converted\n" << errors;
        TBitmap bitmap;
        bitmap.LoadFromFile(out.string());
        EXPECT_GT(bitmap.Width(), 0);
        ++converted;
    }
    EXPECT_EQ(converted, 17);  // tiff tif pcx rla sgi rgb bw psd ppm pgm pbm cel pcd gif cut png tga
}

}  // namespace
}  // namespace pellumo
