// pellumo-pack and colour profiles: build and convert bring pictures to sRGB unless told not
// to (--no-color-management, or color_management = false in a manifest), and info names the
// profile a picture carries.
#include "base/file_stream.h"
#include "color_profile_files.h"
#include "icc_test_profiles.h"
#include "pack_fixture.h"
#include "player/catalogue.h"

namespace pellumo {
namespace {

using profile_files::TBytes;

class PackColors : public PellumoPack {
protected:
    std::string adobeJpeg;  // bytes of a JPEG carrying Adobe RGB (1998)

    void SetUp() override {
        PellumoPack::SetUp();
        const std::string colour = Contents(kColour);
        adobeJpeg = Text(profile_files::WithJpegProfile(TBytes(colour.begin(), colour.end()), icc_profiles::AdobeRgb()));
    }

    static std::string Text(const TBytes& bytes) { return {bytes.begin(), bytes.end()}; }

    std::string StoredSlide(const fs::path& file) {
        TFileStream stream(file.string(), fmOpenRead);
        const TSlideEntry slide = ReadCatalogue(stream).Slides.at(0);
        return Contents(file).substr(static_cast<std::size_t>(slide.DataOffset), static_cast<std::size_t>(slide.DataSize));
    }
};

TEST_F(PackColors, BuildConvertsUnlessToldNotTo) {
    const fs::path picture = folder / "adobe.jpg";
    WriteFile(picture, adobeJpeg);
    ASSERT_EQ(Pack(Build({}, {picture.string()})).exitCode, 0);
    const std::string converted = StoredSlide(show);
    EXPECT_NE(converted, adobeJpeg);

    const TRun kept = Pack(Build({"--no-color-management"}, {picture.string()}));
    ASSERT_EQ(kept.exitCode, 0) << kept.err;
    EXPECT_EQ(StoredSlide(show), adobeJpeg);

    // The manifest's setting, and the option over a manifest that leaves it on.
    WriteFile(folder / "off.toml", "color_management = false\n[[slides]]\npicture = \"adobe.jpg\"\n");
    WriteFile(folder / "on.toml", "[[slides]]\npicture = \"adobe.jpg\"\n");
    const auto manifest = [&](const std::string& name, std::vector<std::string> options) {
        std::vector<std::string> args{"build", "--manifest", (folder / name).string(), "-o", show.string(),
                                      "--player", player.string()};
        args.insert(args.end(), options.begin(), options.end());
        const TRun run = Pack(args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return StoredSlide(show);
    };
    EXPECT_EQ(manifest("off.toml", {}), adobeJpeg);
    EXPECT_EQ(manifest("on.toml", {"--no-color-management"}), adobeJpeg);

    const TRun help = Pack({"build", "--help"});
    EXPECT_NE(help.out.find("--no-color-management"), std::string::npos);
    EXPECT_NE(help.out.find("sRGB"), std::string::npos);
}

// convert writes no profile, so its pixels are made sRGB first.
TEST_F(PackColors, ConvertWritesSrgbPixelsUnlessToldNotTo) {
    const fs::path picture = folder / "adobe.jpg";
    WriteFile(picture, adobeJpeg);
    const fs::path converted = folder / "converted.bmp", kept = folder / "kept.bmp";
    ASSERT_EQ(Pack({"convert", picture.string(), converted.string()}).exitCode, 0);
    ASSERT_EQ(Pack({"convert", "--no-color-management", picture.string(), kept.string()}).exitCode, 0);
    EXPECT_EQ(Pixels(kept), Rows(Decoded(kColour)));
    EXPECT_NE(Pixels(converted), Pixels(kept));
}

TEST_F(PackColors, InfoNamesTheProfile) {
    const fs::path adobe = folder / "adobe.jpg", unreadable = folder / "unreadable.jpg";
    WriteFile(adobe, adobeJpeg);
    const std::string colour = Contents(kColour);
    WriteFile(unreadable, Text(profile_files::WithJpegProfile(TBytes(colour.begin(), colour.end()), TBytes(600, 0x5A))));

    const TRun json = Pack({"info", "--json", adobe.string()});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(json.out, "{\"width\":16,\"height\":16,\"pixel_format\":\"pf24bit\",\"palette_entries\":0,"
                        "\"color_profile\":\"Adobe RGB (1998)\"}\n");
    EXPECT_NE(Pack({"info", adobe.string()}).out.find("Profil de couleur : Adobe RGB (1998)\n"), std::string::npos);
    EXPECT_NE(Pack({"info", "--json", unreadable.string()}).out.find("\"color_profile\":null}"), std::string::npos);
    EXPECT_NE(Pack({"info", unreadable.string()}).out.find("Profil de couleur : illisible, ignoré\n"), std::string::npos);
    // No profile, no such line.
    EXPECT_EQ(Pack({"info", kColour}).out.find("Profil"), std::string::npos);
}

}  // namespace
}  // namespace pellumo
