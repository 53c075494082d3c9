#include "authoring/show_manifest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "authoring/manifest_writer.h"
#include "authoring/show_document.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

const std::string kColour = PELLUMO_TEST_DATA "/jpeg/colour_16x16.jpg";
const std::string kGray = PELLUMO_TEST_DATA "/jpeg/gray_16x16.jpg";

class ShowManifest : public ::testing::Test {
protected:
    fs::path folder;

    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "show-manifest-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }
};

// Defaults, slides that inherit them, override them or say "none" where the defaults frame:
// written, then read back, the document is the same; paths inside the folder are written
// relative to it, any other in full.
TEST_F(ShowManifest, WhatIsWrittenReadsBackAsTheSameDocument) {
    const fs::path album = folder / "album";
    fs::create_directories(album / "photos");
    fs::copy_file(kColour, album / "photos" / "été.jpg");
    std::ofstream(album / "thème.ogg") << "OggS";

    TShowDocument document;
    TShowSettings settings;
    settings.music = (album / "thème.ogg").string();
    settings.loop = false;
    settings.fineResize = true;
    settings.jpegQuality = 75;
    settings.colorManagement = false;
    settings.portable = true;
    document.SetSettings(settings);
    TSlideValues defaults;
    defaults.duration = 7;
    defaults.style = 84;
    defaults.caption = "Été \"chez nous\"\tà l'œuvre €";
    defaults.frameColor = TFrameColor::Of(RGB(200, 200, 200));
    document.SetDefaults(defaults);

    TDocumentSlide inherits{(album / "photos" / "été.jpg").string(), {}, {}};
    TDocumentSlide unframed{kGray, {}, {}};  // outside the folder
    unframed.values.frameColor = TFrameColor::None();
    unframed.values.backColor = RGB(0x10, 0x20, 0x30);
    unframed.values.caption = "";
    TDocumentSlide own{(album / "photos" / "été.jpg").string(), {}, {}};
    own.values.duration = 0;
    own.values.style = 3;
    own.values.captionColor = RGB(0, 255, 128);
    own.values.frameColor = TFrameColor::Of(RGB(255, 0, 0));
    document.InsertSlides(0, {inherits, unframed, own});

    const std::string text = ManifestText(document, album.string());
    EXPECT_NE(text.find("music = \"thème.ogg\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("quality = 75\n"), std::string::npos) << text;
    EXPECT_NE(text.find("color_management = false\nportable = true\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n[defaults]\nduration = 7\nstyle = 84  # Circular reveal from centre\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("picture = \"photos/été.jpg\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("picture = \"" + kGray + "\"\n"), std::string::npos) << text;
    std::ofstream(album / "show.toml") << text;

    const TShowDocument read = ReadManifest((album / "show.toml").string());
    EXPECT_TRUE(read == document) << text;
    EXPECT_EQ(read.Defaults().caption, defaults.caption);
    ASSERT_EQ(read.SlideCount(), 3u);
    EXPECT_FALSE(read.Slide(0).values.frameColor.has_value());
    EXPECT_EQ(read.Slide(1).values.frameColor, TFrameColor::None());
    // Each value keeps the line it was read from, for messages.
    const std::int64_t ownLine = read.Slide(2).source.lines.table;
    EXPECT_GT(ownLine, read.Slide(1).source.lines.table);
    EXPECT_EQ(read.Slide(2).source.lines.Of("picture"), ownLine + 1);
    EXPECT_EQ(read.SourceFile(), (album / "show.toml").string());

    // Written again where it was read, the text is the same.
    EXPECT_EQ(ManifestText(read, album.string()), text);
}

// Settings at their defaults that older manifests never had stay unwritten, so that those
// manifests are written back as they were.
TEST_F(ShowManifest, ColorManagementIsWrittenOnlyWhenOffAndPortableOnlyWhenOn) {
    TShowDocument document;
    document.InsertSlide(0, {kColour, {}, {}});
    EXPECT_EQ(ManifestText(document, folder.string()).find("color_management"), std::string::npos);
    EXPECT_EQ(ManifestText(document, folder.string()).find("portable"), std::string::npos);
}

}  // namespace
}  // namespace pellumo
