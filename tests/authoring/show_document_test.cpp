#include "authoring/show_document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pellumo {
namespace {

TDocumentSlide Slide(std::string picture) { return {std::move(picture), {}, {}}; }

class ShowDocument : public ::testing::Test {
protected:
    TShowDocument document;
    std::vector<TDocumentChange> told;

    void SetUp() override {
        document.InsertSlides(0, {Slide("a"), Slide("b"), Slide("c"), Slide("d"), Slide("e")});
        document.Subscribe([this](const TDocumentChange& change) { told.push_back(change); });
    }

    std::string Pictures() const {
        std::string pictures;
        for (const TDocumentSlide& slide : document.Slides()) pictures += slide.picture;
        return pictures;
    }
};

TEST_F(ShowDocument, EveryChangeIsToldOnceWithWhatItTouched) {
    TShowSettings settings;
    settings.loop = false;
    document.SetSettings(settings);
    document.SetDefault(&TSlideValues::duration, std::optional<std::int32_t>(7));
    document.InsertSlide(1, Slide("x"));
    EXPECT_EQ(Pictures(), "axbcde");
    document.RemoveSlides(0, 2);
    EXPECT_EQ(Pictures(), "bcde");
    document.MoveSlides(0, 2, 2);  // forward: b c land after d e
    EXPECT_EQ(Pictures(), "debc");
    document.MoveSlides(3, 1, 0);  // backward
    EXPECT_EQ(Pictures(), "cdeb");
    document.SetSlideValue(2, &TSlideValues::frameColor, std::optional(TFrameColor::None()));
    document.ClearSlideValue(2, &TSlideValues::frameColor);
    document.SetSlidePicture(3, "z");

    const std::vector<TDocumentChange> expected{
        {dcSettings},          {dcDefaults},          {dcSlidesInserted, 1, 1}, {dcSlidesRemoved, 0, 2},
        {dcSlidesMoved, 0, 2, 2}, {dcSlidesMoved, 3, 1, 0}, {dcSlideChanged, 2, 1},  {dcSlideChanged, 2, 1},
        {dcSlideChanged, 3, 1},
    };
    EXPECT_EQ(told, expected);
    EXPECT_EQ(document.Settings().loop, false);
    EXPECT_EQ(document.Defaults().duration, 7);
    EXPECT_FALSE(document.Slide(2).values.frameColor.has_value());
}

// A change that changes nothing, or cannot be made, tells nothing and leaves the document as
// it was.
TEST_F(ShowDocument, NothingIsToldForNoChangeOrARefusedOne) {
    document.SetSettings(document.Settings());
    document.SetDefaults({});
    document.SetSlidePicture(0, "a");
    document.ClearSlideValue(0, &TSlideValues::caption);
    document.MoveSlides(1, 2, 1);
    document.InsertSlides(2, {});
    EXPECT_THROW(document.InsertSlide(6, Slide("x")), EDocumentError);
    EXPECT_THROW(document.RemoveSlides(3, 3), EDocumentError);
    EXPECT_THROW(document.MoveSlides(0, 2, 4), EDocumentError);
    EXPECT_THROW(document.SetSlidePicture(5, "x"), EDocumentError);
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(Pictures(), "abcde");
}

// What an undo step does: keep the values a change replaces, and set them back.
TEST_F(ShowDocument, KeptValuesPutTheDocumentBackAsItWas) {
    document.SetSlideValue(1, &TSlideValues::caption, std::optional<std::string>("Été"));
    const TShowDocument before = document;
    EXPECT_TRUE(before == document);

    const std::vector<TDocumentSlide> removed(document.Slides().begin() + 1, document.Slides().begin() + 3);
    document.RemoveSlides(1, 2);
    document.InsertSlides(1, removed);
    const TDocumentSlide old = document.Slide(4);
    TDocumentSlide changed = old;
    changed.values.backColor = RGB(1, 2, 3);
    document.SetSlide(4, changed);
    document.SetSlide(4, old);
    document.MoveSlides(0, 3, 2);
    document.MoveSlides(2, 3, 0);
    EXPECT_TRUE(before == document);
    EXPECT_EQ(document.Slide(1).values.caption, "Été");
}

// A copy is a new document that nobody follows yet; assigning one tells the followers of the
// document assigned to that everything changed. A listener may leave while it is told.
TEST_F(ShowDocument, CopiesHaveNoListenersAndAssignmentTellsAReset) {
    TShowDocument copy = document;
    copy.RemoveSlides(0, 1);
    EXPECT_TRUE(told.empty());

    int second = 0;
    int token = 0;
    token = document.Subscribe([&](const TDocumentChange&) {
        ++second;
        document.Unsubscribe(token);
    });
    document = copy;
    document.RemoveSlides(0, 1);
    EXPECT_EQ(second, 1);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0].kind, dcReset);
    EXPECT_EQ(Pictures(), "cde");
}

}  // namespace
}  // namespace pellumo
