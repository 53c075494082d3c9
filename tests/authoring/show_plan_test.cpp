#include "authoring/show_plan.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "authoring/option_values.h"
#include "authoring/show_document.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

const std::string kColour = PELLUMO_TEST_DATA "/jpeg/colour_16x16.jpg";
const std::string kGray = PELLUMO_TEST_DATA "/jpeg/gray_16x16.jpg";

// A slide's own value beats the defaults', which beat the built-in ones; the frame is
// inherited, taken away ("none") or given another colour.
TEST(PlanShow, EachValueComesFromTheSlideElseTheDefaultsElseTheBuiltInOnes) {
    TShowDocument document;
    TSlideValues defaults;
    defaults.duration = 9;
    defaults.backColor = RGB(1, 2, 3);
    defaults.frameColor = TFrameColor::Of(RGB(200, 0, 0));
    defaults.caption = "Été";
    document.SetDefaults(defaults);
    TDocumentSlide inherits{kColour, {}, {}};
    TDocumentSlide unframed{kGray, {}, {}};
    unframed.values.frameColor = TFrameColor::None();
    unframed.values.duration = 0;
    TDocumentSlide recoloured{kColour, {}, {}};
    recoloured.values.frameColor = TFrameColor::Of(RGB(0, 0, 255));
    recoloured.values.style = 3;
    recoloured.values.caption = "";
    document.InsertSlides(0, {inherits, unframed, recoloured});

    const TShowPlan plan = PlanShow(document);
    ASSERT_EQ(plan.slides.size(), 3u);
    const TSlideEntry& first = plan.slides[0].settings;
    EXPECT_EQ(first.Duration, 9);
    EXPECT_EQ(first.TransitionStyle, 56);  // built in
    EXPECT_EQ(first.BackColor, RGB(1, 2, 3));
    EXPECT_EQ(first.CaptionColor, clWhite);
    EXPECT_TRUE(first.Framed);
    EXPECT_EQ(first.FrameColor, RGB(200, 0, 0));
    EXPECT_EQ(first.Caption.Text(), "\xC9t\xE9");  // stored in Windows-1252
    const TSlideEntry& second = plan.slides[1].settings;
    EXPECT_EQ(second.Duration, 0);
    EXPECT_FALSE(second.Framed);
    EXPECT_EQ(second.BackColor, RGB(1, 2, 3));
    const TSlideEntry& third = plan.slides[2].settings;
    EXPECT_TRUE(third.Framed);
    EXPECT_EQ(third.FrameColor, RGB(0, 0, 255));
    EXPECT_EQ(third.TransitionStyle, 3);
    EXPECT_EQ(third.Caption.Text(), "");
    EXPECT_EQ(plan.slides[1].picture, kGray);
    EXPECT_TRUE(plan.header.LoopShow);
    EXPECT_EQ(plan.jpegQuality, 90);
}

// A folder stands for its pictures, each with the folder slide's values.
TEST(PlanShow, AFolderSlideBecomesOneSlidePerPicture) {
    std::string pattern = (fs::temp_directory_path() / "plan-show-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path folder = pattern;
    fs::copy_file(kGray, folder / "photo 10.jpg");
    fs::copy_file(kColour, folder / "photo 9.jpg");
    TShowDocument document;
    TDocumentSlide album{folder.string(), {}, {}};
    album.values.duration = 2;
    document.InsertSlides(0, {TDocumentSlide{kGray, {}, {}}, album});

    const TShowPlan plan = PlanShow(document);
    fs::remove_all(folder);
    ASSERT_EQ(plan.slides.size(), 3u);
    EXPECT_EQ(plan.slides[1].picture, (folder / "photo 9.jpg").string());
    EXPECT_EQ(plan.slides[2].picture, (folder / "photo 10.jpg").string());
    EXPECT_EQ(plan.slides[2].settings.Duration, 2);
    EXPECT_EQ(plan.slides[0].settings.Duration, 5);
    EXPECT_EQ(plan.slides[2].origin, "diapositive 3");
}

// Every value a show cannot hold is told, all together: by file and line for a document read
// from a manifest, in line order, else by the slide.
TEST(PlanShow, FaultsAreToldTogetherByLineOrBySlide) {
    TShowDocument document;
    TSlideValues defaults;
    defaults.caption = std::string(81, 'x');
    TDocumentSlide snowman{kGray, {}, {}};
    snowman.values.caption = "☃";
    snowman.source.lines.table = 8;
    snowman.source.lines.keys["caption"] = 10;
    TDocumentSlide noPicture{"", {}, {}};
    noPicture.source.lines.table = 4;
    document.InsertSlides(0, {snowman, noPicture});
    TSourceLines defaultsLines;
    defaultsLines.keys["caption"] = 2;
    document.SetDefaults(defaults);
    TShowSettings settings;
    settings.music = (fs::temp_directory_path() / "no such music.ogg").string();
    document.SetSettings(settings);

    try {
        PlanShow(document);
        ADD_FAILURE() << "no fault";
    } catch (const EOptionError& e) {
        std::vector<std::string> lines{""};
        for (const char c : e.Message()) {
            if (c == '\n')
                lines.emplace_back();
            else
                lines.back().push_back(c);
        }
        const std::vector<std::string> starts{"music : fichier musical introuvable ou illisible : " + settings.music,
                                              "defaults : caption : texte trop long (81 caractères",
                                              "diapositive 1 : caption : Le caractère",
                                              "diapositive 2 : picture manque : le fichier image de la diapositive"};
        ASSERT_EQ(lines.size(), starts.size()) << e.Message();
        for (std::size_t i = 0; i < starts.size(); ++i) EXPECT_EQ(lines[i].rfind(starts[i], 0), 0u) << lines[i];
    }

    document.SetSource("show.toml", {}, defaultsLines);
    try {
        PlanShow(document);
        ADD_FAILURE() << "no fault";
    } catch (const EOptionError& e) {
        const std::string& message = e.Message();
        const std::size_t defaultsAt = message.find("show.toml:2 : caption : texte trop long");
        const std::size_t noPictureAt = message.find("show.toml:4 : picture manque");
        const std::size_t snowmanAt = message.find("show.toml:10 : caption : ");
        EXPECT_EQ(message.rfind("music : ", 0), 0u) << message;  // no line known: told first
        EXPECT_NE(defaultsAt, std::string::npos) << message;
        EXPECT_LT(defaultsAt, noPictureAt) << message;
        EXPECT_LT(noPictureAt, snowmanAt) << message;
        EXPECT_NE(snowmanAt, std::string::npos) << message;
    }
}

}  // namespace
}  // namespace pellumo
