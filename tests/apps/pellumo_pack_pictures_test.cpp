// The four commands that write a picture (convert, frame, sheet, resample): each writes the
// format its output's extension names, checks that output before it reads or does anything,
// and leaves no file, or the old one as it was, when it fails.
#include <functional>

#include "base/memory_stream.h"
#include "imaging/formats/png_graphic.h"
#include "pack_fixture.h"

namespace pellumo {
namespace {

const std::string kPngSignature("\x89PNG\r\n\x1a\n", 8);

class PackPictures : public PellumoPack {
protected:
    // A picture file's pixels through our PNG reader, after its signature is checked.
    TBitmap DecodedPng(const fs::path& file) {
        const std::string bytes = Contents(file);
        EXPECT_EQ(bytes.substr(0, 8), kPngSignature) << file;
        TMemoryStream stream(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        TPNGGraphic png;
        png.LoadFromStream(stream);
        TBitmap bitmap;
        bitmap.Assign(png);
        return bitmap;
    }

    std::size_t FilesInFolder() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }

    // Each command's arguments around its output, reading `picture` where it reads one.
    struct TCommand {
        std::string name;
        std::function<std::vector<std::string>(const std::string& picture, const std::string& output)> args;
    };
    const std::vector<TCommand> commands = {
        {"convert", [](const std::string& p, const std::string& out) { return std::vector<std::string>{"convert", p, out}; }},
        {"frame",
         [](const std::string& p, const std::string& out) {
             return std::vector<std::string>{"frame", "--style", "0", "--progress", "0", p, p, out};
         }},
        {"sheet",
         [](const std::string&, const std::string& out) {
             return std::vector<std::string>{"sheet", "--size", "64x40", out};
         }},
        {"resample",
         [](const std::string& p, const std::string& out) {
             return std::vector<std::string>{"resample", "--size", "9x5", p, out};
         }},
    };
};

// A .png name gets PNG bytes, with the command's pixels.
TEST_F(PackPictures, EveryCommandWritesRealPngFiles) {
    const fs::path out = folder / "out.png";
    const std::string expected = Rows(Decoded(kColour));
    for (const TCommand& command : commands) {
        SCOPED_TRACE(command.name);
        fs::remove(out);
        const TRun run = Pack(command.args(kColour, out.string()));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        TBitmap written = DecodedPng(out);
        if (command.name == "sheet") {
            EXPECT_EQ(written.Width(), 8 * 70 + 6);
        } else if (command.name == "resample") {
            TBitmap source = Decoded(kColour), resampled;
            ResampleBitmap(9, 5, rfTriangle, 0.0f, source, resampled);
            EXPECT_EQ(Rows(std::move(written)), Rows(std::move(resampled)));
        } else {
            EXPECT_EQ(Rows(std::move(written)), expected);  // a frame at 0 is the old picture
        }
    }
}

// The output is checked first: with an input that does not even exist, the output's fault is
// the one reported, and nothing is written.
TEST_F(PackPictures, AnOutputOfNoWrittenFormatIsRefusedBeforeAnyWork) {
    const std::string missing = (folder / "missing.jpg").string();
    for (const TCommand& command : commands) {
        for (const char* extension : {"xyz", "pcx", "gif"}) {
            SCOPED_TRACE(command.name + " to ." + extension);
            const fs::path out = folder / (std::string("out.") + extension);
            const TRun run = Pack(command.args(missing, out.string()));
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_NE(run.err.find(std::string("« .") + extension + " » ne désigne aucun format que pellumo-pack écrit (bmp, "),
                      std::string::npos)
                << run.err;
            EXPECT_EQ(run.err.find("missing"), std::string::npos) << run.err;
            EXPECT_FALSE(fs::exists(out));
        }
    }
}

// An existing file is kept byte for byte unless --force; the inputs themselves, by any name,
// are never replaced.
TEST_F(PackPictures, AnExistingOutputNeedsForceAndAnInputIsNeverReplaced) {
    const fs::path out = folder / "out.png";
    for (const TCommand& command : commands) {
        SCOPED_TRACE(command.name);
        WriteFile(out, "an older picture");
        const TRun kept = Pack(command.args((folder / "missing.jpg").string(), out.string()));
        EXPECT_EQ(kept.exitCode, 1);
        EXPECT_NE(kept.err.find("--force"), std::string::npos) << kept.err;
        EXPECT_EQ(Contents(out), "an older picture");

        std::vector<std::string> forced = command.args(kColour, out.string());
        forced.insert(forced.begin() + 1, "--force");
        const TRun replaced = Pack(forced);
        ASSERT_EQ(replaced.exitCode, 0) << replaced.err;
        EXPECT_FALSE(DecodedPng(out).Empty());
    }

    const fs::path picture = folder / "picture.bmp";
    ASSERT_EQ(Pack({"convert", kColour, picture.string()}).exitCode, 0);
    fs::create_hard_link(picture, folder / "link.bmp");
    const std::string pictureBytes = Contents(picture);
    const std::string otherName = (folder / "." / "picture.bmp").string();
    for (const TCommand& command : commands) {
        if (command.name == "sheet") continue;  // it reads nothing
        for (const std::string& output : {otherName, (folder / "link.bmp").string()}) {
            SCOPED_TRACE(command.name + " to " + output);
            std::vector<std::string> args = command.args(picture.string(), output);
            args.insert(args.begin() + 1, "--force");
            const TRun run = Pack(args);
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_NE(run.err.find("c'est aussi un fichier lu par la commande"), std::string::npos) << run.err;
            EXPECT_EQ(Contents(picture), pictureBytes);
        }
    }
}

// An icon holds at most 256 pixels a side: the picture is refused before any file is made.
TEST_F(PackPictures, AnIconTooSmallForThePictureLeavesNoFile) {
    TBitmap large;
    large.SetPixelFormat(pf24bit);
    large.SetSize(257, 3);
    large.SaveToFile((folder / "large.bmp").string());
    const std::size_t before = FilesInFolder();
    const TRun run = Pack({"convert", (folder / "large.bmp").string(), (folder / "large.ico").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("256"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(folder / "large.ico"));
    EXPECT_EQ(FilesInFolder(), before);  // no temporary file left beside it either
}

}  // namespace
}  // namespace pellumo
