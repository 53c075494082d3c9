#include "authoring/show_video.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "authoring/option_values.h"
#include "authoring/show_manifest.h"
#include "authoring/show_plan.h"
#include "authoring/show_writer.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

// A manifest's pictures are taken in as a build stores them (the turned JPEG encoded again),
// and the show the build writes reads back the same; the music is the file beside either when
// it is there. A document is planned as a build plans it, its faults refused; a cancel stops
// either.
TEST(VideoShowLoading, AManifestADocumentAndTheBuiltShowGiveTheSameShow) {
    std::string pattern = (fs::temp_directory_path() / "video-show-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path folder = pattern;
    const std::string manifest = (folder / "show.toml").string();
    std::ofstream(folder / "player", std::ios::binary) << "#!player\n";
    std::ofstream(manifest) << "music = \"tune.ogg\"\n[[slides]]\npicture = \"" PELLUMO_TEST_DATA
                               "/jpeg/colour_16x16.jpg\"\nduration = 3\n[[slides]]\npicture = \"" PELLUMO_TEST_DATA
                               "/jpeg/orientation_6_mm_16x16.jpg\"\ncaption = \"Été\"\n";

    const TVideoShow silent = LoadVideoShow(manifest);
    EXPECT_EQ(silent.musicPath, "");
    ASSERT_EQ(silent.catalogue.Slides.size(), 2u);
    EXPECT_EQ(silent.catalogue.Slides[0].Duration, 3);
    EXPECT_EQ(silent.catalogue.Slides[1].Caption.Text(), "\xC9t\xE9");
    std::ofstream(folder / "tune.ogg", std::ios::binary) << "OggS";
    TShowDocument document = ReadManifest(manifest);
    const TVideoShow fromDocument = LoadVideoShow(document);
    EXPECT_EQ(fromDocument.musicPath, (folder / "tune.ogg").string());
    EXPECT_EQ(fromDocument.pictures, silent.pictures);

    const std::string show = (folder / "show").string();
    WriteShow(PlanShow(document), (folder / "player").string(), show, false);
    fs::rename(folder / "tune.ogg", folder / "elsewhere.ogg");
    const TVideoShow built = LoadVideoShow(show);
    EXPECT_EQ(built.pictures, silent.pictures);
    EXPECT_EQ(built.catalogue.Slides[1].Caption.Text(), "\xC9t\xE9");
    EXPECT_EQ(built.musicPath, "");

    int steps = 0;
    TWriteProgress progress;
    progress.step = [&](std::size_t, std::size_t) { ++steps; };
    progress.cancelled = [&] { return steps == 2; };
    EXPECT_THROW(LoadVideoShow(manifest, progress), EWriteCancelled);
    steps = 0;
    EXPECT_THROW(LoadVideoShow(show, progress), EWriteCancelled);

    document.SetSlideValue(1, &TSlideValues::caption, std::optional<std::string>("\u2603"));
    EXPECT_THROW(LoadVideoShow(document), EOptionError);
    fs::remove_all(folder);
}

}  // namespace
}  // namespace pellumo
