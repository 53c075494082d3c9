// What build does to the files around it: it never replaces what it reads or what is not a
// show, never stores a picture that does not decode, and leaves nothing when it fails or is
// interrupted.
#include <csignal>
#include <thread>

#include "base/file_stream.h"
#include "pack_fixture.h"
#include "player/catalogue.h"

namespace pellumo {
namespace {

class PackFiles : public PellumoPack {
protected:
    // The names in the folder that start with a dot: a build's temporary files.
    std::vector<std::string> HiddenFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().filename().string()[0] == '.') names.push_back(entry.path().filename().string());
        return names;
    }

    std::vector<std::string> StoredSlides(const fs::path& file) {
        TFileStream stream(file.string(), fmOpenRead);
        const std::string bytes = Contents(file);
        std::vector<std::string> pictures;
        for (const TSlideEntry& slide : ReadCatalogue(stream).Slides)
            pictures.push_back(bytes.substr(static_cast<std::size_t>(slide.DataOffset), static_cast<std::size_t>(slide.DataSize)));
        return pictures;
    }
};

TEST_F(PackFiles, TheOutputNeverReplacesAnInputAndOnlyAShowWithoutForce) {
    const fs::path photo = folder / "photo.jpg";
    fs::copy_file(kColour, photo);
    fs::create_hard_link(photo, folder / "same-photo.jpg");
    const std::string photoBytes = Contents(photo);
    WriteFile(folder / "notes.txt", "my notes");
    WriteFile(folder / "show.toml", "[[slides]]\npicture = \"photo.jpg\"\n");
    const std::string manifest = (folder / "show.toml").string();

    // An input, by any of its names, stays as it is, --force or not.
    for (const std::string& output : {photo.string(), (folder / "same-photo.jpg").string(), player.string()}) {
        for (const bool force : {false, true}) {
            std::vector<std::string> args{"build", "-o", output, "--player", player.string(), photo.string()};
            if (force) args.push_back("--force");
            const TRun run = Pack(args);
            EXPECT_EQ(run.exitCode, 1) << output;
            EXPECT_NE(run.err.find("c'est aussi un fichier lu par la commande"), std::string::npos) << run.err;
        }
    }
    const TRun overManifest = Pack({"build", "--manifest", manifest, "-o", manifest, "--player", player.string(), "--force"});
    EXPECT_EQ(overManifest.exitCode, 1);
    EXPECT_EQ(Contents(photo), photoBytes);
    EXPECT_EQ(Contents(player), playerBytes);
    EXPECT_EQ(Contents(folder / "show.toml"), "[[slides]]\npicture = \"photo.jpg\"\n");

    // Any other file only with --force; a show is rebuilt freely.
    const TRun overNotes =
        Pack({"build", "-o", (folder / "notes.txt").string(), "--player", player.string(), photo.string()});
    EXPECT_EQ(overNotes.exitCode, 1);
    EXPECT_NE(overNotes.err.find("--force"), std::string::npos) << overNotes.err;
    EXPECT_EQ(Contents(folder / "notes.txt"), "my notes");
    ASSERT_EQ(Pack({"build", "-o", (folder / "notes.txt").string(), "--player", player.string(), "--force",
                    photo.string()}).exitCode, 0);
    EXPECT_EQ(StoredSlides(folder / "notes.txt"), std::vector<std::string>{photoBytes});
    ASSERT_EQ(Pack(Build({}, {photo.string()})).exitCode, 0);
    const TRun rebuilt = Pack(Build({}, {photo.string(), kGray}));
    ASSERT_EQ(rebuilt.exitCode, 0) << rebuilt.err;
    EXPECT_EQ(StoredSlides(show).size(), 2u);
    EXPECT_TRUE(HiddenFiles().empty());
}

TEST_F(PackFiles, MusicBesideTheShowIsReplacedOnlyWhenForced) {
    fs::create_directory(folder / "mus");
    WriteFile(folder / "mus" / "tune.wav", "RIFF our tune");
    WriteFile(folder / "tune.wav", "RIFF another tune");
    const std::string music = (folder / "mus" / "tune.wav").string();

    const TRun refused = Pack(Build({"--music", music}, {kGray}));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("une autre musique de ce nom"), std::string::npos) << refused.err;
    EXPECT_EQ(Contents(folder / "tune.wav"), "RIFF another tune");
    EXPECT_FALSE(fs::exists(show));

    const TRun forced = Pack(Build({"--music", music, "--force"}, {kGray}));
    ASSERT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(Contents(folder / "tune.wav"), "RIFF our tune");
    EXPECT_NE(forced.out.find("musique « tune.wav » copiée à côté"), std::string::npos) << forced.out;

    // The same bytes already beside: nothing to replace.
    const TRun again = Pack(Build({"--music", music}, {kGray}));
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_NE(again.out.find("musique « tune.wav » déjà à côté"), std::string::npos) << again.out;
}

// A damaged copy of a photo would only fail in the player: it is refused, with its place.
TEST_F(PackFiles, AJpegThatDoesNotDecodeToItsEndIsRefused) {
    const std::string photo = Contents(kJpegFolder + "colour_16x16.jpg");
    WriteFile(folder / "cut.jpg", photo.substr(0, photo.size() * 2 / 3));
    WriteFile(folder / "show.toml", "[[slides]]\npicture = \"" + kGray + "\"\n[[slides]]\npicture = \"cut.jpg\"\n");
    const TRun run = Pack({"build", "--manifest", (folder / "show.toml").string(), "-o", show.string(), "--player",
                           player.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("show.toml:3 : " + (folder / "cut.jpg").string() + " : image illisible ("), std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(show));
    EXPECT_TRUE(HiddenFiles().empty());
}

// Ctrl+C or a shutdown in the middle of a long build leaves neither the show nor its
// temporary file.
TEST_F(PackFiles, AnInterruptedBuildLeavesNothing) {
    TBitmap large;
    large.SetPixelFormat(pf24bit);
    large.SetSize(3000, 2000);
    large.SaveToFile((folder / "large.bmp").string());
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        std::vector<std::string> args = Build({}, {});
        args.insert(args.end(), 40, (folder / "large.bmp").string());
        const pid_t child = ::fork();
        if (child == 0) {
            ExecProgram(PELLUMO_PACK, args);
        }
        ASSERT_GT(child, 0);
        for (int wait = 0; wait < 2000 && HiddenFiles().empty(); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_FALSE(HiddenFiles().empty()) << "the build never started its file";
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_TRUE(HiddenFiles().empty()) << HiddenFiles().front();
        EXPECT_FALSE(fs::exists(show));
    }
}

// A folder stands for its pictures, in the order a file manager shows them; a build says what
// it wrote in one line.
TEST_F(PackFiles, AFolderStandsForItsPicturesInNameOrder) {
    fs::create_directory(folder / "album");
    fs::copy_file(kGray, folder / "album" / "photo 10.jpg");
    fs::copy_file(kColour, folder / "album" / "Photo 2.jpg");
    fs::copy_file(PELLUMO_TEST_DATA "/bmp/im_24bit_v5.bmp", folder / "album" / "photo 1.bmp");
    fs::copy_file(kGray, folder / "album" / ".hidden.jpg");
    WriteFile(folder / "album" / "notes.txt", "not a picture");
    const TRun run = Pack(Build({}, {(folder / "album").string(), kColour}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> slides = StoredSlides(show);
    ASSERT_EQ(slides.size(), 4u);
    EXPECT_EQ(slides[1], Contents(kColour));  // "Photo 2" before "photo 10"
    EXPECT_EQ(slides[2], Contents(kGray));
    EXPECT_EQ(slides[3], Contents(kColour));
    EXPECT_EQ(run.out, show.string() + " : 4 diapositives, " + std::to_string((fs::file_size(show) + 999) / 1000) + " Ko\n");

    WriteFile(folder / "show.toml", "[[slides]]\npicture = \"album\"\ncaption = \"Album\"\n");
    ASSERT_EQ(Pack({"build", "--manifest", (folder / "show.toml").string(), "-o", show.string(), "--player",
                    player.string()}).exitCode, 0);
    EXPECT_EQ(StoredSlides(show).size(), 3u);

    fs::create_directory(folder / "empty");
    const TRun empty = Pack(Build({}, {(folder / "empty").string()}));
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_NE(empty.err.find("aucune image dans ce dossier"), std::string::npos) << empty.err;
}

// A program without a show appended (the tool itself, like the plain player) is no show.
TEST_F(PackFiles, AProgramWithoutAShowIsSaidToHoldNone) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"inspect", PELLUMO_PACK},
                                                 std::vector<std::string>{"inspect", "--json", PELLUMO_PACK},
                                                 std::vector<std::string>{"extract", PELLUMO_PACK, (folder / "out").string()}}) {
        const TRun run = Pack(args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, std::string("pellumo-pack: ") + PELLUMO_PACK + " : Ce fichier ne contient pas de diaporama\n");
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(fs::exists(folder / "out"));
}

TEST_F(PackFiles, StyleNamesForgiveSpacesAndSuggestTheNearest) {
    ASSERT_EQ(Pack(Build({"--style", "  slide in from top ", "--frame-color", "none"}, {kGray})).exitCode, 0);
    TFileStream stream(show.string(), fmOpenRead);
    const TSlideEntry slide = ReadCatalogue(stream).Slides.at(0);
    EXPECT_EQ(slide.TransitionStyle, 21);
    EXPECT_FALSE(slide.Framed);

    const TRun misspelt = Pack(Build({"--style", "Slide in from tpo"}, {kGray}));
    EXPECT_EQ(misspelt.exitCode, 1);
    EXPECT_NE(misspelt.err.find("par exemple « Slide in from top »"), std::string::npos) << misspelt.err;
    EXPECT_NE(misspelt.err.find("pellumo-pack styles"), std::string::npos) << misspelt.err;
}

}  // namespace
}  // namespace pellumo
