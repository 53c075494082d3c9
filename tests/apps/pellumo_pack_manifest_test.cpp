// Shows described by a manifest: built, taken apart and built again; faults told together.
#include <pty.h>

#include "pack_fixture.h"
#include "player/catalogue.h"
#include "base/file_stream.h"

namespace pellumo {
namespace {

const std::string kBmp = PELLUMO_TEST_DATA "/bmp/im_24bit_v5.bmp";

TCatalogue ShowOf(const fs::path& file) {
    TFileStream stream(file.string(), fmOpenRead);
    return ReadCatalogue(stream);
}

// Runs pellumo-pack with its output on a terminal, as a person at a console sees it.
TRun PackOnTerminal(const std::vector<std::string>& args) {
    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
        ExecProgram(PELLUMO_PACK, args);
    }
    TRun run;
    char buffer[4096];
    for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0;) run.err.append(buffer, static_cast<std::size_t>(got));
    int status = 0;
    if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    ::close(terminal);
    return run;
}

TEST_F(PellumoPack, AManifestBuildsTheShowAndExtractRebuildsItByteForByte) {
    fs::create_directories(folder / "album" / "sons");
    fs::copy_file(kColour, folder / "album" / "colour.jpg");
    WriteFile(folder / "album" / "sons" / "thème.ogg", "OggS music");
    WriteFile(folder / "album" / "show.toml", R"(# a show
music = "sons/thème.ogg"
loop = false
fine_resize = true
quality = 80

[defaults]
duration = 7
style = "Circular reveal from centre"
caption = "Été \"chez nous\""
frame_color = "#C8C8C8"

[[slides]]
picture = "colour.jpg"

[[slides]]
picture = ")" + kBmp + R"("
style = 3
frame_color = "none"
back_color = "#102030"
caption = ""
)");
    fs::create_directory(folder / "out");
    const fs::path built = folder / "out" / "show";
    const TRun build = Pack({"build", "--manifest", (folder / "album" / "show.toml").string(), "-o", built.string(),
                             "--player", player.string()});
    ASSERT_EQ(build.exitCode, 0) << build.err;
    EXPECT_EQ(build.err, "");  // no progress bar on a file
    EXPECT_EQ(Contents(folder / "out" / "thème.ogg"), "OggS music");

    const TCatalogue catalogue = ShowOf(built);
    EXPECT_EQ(AnsiToUtf8(catalogue.MusicFileName), "thème.ogg");
    EXPECT_FALSE(catalogue.LoopShow);
    EXPECT_TRUE(catalogue.CopyAllowed);
    EXPECT_TRUE(catalogue.FineResize);
    ASSERT_EQ(catalogue.Slides.size(), 2u);
    const TSlideEntry& first = catalogue.Slides[0];
    const TSlideEntry& second = catalogue.Slides[1];
    EXPECT_EQ(first.Duration, 7);
    EXPECT_EQ(first.TransitionStyle, 84);
    EXPECT_EQ(AnsiToUtf8(first.Caption.Text()), "Été \"chez nous\"");
    EXPECT_TRUE(first.Framed);
    EXPECT_EQ(first.FrameColor, RGB(0xC8, 0xC8, 0xC8));
    EXPECT_EQ(Contents(built).substr(first.DataOffset, first.DataSize), Contents(kColour));  // byte for byte
    EXPECT_EQ(second.TransitionStyle, 3);
    EXPECT_FALSE(second.Framed);
    EXPECT_EQ(second.BackColor, RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(second.Caption.Text(), "");
    // The bitmap went in as a JPEG of its pixels.
    const fs::path secondJpeg = folder / "second.jpg";
    WriteFile(secondJpeg, Contents(built).substr(second.DataOffset, second.DataSize));
    TBitmap bmp;
    bmp.LoadFromFile(kBmp);
    const TBitmap decoded = Decoded(secondJpeg.string());
    EXPECT_EQ(decoded.Width(), bmp.Width());
    EXPECT_EQ(decoded.Height(), bmp.Height());

    const TRun text = Pack({"inspect", built.string()});
    EXPECT_NE(text.out.find(" 1    7 s  84 Circular reveal from centre  #000000  #C8C8C8"), std::string::npos) << text.out;

    const fs::path parts = folder / "parts";
    const TRun extract = Pack({"extract", built.string(), parts.string()});
    ASSERT_EQ(extract.exitCode, 0) << extract.err;
    EXPECT_EQ(Contents(parts / "slide-001.jpg"), Contents(kColour));
    EXPECT_EQ(Contents(parts / "thème.ogg"), "OggS music");
    const fs::path rebuilt = folder / "rebuilt";
    const TRun again = Pack({"build", "--manifest", (parts / "show.toml").string(), "-o", rebuilt.string(),
                             "--player", player.string()});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(Contents(rebuilt), Contents(built));

    // A second extract into the same folder would overwrite: refused, nothing touched.
    WriteFile(parts / "slide-002.jpg", "edited");
    const TRun refused = Pack({"extract", built.string(), parts.string()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("slide-002.jpg"), std::string::npos) << refused.err;
    EXPECT_EQ(Contents(parts / "slide-002.jpg"), "edited");
}

TEST_F(PellumoPack, EveryFaultOfAManifestIsToldWithItsLineAndNothingIsWritten) {
    WriteFile(folder / "notes.txt", "not a picture");
    WriteFile(folder / "bad.toml", "music = \"absent.mp3\"\n"                // 1
                                   "loop = \"yes\"\n"                        // 2
                                   "colour = 3\n"                            // 3
                                   "[defaults]\n"                            // 4
                                   "duration = -1\n"                         // 5
                                   "style = 300\n"                           // 6
                                   "caption = \"☃\"\n"                       // 7
                                   "[[slides]]\n"                            // 8
                                   "picture = \"missing.jpg\"\n"             // 9
                                   "back_color = \"#GG0000\"\n"              // 10
                                   "[[slides]]\n"                            // 11
                                   "style = \"no such\"\n"                   // 12
                                   "[[slides]]\n"                            // 13
                                   "picture = \"notes.txt\"\n"               // 14
                                   "caption = \"" + std::string(81, 'x') + "\"\n");  // 15
    const std::string olderShow = OlderShow();
    const TRun run = Pack({"build", "--manifest", (folder / "bad.toml").string(), "-o", show.string(), "--player",
                           player.string()});
    EXPECT_EQ(run.exitCode, 1);
    std::size_t at = 0;
    for (const char* fault : {":1 : ", "absent.mp3", ":2 : loop", ":3 : clé inconnue « colour »", ":5 : duration",
                              ":6 : style", ":7 : caption", ":9 : image introuvable", ":10 : back_color",
                              ":11 : picture manque", ":12 : style", ":15 : caption"}) {
        const std::size_t found = run.err.find(fault, at);
        EXPECT_NE(found, std::string::npos) << fault << " in order in\n" << run.err;
        if (found != std::string::npos) at = found;
    }
    EXPECT_EQ(Contents(show), olderShow);

    // Pictures that read badly are only found while the show is written; still nothing lands.
    WriteFile(folder / "late.toml", "[[slides]]\npicture = \"notes.txt\"\n[[slides]]\npicture = \"" + kGray +
                                        "\"\n[[slides]]\npicture = \"notes.txt\"\n");
    const TRun late = Pack({"build", "--manifest", (folder / "late.toml").string(), "-o", show.string(), "--player",
                            player.string()});
    EXPECT_EQ(late.exitCode, 1);
    EXPECT_NE(late.err.find("late.toml:1 : "), std::string::npos) << late.err;
    EXPECT_NE(late.err.find("late.toml:5 : "), std::string::npos) << late.err;
    EXPECT_EQ(Contents(show), olderShow);
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_NE(entry.path().filename().string()[0], '.') << "leftover " << entry.path();
}

// Syntax errors in French, with line and column, in the words that say how to mend them.
TEST_F(PellumoPack, ManifestSyntaxErrorsAreToldInFrenchWithTheirPlace) {
    const struct {
        std::string text;
        std::string said;
    } cases[] = {
        {"caption = \"Été\nloop = true\n", "syntax.toml:1:15 : guillemet fermant manquant"},
        {"caption = \"Été", "guillemet fermant manquant"},
        {"caption = Été\n", "syntax.toml:1:11 : valeur inattendue"},
        {"loop = oui\n", "syntax.toml:1:8 : valeur inattendue"},
        {"[defaults\nduration = 5\n", "crochet fermant manquant"},
        {"duration = 5 5\n", "texte inattendu après la valeur : « 5 »"},
        {"loop = true\nloop = false\n", "syntax.toml:2:"},
        {"quality = 1e\n", "syntax.toml:1:"},  // no plain words for this one: the parser's, introduced
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        WriteFile(folder / "syntax.toml", c.text);
        const TRun run = Pack({"build", "--manifest", (folder / "syntax.toml").string(), "-o", show.string()});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("Error while"), std::string::npos) << run.err;
    }
}

// A JPEG has no transparency: what the picture leaves see-through shows the slide's colour.
TEST_F(PellumoPack, TransparentPartsOfAPictureTakeTheSlideBackground) {
    const std::string argb = PELLUMO_TEST_DATA "/bmp/im_32bit_argb.bmp";
    WriteFile(folder / "alpha.toml", "[[slides]]\npicture = \"" + argb + "\"\nback_color = \"#FF0000\"\n");
    ASSERT_EQ(Pack({"build", "--manifest", (folder / "alpha.toml").string(), "-o", show.string(), "--player",
                    player.string()}).exitCode, 0);
    const TSlideEntry slide = ShowOf(show).Slides.at(0);
    WriteFile(folder / "stored.jpg", Contents(show).substr(slide.DataOffset, slide.DataSize));
    TBitmap source;
    source.LoadFromFile(argb);
    TBitmap stored = Decoded((folder / "stored.jpg").string());
    stored.SetPixelFormat(pf24bit);
    // Half to fully opaque pixels: each as it looks over red, within what JPEG changes.
    int difference = 0;
    for (int y = 0; y < source.Height(); ++y)
        for (int x = 0; x < source.Width(); ++x) {
            const std::uint8_t* bgra = source.ScanLine(y) + x * 4;
            const std::uint8_t* bgr = stored.ScanLine(y) + x * 3;
            const int back[3] = {0, 0, 255};
            for (int c = 0; c < 3; ++c)
                difference += std::abs(bgr[c] - (bgra[c] * bgra[3] + back[c] * (255 - bgra[3])) / 255);
        }
    EXPECT_LT(difference / (source.Width() * source.Height() * 3), 12);
}

// The README's manifest is the demo show's, and it builds as the README says.
TEST_F(PellumoPack, TheReadmeExampleIsTheDemoManifestAndBuilds) {
    const fs::path root = fs::path(PELLUMO_TEST_DATA).parent_path().parent_path();
    const std::string readme = Contents(root / "README.md");
    const std::size_t start = readme.find("```toml\n");
    ASSERT_NE(start, std::string::npos);
    const std::size_t end = readme.find("```", start + 8);
    const fs::path manifest = root / "samples" / "demo" / "show.toml";
    EXPECT_EQ(readme.substr(start + 8, end - start - 8), Contents(manifest));
    ASSERT_NE(readme.find("build/bin/pellumo-pack build --manifest samples/demo/show.toml -o demo-show"), std::string::npos);
    const TRun build = Pack({"build", "--manifest", manifest.string(), "-o", show.string(), "--player", player.string()});
    ASSERT_EQ(build.exitCode, 0) << build.err;
    EXPECT_EQ(ShowOf(show).Slides.size(), 4u);
}

TEST_F(PellumoPack, AManifestOfTwoHundredPicturesShowsItsProgressOnATerminal) {
    std::string manifest = "[defaults]\nduration = 1\n";
    for (int i = 0; i < 200; ++i) manifest += "[[slides]]\npicture = \"" + (i % 2 ? kGray : kColour) + "\"\n";
    WriteFile(folder / "many.toml", manifest);
    const TRun run = PackOnTerminal({"build", "--manifest", (folder / "many.toml").string(), "-o", show.string(),
                                     "--player", player.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("\rImages   0/200 [------------------------------]   0 %"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("\rImages 100/200 [###############---------------]  50 %"), std::string::npos);
    EXPECT_NE(run.err.find("\rImages 200/200 [##############################] 100 %"), std::string::npos);
    EXPECT_EQ(ShowOf(show).Slides.size(), 200u);
}

}  // namespace
}  // namespace pellumo
