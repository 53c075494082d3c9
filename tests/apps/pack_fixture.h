#pragma once

// Runs pellumo-pack as a user does, in a folder of its own that each test starts empty.
#include <gtest/gtest.h>

#include <algorithm>

#include "imaging/resample/resample.h"
#include "raster/bitmap.h"
#include "raster/jpeg_image.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace pellumo {

namespace fs = std::filesystem;

inline const std::string kJpegFolder = PELLUMO_TEST_DATA "/jpeg/";
inline const std::string kColour = kJpegFolder + "colour_16x16.jpg";
inline const std::string kGray = kJpegFolder + "gray_16x16.jpg";

inline std::string Contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

// A bitmap's pixels as 24-bit rows, whatever its format.
inline std::string Rows(TBitmap bitmap) {
    bitmap.SetPixelFormat(pf24bit);
    std::string bytes;
    for (int y = 0; y < bitmap.Height(); ++y)
        bytes.append(reinterpret_cast<const char*>(bitmap.ScanLine(y)), bitmap.RowBytes());
    return bytes;
}

inline std::string Pixels(const fs::path& bmpFile) {
    TBitmap bitmap;
    bitmap.LoadFromFile(bmpFile.string());
    return Rows(std::move(bitmap));
}

inline TBitmap Decoded(const std::string& jpegFile) {
    TJPEGImage jpeg;
    jpeg.LoadFromFile(jpegFile);
    TBitmap bitmap;
    bitmap.Assign(jpeg);
    return bitmap;
}

// In a child process: becomes the program with the arguments, or ends the child.
[[noreturn]] inline void ExecProgram(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

struct TRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class PellumoPack : public ::testing::Test {
protected:
    fs::path folder;
    fs::path player;
    fs::path show;
    const std::string playerBytes = std::string("#!fake player\n\0\x01\xFF", 17);

    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "pellumo-pack-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        player = folder / "player";
        show = folder / "show";
        WriteFile(player, playerBytes);
    }
    void TearDown() override { fs::remove_all(folder); }

    // Runs a program with the arguments, its output and errors caught in files.
    TRun RunProgram(const std::string& program, const std::vector<std::string>& args) {
        const fs::path out = folder / ".out";
        const fs::path err = folder / ".err";
        const pid_t child = ::fork();
        if (child == 0) {
            const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (outFd < 0 || errFd < 0 || ::dup2(outFd, 1) < 0 || ::dup2(errFd, 2) < 0) ::_exit(127);
            ExecProgram(program, args);
        }
        TRun run;
        int status = 0;
        if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
        run.out = Contents(out);
        run.err = Contents(err);
        fs::remove(out);
        fs::remove(err);
        return run;
    }
    TRun Pack(const std::vector<std::string>& args) { return RunProgram(PELLUMO_PACK, args); }

    // A show already at the output, which a failed build must leave as it is.
    std::string OlderShow() {
        EXPECT_EQ(Pack(Build({}, {kGray})).exitCode, 0);
        return Contents(show);
    }

    std::vector<std::string> Build(std::vector<std::string> options, const std::vector<std::string>& pictures) {
        std::vector<std::string> args{"build", "-o", show.string(), "--player", player.string()};
        args.insert(args.end(), options.begin(), options.end());
        args.insert(args.end(), pictures.begin(), pictures.end());
        return args;
    }

};

}  // namespace pellumo
