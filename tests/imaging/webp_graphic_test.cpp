#include "imaging/formats/webp_graphic.h"

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "imaging/codec_tools.h"
#include "imaging/file_bytes.h"

namespace pellumo {
namespace {

using test::FileContents;
using test::Gradient;
using test::LargestDifference;
using test::LoadInto;
using test::RunTool;

const std::string kReadError = "Stream read error in WebP file.";
const std::string kInvalid = "Cannot load image. Invalid or unexpected WebP image format.";

// cwebp writes the files, dwebp the references; webpmux makes animations and sets profiles.
class WebPGraphic : public test::ToolFolder {
protected:
    void SetUp() override {
        for (const char* tool : {"cwebp", "dwebp", "webpmux"})
            if (!test::HasTool(tool)) GTEST_SKIP() << tool << " is missing (package webp; scripts/install-deps)";
        ToolFolder::SetUp();
    }

    // The picture as a WebP file, lossless or lossy.
    std::string Encode(const TBitmap& picture, const std::string& name, bool lossless) {
        test::SavePng(picture, File(name + ".png"));
        std::vector<std::string> args{File(name + ".png"), "-o", File(name + ".webp")};
        if (lossless) args.push_back("-lossless");
        else args.insert(args.end(), {"-q", "80"});
        EXPECT_TRUE(RunTool("cwebp", args)) << name;
        return File(name + ".webp");
    }
};

TEST_F(WebPGraphic, StillsMatchTheLibrarysDecoderLosslessOnesTheSourceWithTheirAlpha) {
    for (const bool lossless : {true, false}) {
        for (const bool alpha : {false, true}) {
            SCOPED_TRACE(std::string(lossless ? "lossless" : "lossy") + (alpha ? " with alpha" : ""));
            const TBitmap source = Gradient(alpha);
            const std::string file = Encode(source, "still", lossless);
            ASSERT_TRUE(RunTool("dwebp", {file, "-o", File("reference.png")}));
            TWebPGraphic webp;
            webp.LoadFromFile(file);
            EXPECT_EQ(webp.PixelFormat(), alpha ? pf32bit : pf24bit);
            EXPECT_LE(LargestDifference(webp, test::LoadPng(File("reference.png"))), 1);
            if (lossless) {
                EXPECT_EQ(LargestDifference(webp, source), 0);
            }
            EXPECT_TRUE(webp.ColorProfile().empty());
        }
    }
}

TEST_F(WebPGraphic, AnAnimationGivesItsFirstFrameInItsPlaceOnATransparentCanvas) {
    // A first frame smaller than the canvas, at an offset, and a second one that fills it;
    // neither has an alpha, the canvas around the first frame is see-through all the same.
    const TBitmap first = Gradient(false, 32, 24);
    const std::string firstFile = Encode(first, "first", true);
    const std::string secondFile = Encode(Gradient(false), "second", true);
    ASSERT_TRUE(RunTool("webpmux", {"-frame", firstFile, "+100+10+20", "-frame", secondFile, "+100+0+0", "-o",
                                    File("animation.webp")}));
    TWebPGraphic webp;
    webp.LoadFromFile(File("animation.webp"));
    ASSERT_EQ(webp.Width(), 64);
    ASSERT_EQ(webp.Height(), 48);
    ASSERT_EQ(webp.PixelFormat(), pf32bit);
    int wrong = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            const std::uint8_t* got = webp.ScanLine(y) + x * 4;
            const bool inside = x >= 10 && x < 42 && y >= 20 && y < 44;
            const std::uint8_t* want = inside ? first.ScanLine(y - 20) + (x - 10) * 3 : nullptr;
            const bool same = inside ? got[0] == want[0] && got[1] == want[1] && got[2] == want[2] && got[3] == 255
                                     : got[0] == 0 && got[1] == 0 && got[2] == 0 && got[3] == 0;
            wrong += same ? 0 : 1;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(WebPGraphic, TheIccpChunkBecomesTheColourProfileAndGoesWithTheNextPicture) {
    const std::string plain = Encode(Gradient(false), "plain", true);
    // Any bytes do: the reader hands the profile on without reading it.
    std::vector<std::uint8_t> profile(300);
    for (std::size_t i = 0; i < profile.size(); ++i) profile[i] = static_cast<std::uint8_t>(i * 7);
    TMemoryStream(profile).SaveToFile(File("profile.icc"));
    ASSERT_TRUE(RunTool("webpmux", {"-set", "icc", File("profile.icc"), plain, "-o", File("profiled.webp")}));

    TWebPGraphic webp;
    webp.LoadFromFile(File("profiled.webp"));
    EXPECT_EQ(webp.ColorProfile(), profile);
    EXPECT_EQ(LargestDifference(webp, Gradient(false)), 0);
    webp.LoadFromFile(plain);
    EXPECT_TRUE(webp.ColorProfile().empty());
}

TEST_F(WebPGraphic, CutShortDamagedOrForeignFilesFailNamingTheFormat) {
    const std::vector<std::uint8_t> file = FileContents(Encode(Gradient(true), "cut", false));
    TWebPGraphic webp;
    for (const std::size_t size : {std::size_t{0}, std::size_t{4}, std::size_t{11}, std::size_t{12}, std::size_t{40},
                                   file.size() / 2, file.size() - 1}) {
        EXPECT_EQ(LoadInto(webp, std::vector<std::uint8_t>(file.begin(), file.begin() + static_cast<long>(size))),
                  kReadError)
            << size;
        EXPECT_TRUE(webp.Empty());
    }
    // Bytes after the file are not its own.
    std::vector<std::uint8_t> longer = file;
    longer.insert(longer.end(), 100, 0xAB);
    EXPECT_EQ(LoadInto(webp, longer), "");

    std::vector<std::uint8_t> damaged = file;
    for (std::size_t i = 40; i < damaged.size(); ++i) damaged[i] = 0x55;
    std::vector<std::uint8_t> foreign = file;
    foreign[8] = 'X';  // RIFF, but not WEBP
    for (const auto& bytes : {damaged, foreign, std::vector<std::uint8_t>{'G', 'I', 'F', '8', '9', 'a'}})
        EXPECT_EQ(LoadInto(webp, bytes), kInvalid);
}

TEST_F(WebPGraphic, ACanvasBeyondTheSizeLimitIsRefusedFromItsHeader) {
    // Only an animation's canvas can be that large: a still's sides stop at 16384.
    const std::string frame = Encode(Gradient(false, 8, 8), "frame", true);
    ASSERT_TRUE(RunTool("webpmux", {"-frame", frame, "+100", "-frame", frame, "+100", "-o", File("animation.webp")}));
    std::vector<std::uint8_t> file = FileContents(File("animation.webp"));
    ASSERT_EQ(std::string(file.begin() + 12, file.begin() + 16), "VP8X");
    for (const std::size_t at : {24, 27}) {  // canvas width and height, less one, 24 bits each
        file[at] = 0x1F;
        file[at + 1] = 0x4E;  // 19999
        file[at + 2] = 0;
    }
    TWebPGraphic webp;
    TMemoryStream stream(file);
    EXPECT_THROW(webp.LoadFromStream(stream), EConvertError);
}

}  // namespace
}  // namespace pellumo
