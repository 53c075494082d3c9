// The command line of pellumo-pack as a user meets it: French texts, usage errors apart from
// failures, every line of an error marked as the program's.
#include <regex>
#include <sstream>

#include "pack_fixture.h"

namespace pellumo {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST_F(PellumoPack, UsageErrorsSayWhatIsWrongInFrenchAndExitWithTwo) {
    const std::string manifest = (folder / "show.toml").string();
    WriteFile(manifest, "[[slides]]\npicture = \"" + kGray + "\"\n");
    const std::string out = show.string();
    const std::string buildHelp = "essayez « pellumo-pack build --help »";
    const struct {
        std::vector<std::string> args;
        std::string message;
        std::string hint;
    } cases[] = {
        {{"build", "-o", out, "--durée", "3", kGray}, "option inconnue « --durée »", buildHelp},
        {{"buidl", kGray}, "commande inconnue « buidl »", "essayez « pellumo-pack --help »"},
        {{"build", kGray, "-o"}, "l'option « -o » attend une valeur (FICHIER)", buildHelp},
        // An option's name is never taken for the previous option's value.
        {{"build", "-o", "--player", player.string(), kGray}, "l'option « -o » attend une valeur (FICHIER)", buildHelp},
        {{"build", kGray}, "l'option « --output » est obligatoire", buildHelp},
        {{"inspect"}, "il manque l'argument SHOW : Fichier à lire", "essayez « pellumo-pack inspect --help »"},
        {{"convert", kGray, out + ".bmp", "extra.bmp"}, "argument en trop « extra.bmp »",
         "essayez « pellumo-pack convert --help »"},
        {{"build", "-o", out, "--quality", "haute", kGray}, "l'option « --quality » attend un nombre entier, pas « haute »",
         buildHelp},
        {{"resample", "--size", "4x4", "--radius=2,5", kGray, out + ".bmp"},
         "l'option « --radius » attend un nombre, pas « 2,5 »", "essayez « pellumo-pack resample --help »"},
        {{"build", "-o", out, "--manifest", manifest, kGray}, "l'option « --manifest » exclut l'argument IMAGE",
         buildHelp},
        {{"build", "-o", out, "--no-loop", "--manifest", manifest}, "l'option « --manifest » exclut l'option « --no-loop »",
         buildHelp},
        {{"build", "-o", out}, "donnez --manifest ou au moins une image", buildHelp},
        {{"inspect", "--json=yes", out}, "l'option « --json » ne prend pas de valeur",
         "essayez « pellumo-pack inspect --help »"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const TRun run = Pack(c.args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.err, "pellumo-pack: " + c.message + "\npellumo-pack: " + c.hint + "\n");
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(fs::exists(show));
        EXPECT_FALSE(fs::exists(out + ".bmp"));
    }

    const TRun bare = Pack({});
    EXPECT_EQ(bare.exitCode, 2);
    EXPECT_EQ(bare.err.rfind("Utilisation : pellumo-pack COMMANDE", 0), 0u) << bare.err;
    EXPECT_EQ(bare.out, "");
}

// A failure while running is not a usage error; a message of several lines keeps the
// program's name on each.
TEST_F(PellumoPack, RunTimeErrorsExitWithOneAndMarkEveryLine) {
    WriteFile(folder / "bad.toml", "loop = \"yes\"\ncolour = 3\n[[slides]]\npicture = \"" + kGray + "\"\n");
    const TRun run = Pack({"build", "--manifest", (folder / "bad.toml").string(), "-o", show.string(), "--player",
                           player.string()});
    EXPECT_EQ(run.exitCode, 1);
    const std::vector<std::string> lines = Lines(run.err);
    ASSERT_GE(lines.size(), 2u) << run.err;
    for (const std::string& line : lines) EXPECT_EQ(line.rfind("pellumo-pack: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("bad.toml:1 : "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("bad.toml:2 : "), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(show));
}

TEST_F(PellumoPack, HelpIsFrenchAndMadeFromTheDeclarations) {
    // Help wins over whatever else the line holds.
    for (const std::vector<std::string>& args : {std::vector<std::string>{"build", "--help"},
                                                  std::vector<std::string>{"build", "--durée", "-h"}}) {
        const TRun run = Pack(args);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out.rfind("Utilisation : pellumo-pack build [OPTIONS] [IMAGE...]\n\nCopier le lecteur", 0), 0u)
            << run.out;
        for (const char* shown : {"Arguments :", "Options :", "-o, --output FICHIER", "Diaporama à écrire (obligatoire)",
                                  "--loop, --no-loop", "--quality N", "--force", "Remplacer un fichier existant qui",
                                  "Un diaporama se décrit"})
            EXPECT_NE(run.out.find(shown), std::string::npos) << shown << " in\n" << run.out;
        for (const char* english : {"Usage", "Options:", "Positionals", "REQUIRED", "Subcommands", "TEXT ", "INT "})
            EXPECT_EQ(run.out.find(english), std::string::npos) << english << " in\n" << run.out;
    }

    // The commands that write a picture say which extensions they write.
    for (const char* command : {"convert", "frame", "sheet", "resample"}) {
        const TRun run = Pack({command, "--help"});
        EXPECT_EQ(run.exitCode, 0) << command;
        EXPECT_NE(run.out.find(std::string("Utilisation : pellumo-pack ") + command), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("Image à écrire (bmp"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("--force"), std::string::npos) << run.out;
    }

    const TRun program = Pack({"--help"});
    EXPECT_EQ(program.exitCode, 0);
    for (const char* command : {"build", "inspect", "extract", "styles", "frame", "sheet", "resample", "convert", "info"})
        EXPECT_NE(program.out.find(std::string("\n  ") + command + " "), std::string::npos) << command;

    const TRun version = Pack({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(std::regex_match(version.out, std::regex("pellumo-pack [0-9]+(\\.[0-9]+)+\n"))) << version.out;
}

// "--opt=value", "--no-" flags where the last word wins, and "--" before a file named like an
// option.
TEST_F(PellumoPack, ValuesAreReadInEveryForm) {
    const fs::path here = fs::current_path();
    fs::copy_file(kGray, folder / "-gray.jpg");
    fs::current_path(folder);
    const TRun run = Pack({"build", "--output=" + show.string(), "--player=" + player.string(), "--loop", "--no-loop",
                           "--duration=7", "--caption=a=b", "--", "-gray.jpg"});
    fs::current_path(here);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const TRun inspect = Pack({"inspect", "--json", show.string()});
    ASSERT_EQ(inspect.exitCode, 0) << inspect.err;
    EXPECT_NE(inspect.out.find("\"loop\":false"), std::string::npos) << inspect.out;
    EXPECT_NE(inspect.out.find("\"duration\":7,"), std::string::npos) << inspect.out;
    EXPECT_NE(inspect.out.find("\"caption\":\"a=b\""), std::string::npos) << inspect.out;
}

}  // namespace
}  // namespace pellumo
