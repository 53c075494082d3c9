#include <set>

#include "pack_fixture.h"

namespace pellumo {
namespace {

TEST_F(PellumoPack, BuildThenInspectGivesBackEveryOption) {
    fs::create_directory(folder / "sons");
    const fs::path music = folder / "sons" / "Musique d'été.mp3";
    WriteFile(music, "ID3 some music");
    const TRun build = Pack(Build({"--music", music.string(), "--no-loop", "--no-copy-allowed", "--fine-resize",
                                   "--duration", "12", "--style", "slide IN from TOP", "--caption", "Été à l'œuvre €",
                                   "--caption-color", "#00ff80", "--back-color", "#102030", "--frame-color", "#FF0000"},
                                  {kColour, kGray}));
    ASSERT_EQ(build.exitCode, 0) << build.err;
    EXPECT_EQ(build.err, "");

    const std::string bytes = Contents(show);
    EXPECT_EQ(bytes.substr(0, playerBytes.size()), playerBytes);
    EXPECT_EQ(fs::status(show).permissions() & fs::perms::all, fs::perms(0755));
    const std::string colour = Contents(kColour);
    const std::string gray = Contents(kGray);
    const std::size_t first = playerBytes.size() + 84 + 112;
    const std::size_t second = first + colour.size() + 112;
    EXPECT_EQ(bytes.substr(first, colour.size()), colour);
    EXPECT_EQ(bytes.substr(second, gray.size()), gray);
    EXPECT_EQ(Contents(folder / "Musique d'été.mp3"), "ID3 some music");  // the player looks beside itself

    const auto slide = [](std::size_t offset, std::size_t size) {
        return "{\"data_offset\":" + std::to_string(offset) + ",\"data_size\":" + std::to_string(size) +
               ",\"duration\":12,\"frame_color\":255,\"framed\":true,\"back_color\":3153936,"
               "\"caption\":\"Été à l'œuvre €\",\"caption_color\":8453888,\"transition_style\":21}";
    };
    const TRun inspect = Pack({"inspect", show.string(), "--json"});
    ASSERT_EQ(inspect.exitCode, 0) << inspect.err;
    EXPECT_EQ(inspect.out,
              "{\"music\":\"Musique d'été.mp3\",\"loop\":false,\"copy_allowed\":false,\"fine_resize\":true,"
              "\"last_index\":1,\"slides\":[" + slide(first, colour.size()) + "," + slide(second, gray.size()) + "]}\n");

    const TRun text = Pack({"inspect", show.string()});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_NE(text.out.find("« Été à l'œuvre € »"), std::string::npos) << text.out;
}

TEST_F(PellumoPack, DefaultsAndJsonEscapes) {
    const TRun build = Pack(Build({"--caption", "a\"b\\c\td"}, {kGray}));
    ASSERT_EQ(build.exitCode, 0) << build.err;
    const TRun inspect = Pack({"inspect", "--json", show.string()});
    EXPECT_EQ(inspect.out,
              "{\"music\":\"\",\"loop\":true,\"copy_allowed\":true,\"fine_resize\":false,\"last_index\":0,"
              "\"slides\":[{\"data_offset\":" + std::to_string(playerBytes.size() + 84 + 112) +
              ",\"data_size\":340,\"duration\":5,\"frame_color\":0,\"framed\":false,\"back_color\":0,"
              "\"caption\":\"a\\\"b\\\\c\\u0009d\",\"caption_color\":16777215,\"transition_style\":56}]}\n");
}

TEST_F(PellumoPack, TheDefaultPlayerIsThePellumoBesideTheTool) {
    fs::create_directory(folder / "bin");
    const fs::path tool = folder / "bin" / "pellumo-pack";
    fs::copy_file(PELLUMO_PACK, tool);
    WriteFile(folder / "bin" / "pellumo", "the player beside");
    const TRun build = RunProgram(tool.string(), {"build", "-o", show.string(), kGray});
    ASSERT_EQ(build.exitCode, 0) << build.err;
    EXPECT_EQ(Contents(show).substr(0, 17), "the player beside");
}

TEST_F(PellumoPack, RefusedBuildsNameTheCauseAndLeaveNoOutput) {
    const std::string notJpeg = (folder / "notes.txt").string();
    WriteFile(notJpeg, "not a picture");
    struct Case {
        std::vector<std::string> options;
        std::vector<std::string> pictures;
        std::string named;
    };
    const Case cases[] = {
        {{}, {notJpeg}, notJpeg},
        {{}, {kColour, notJpeg}, notJpeg},  // fails after the output was started
        {{}, {kColour, (folder / "missing.jpg").string()}, "missing.jpg"},
        {{"--caption", "☃"}, {kGray}, "--caption"},
        {{"--caption", std::string(81, 'x')}, {kGray}, "--caption"},
        {{"--caption", "é" + std::string(80, 'x')}, {kGray}, "--caption"},
        {{"--music", "☃.mp3"}, {kGray}, "--music"},
        {{"--back-color", "#12345"}, {kGray}, "--back-color"},
        {{"--caption-color", "#GG0000"}, {kGray}, "--caption-color"},
        {{"--frame-color", "red"}, {kGray}, "--frame-color"},
        {{"--style", "No such style"}, {kGray}, "--style"},
        {{"--style", "128"}, {kGray}, "--style"},
        {{"--duration", "-1"}, {kGray}, "--duration"},
        {{"--duration", "1.5"}, {kGray}, "--duration"},
    };
    const std::string olderShow = OlderShow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.named);
        const TRun run = Pack(Build(c.options, c.pictures));
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err.rfind("pellumo-pack: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
        EXPECT_EQ(Contents(show), olderShow);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);  // no leftover
    }
}

TEST_F(PellumoPack, InspectRefusesFilesWithoutAShowAndEveryCommandHasHelp) {
    WriteFile(folder / "tiny", "ab");
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string said;
    } cases[] = {
        {{"inspect", player.string()}, 1, "pellumo-pack: " + player.string() + " : Ce fichier ne contient pas"},
        {{"inspect", (folder / "tiny").string(), "--json"}, 1, "ne contient pas de diaporama"},
        {{"inspect", (folder / "missing").string()}, 1, "pellumo-pack: Impossible d'ouvrir"},
        {{"build", "--help"}, 0, "Utilisation :"},
        {{"inspect", "--help"}, 0, "Utilisation :"},
    };
    for (const auto& c : cases) {
        const TRun run = Pack(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args[1];
        EXPECT_NE((c.exitCode == 0 ? run.out : run.err).find(c.said), std::string::npos) << run.out << run.err;
    }
}


TEST_F(PellumoPack, StylesListsTheHundredAndTwentyEightNames) {
    const TRun run = Pack({"styles"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 128);
    EXPECT_NE(run.out.find("0\tSwap\n"), std::string::npos);
    EXPECT_NE(run.out.find("\n127\tRandom squares appear\n"), std::string::npos);
}

// The frame at the ends is one picture or the other; between them every style composes, and
// the random ones the same way in every run.
// Every style renders through the command; that each starts on the old picture and ends on the
// new one is the composition's own tests' business, so a few of every family stand for them here.
TEST_F(PellumoPack, FrameRendersEveryStyle) {
    const fs::path frame = folder / "frame.bmp";
    for (int style = 0; style < 128; ++style) {
        const std::string number = std::to_string(style);
        const bool ends = style % 16 == 0 || style == 65 || style == 119 || style == 127;
        for (const char* progress : ends ? std::vector<const char*>{"0", "100"} : std::vector<const char*>{}) {
            const TRun run = Pack({"frame", "--force", "--style", number, "--progress", progress, kColour, kGray, frame.string()});
            ASSERT_EQ(run.exitCode, 0) << run.err;
            EXPECT_EQ(Pixels(frame), Rows(Decoded(std::string(progress) == "0" ? kColour : kGray))) << style << " at " << progress;
        }
        const TRun middle = Pack({"frame", "--force", "--style", number, "--progress", "50", kColour, kGray, frame.string()});
        ASSERT_EQ(middle.exitCode, 0) << middle.err;
        if (style == 65 || style == 127) {
            const std::string first = Pixels(frame);
            ASSERT_EQ(Pack({"frame", "--force", "--style", number, "--progress", "50", kColour, kGray, frame.string()}).exitCode, 0);
            EXPECT_EQ(Pixels(frame), first) << style;
        }
    }
    const TRun bad = Pack({"frame", "--style", "Nope", "--progress", "50", kColour, kGray, frame.string()});
    EXPECT_EQ(bad.exitCode, 1);
}

// A sheet cell's picture area or label strip, as 24-bit rows. Cells are 8 to a row, 6 pixels
// apart and from the edges; the strip is under the picture.
std::string CellPart(const TBitmap& sheet, int style, int cellWidth, int top, int height) {
    const int pitchY = (sheet.Height() - 6) / 16;
    const int left = 6 + style % 8 * (cellWidth + 6);
    const int y0 = 6 + style / 8 * pitchY + top;
    std::string bytes;
    for (int y = y0; y < y0 + height; ++y)
        bytes.append(reinterpret_cast<const char*>(sheet.ScanLine(y)) + 3 * left, 3 * cellWidth);
    return bytes;
}

TBitmap LoadedSheet(const fs::path& file) {
    TBitmap sheet;
    sheet.LoadFromFile(file.string());
    sheet.SetPixelFormat(pf24bit);
    return sheet;
}

// Every style has its cell: at the start of a transition all show the same old display, half
// way they tell the styles apart, and each strip carries dark letters on a light ground.
TEST_F(PellumoPack, SheetShowsEveryStyleInALabelledCell) {
    const fs::path out = folder / "sheet.bmp";
    const TRun run = Pack({"sheet", out.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const TBitmap sheet = LoadedSheet(out);
    EXPECT_EQ(sheet.Width(), 8 * 246 + 6);
    EXPECT_EQ((sheet.Height() - 6) % 16, 0);
    const int stripHeight = (sheet.Height() - 6) / 16 - 6 - 150;
    ASSERT_GE(stripHeight, 13);

    std::set<std::string> pictures, strips;
    for (int style = 0; style < 128; ++style) {
        pictures.insert(CellPart(sheet, style, 240, 0, 150));
        const std::string strip = CellPart(sheet, style, 240, 150, stripHeight);
        strips.insert(strip);
        const auto dark = std::count_if(strip.begin(), strip.end(), [](char c) { return static_cast<unsigned char>(c) < 64; });
        const auto light = std::count_if(strip.begin(), strip.end(), [](char c) { return static_cast<unsigned char>(c) > 200; });
        EXPECT_GT(dark, 3 * 40) << style;  // a few letters' worth
        EXPECT_GT(light, static_cast<std::ptrdiff_t>(strip.size()) / 2) << style;
    }
    EXPECT_EQ(strips.size(), 128u);
    EXPECT_GE(pictures.size(), 100u);
    for (const auto& [a, b] : {std::pair{1, 2}, {3, 5}, {60, 86}, {118, 123}})
        EXPECT_NE(CellPart(sheet, a, 240, 0, 150), CellPart(sheet, b, 240, 0, 150)) << a << " and " << b;

    ASSERT_EQ(Pack({"sheet", "--force", "--progress", "0", "--size", "64x40", out.string()}).exitCode, 0);
    const TBitmap small = LoadedSheet(out);
    EXPECT_EQ(small.Width(), 8 * 70 + 6);
    for (int style = 1; style < 128; ++style)
        EXPECT_EQ(CellPart(small, style, 64, 0, 40), CellPart(small, 0, 64, 0, 40)) << style;
}

TEST_F(PellumoPack, SheetRefusesBadValuesAndKeepsTheFile) {
    const fs::path out = folder / "sheet.bmp";
    WriteFile(out, "an older sheet");
    const struct {
        std::vector<std::string> options;
        std::string said;
    } bad[] = {{{"--progress", "-1"}, "--progress : une valeur de 0 à 100"},
               {{"--progress", "101"}, "--progress : une valeur de 0 à 100"},
               {{"--progress", "half"}, "--progress"},
               {{"--size", "63x40"}, "--size (largeur) : une valeur de 64 à 480"},
               {{"--size", "240x301"}, "--size (hauteur) : une valeur de 40 à 300"},
               {{"--size", "240"}, "--size : LARGEURxHAUTEUR"}};
    for (const auto& c : bad) {
        std::vector<std::string> args{"sheet"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(out.string());
        const TRun run = Pack(args);
        EXPECT_NE(run.exitCode, 0) << c.said;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
        EXPECT_EQ(Contents(out), "an older sheet");
    }
}

// The command reaches every filter by its name and the sizes it is given.
TEST_F(PellumoPack, ResampleGivesTheResamplersPixels) {
    const fs::path out = folder / "out.bmp";
    const char* names[] = {"box", "triangle", "hermite", "bell", "spline", "lanczos3", "mitchell"};
    for (int filter = 0; filter < 7; ++filter) {
        SCOPED_TRACE(names[filter]);
        const TRun run = Pack({"resample", "--force", "--filter", names[filter], "--size", "9x5", kColour, out.string()});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        TBitmap source = Decoded(kColour), expected;
        ResampleBitmap(9, 5, static_cast<TResampleFilter>(filter), 0.0f, source, expected);
        EXPECT_EQ(Pixels(out), Rows(std::move(expected)));
    }
    ASSERT_EQ(Pack({"resample", "--force", "--radius", "2.5", "--size", "20x3", kGray, out.string()}).exitCode, 0);
    TBitmap source = Decoded(kGray), expected;
    ResampleBitmap(20, 3, rfTriangle, 2.5f, source, expected);
    EXPECT_EQ(Pixels(out), Rows(std::move(expected)));

    const struct {
        std::vector<std::string> options;
        std::string named;
    } bad[] = {{{"--filter", "gauss", "--size", "2x2"}, "--filter"},
               {{"--size", "2"}, "--size"},
               {{"--size", "0x4"}, "--size"},
               {{"--size", "4x-4"}, "--size"},
               {{"--size", "2x2", "--radius", "-1"}, "--radius"},
               {{"--size", "60000x60000"}, "trop grande"}};
    fs::remove(out);
    for (const auto& c : bad) {
        std::vector<std::string> args{"resample"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.insert(args.end(), {kColour, out.string()});
        const TRun run = Pack(args);
        EXPECT_EQ(run.exitCode, 1) << c.named;
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(out));
    }
}

// Pictures through the registry: by extension in, by extension out.
TEST_F(PellumoPack, ConvertAndInfoGoThroughTheFormatRegistry) {
    const TRun info = Pack({"info", "--json", kGray});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(info.out, "{\"width\":16,\"height\":16,\"pixel_format\":\"pf8bit\",\"palette_entries\":256}\n");
    EXPECT_NE(Pack({"info", kColour}).out.find("Format de pixel : pf24bit"), std::string::npos);

    const fs::path bmp = folder / "colour.bmp", ico = folder / "colour.ICO", back = folder / "back.bmp";
    for (const auto& [from, to] : {std::pair{fs::path(kColour), bmp}, {bmp, ico}, {ico, back}}) {
        const TRun run = Pack({"convert", from.string(), to.string()});
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }
    EXPECT_EQ(Pixels(back), Rows(Decoded(kColour)));

    const struct {
        std::vector<std::string> args;
        std::string said;
    } bad[] = {{{"convert", kColour, (folder / "x.wmf").string()}, "« .wmf » ne désigne aucun format que pellumo-pack écrit"},
               {{"convert", kColour, (folder / "x.unknown").string()}, "« .unknown » ne désigne aucun format"},
               {{"info", (folder / "missing.bmp").string()}, "missing.bmp"},
               {{"info", kJpegFolder + "README.md"}, "inconnue"}};
    for (const auto& c : bad) {
        const TRun run = Pack(c.args);
        EXPECT_EQ(run.exitCode, 1) << c.said;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace pellumo
