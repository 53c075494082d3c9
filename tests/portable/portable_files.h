#pragma once

// Folders, files and archives for the portable show's tests, made with the same tools (tar,
// zstd) that pack the real runtime.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

namespace pellumo {

namespace fs = std::filesystem;

// A folder of its own for a test, removed with everything in it afterwards.
struct TTestFolder {
    fs::path path;
    TTestFolder() {
        std::string pattern = (fs::temp_directory_path() / "pellumo-portable-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path = pattern;
    }
    ~TTestFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    TTestFolder(const TTestFolder&) = delete;
    TTestFolder& operator=(const TTestFolder&) = delete;
};

inline std::span<const std::uint8_t> AsBytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

inline std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteText(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

// What a shell command prints on its standard output.
inline std::string CommandOutput(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
        ::pclose(pipe);
    }
    return output;
}

// The ustar archive of the named entries of a folder, as the runtime's is made.
inline std::string TarOf(const fs::path& folder, const std::vector<std::string>& names) {
    std::string command = "tar --format=ustar --sort=name --owner=0 --group=0 -C '" + folder.string() + "' -cf -";
    for (const std::string& name : names) command += " '" + name + "'";
    return CommandOutput(command);
}

inline std::string Compressed(const fs::path& folder, const std::string& bytes) {
    WriteText(folder / "payload.tar", bytes);
    return CommandOutput("zstd -q -c -3 '" + (folder / "payload.tar").string() + "'");
}

}  // namespace pellumo
