#include "authoring/show_writer.h"

#include "authoring/show_extraction.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "base/file_stream.h"
#include "player/catalogue.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

const std::string kColour = PELLUMO_TEST_DATA "/jpeg/colour_16x16.jpg";

class ShowWriter : public ::testing::Test {
protected:
    fs::path folder;
    TShowPlan plan;

    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "show-writer-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        std::ofstream(folder / "player", std::ios::binary) << "#!player\n";
        std::ofstream(folder / "tune.ogg", std::ios::binary) << "OggS";
        plan.musicFile = (folder / "tune.ogg").string();
        plan.header.MusicFileName = "tune.ogg";
        for (int i = 0; i < 3; ++i) plan.slides.push_back({kColour, DefaultSlideSettings(), "diapositive"});
        fs::create_directory(folder / "out");
    }
    void TearDown() override { fs::remove_all(folder); }

    std::vector<std::string> OutputFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder / "out")) names.push_back(entry.path().filename().string());
        return names;
    }
};

TEST_F(ShowWriter, ProgressIsToldBeforeTheFirstPictureAndAfterEach) {
    std::vector<std::pair<std::size_t, std::size_t>> steps;
    TWriteProgress progress;
    progress.step = [&](std::size_t done, std::size_t total) { steps.emplace_back(done, total); };
    const fs::path output = folder / "out" / "show";
    const std::int64_t size = WriteShow(plan, (folder / "player").string(), output.string(), true, progress);

    const std::vector<std::pair<std::size_t, std::size_t>> expected{{0, 3}, {1, 3}, {2, 3}, {3, 3}};
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(static_cast<std::int64_t>(fs::file_size(output)), size);
    TFileStream stream(output.string(), fmOpenRead);
    EXPECT_EQ(ReadCatalogue(stream).Slides.size(), 3u);
    EXPECT_TRUE(fs::exists(folder / "out" / "tune.ogg"));
}

// Cancelled part way, the write leaves neither the show, nor its temporary file, nor the
// music beside it.
TEST_F(ShowWriter, ACancelledWriteLeavesNothing) {
    int asked = 0;
    TWriteProgress progress;
    progress.cancelled = [&] { return ++asked == 2; };
    const fs::path output = folder / "out" / "show";
    EXPECT_THROW(WriteShow(plan, (folder / "player").string(), output.string(), true, progress), EWriteCancelled);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(OutputFiles().empty()) << OutputFiles().front();

    // An older show at the output stays as it was.
    std::ofstream(output, std::ios::binary) << "older show";
    asked = 0;
    EXPECT_THROW(WriteShow(plan, (folder / "player").string(), output.string(), true, progress), EWriteCancelled);
    EXPECT_EQ(OutputFiles(), std::vector<std::string>{"show"});
    std::ifstream older(output, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(older), {}), "older show");
}

// Taking a show apart is cancelled the same way, and takes back the pictures already written
// and the folder it made for them.
TEST_F(ShowWriter, ACancelledExtractionLeavesNoFolder) {
    const fs::path show = folder / "out" / "show";
    WriteShow(plan, (folder / "player").string(), show.string(), false);
    const TExtractedShow extracted = ExtractShow(show.string(), (folder / "pictures").string());
    std::size_t written = 0;
    int asked = 0;
    TWriteProgress progress;
    progress.step = [&](std::size_t done, std::size_t) { written = done; };
    progress.cancelled = [&] { return ++asked == 3; };
    EXPECT_THROW(WriteExtractedShow(extracted, progress), EWriteCancelled);
    EXPECT_EQ(written, 2u);
    EXPECT_FALSE(fs::exists(folder / "pictures"));
}

}  // namespace
}  // namespace pellumo
