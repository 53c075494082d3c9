#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <numeric>
#include <unistd.h>
#include <vector>

#include "base/exceptions.h"
#include "base/file_stream.h"
#include "base/memory_stream.h"
#include "base/replace_file.h"

namespace pellumo {
namespace {

std::vector<std::uint8_t> Bytes(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{0});
    return bytes;
}

class FileStream : public ::testing::Test {
protected:
    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   ("pellumo-stream-" + std::to_string(::getpid()));
    void SetUp() override { std::filesystem::create_directories(folder); }
    void TearDown() override { std::filesystem::remove_all(folder); }
};

TEST(MemoryStream, ReadsWritesSeeksAndRaisesOnShortExactReads) {
    TMemoryStream stream;
    const auto data = Bytes(10);
    stream.WriteBuffer(data.data(), data.size());
    EXPECT_EQ(stream.Size(), 10);
    EXPECT_EQ(stream.Position(), 10);
    stream.SetPosition(4);
    std::uint8_t got[8] = {};
    EXPECT_EQ(stream.Read(got, 8), 6u);  // a plain read stops at the end
    EXPECT_EQ(got[0], 4);
    stream.SetPosition(8);
    try {
        stream.ReadBuffer(got, 3);
        FAIL() << "short exact read must raise";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Erreur de lecture du flux");
    }
    EXPECT_THROW(stream.Seek(-1, soFromBeginning), EStreamError);
    EXPECT_EQ(stream.Seek(-2, soFromEnd), 8);
    stream.Seek(5, soFromEnd);  // writing past the end fills the gap with zeros
    stream.WriteBuffer(data.data(), 1);
    EXPECT_EQ(stream.Size(), 16);
    EXPECT_EQ(stream.Memory()[12], 0);
}

TEST(MemoryStream, CopyFromTakesExactlyTheCountOrTheWholeSource) {
    TMemoryStream source(Bytes(100000));
    TMemoryStream target;
    source.SetPosition(10);
    EXPECT_EQ(target.CopyFrom(source, 70000), 70000);
    EXPECT_EQ(target.Memory()[0], 10);
    EXPECT_EQ(source.Position(), 70010);
    EXPECT_THROW(target.CopyFrom(source, 40000), EReadError);  // only 29990 left
    TMemoryStream whole;
    EXPECT_EQ(whole.CopyFrom(source, 0), 100000);  // 0 means all of it, from the start
    EXPECT_EQ(whole.Bytes(), source.Bytes());
}

TEST_F(FileStream, CreatesReadsAndNamesTheFileInItsErrors) {
    const std::string name = (folder / "data.bin").string();
    {
        TFileStream file(name, fmCreate);
        const auto data = Bytes(300);
        file.WriteBuffer(data.data(), data.size());
    }
    TFileStream file(name, fmOpenRead | fmShareDenyNone);
    EXPECT_EQ(file.Size(), 300);
    file.Seek(-4, soFromEnd);
    std::uint8_t tail[4];
    file.ReadBuffer(tail, 4);
    EXPECT_EQ(tail[3], 299 % 256);
    EXPECT_THROW(file.ReadBuffer(tail, 1), EReadError);
    EXPECT_EQ(file.Write(tail, 1), 0u);  // read-only
    EXPECT_THROW(file.WriteBuffer(tail, 1), EWriteError);

    TMemoryStream copy;
    copy.LoadFromFile(name);
    EXPECT_EQ(copy.Size(), 300);

    const std::string missing = (folder / "absent.bin").string();
    try {
        TFileStream absent(missing, fmOpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Impossible d'ouvrir le fichier " + missing);
    }
    const std::string inMissingFolder = (folder / "no" / "such.bin").string();
    try {
        TFileStream created(inMissingFolder, fmCreate);
        FAIL();
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Impossible de créer le fichier " + inMissingFolder);
    }
    EXPECT_THROW(TFileStream(folder.string(), fmOpenRead), EFOpenError);  // a folder is not a file
}

TEST_F(FileStream, ReplacingAFileWritesItWholeOrLeavesTheOldOne) {
    const std::string target = (folder / "copy.bmp").string();
    WriteFileReplacing(target, Bytes(1000));
    TMemoryStream read;
    read.LoadFromFile(target);
    EXPECT_EQ(read.Bytes(), Bytes(1000));

    std::filesystem::permissions(target, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    WriteFileReplacing(target, Bytes(3));  // shorter: nothing of the old bytes stays
    read.LoadFromFile(target);
    EXPECT_EQ(read.Bytes(), Bytes(3));
    EXPECT_EQ(std::filesystem::status(target).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    // What cannot take the file's place is refused, naming the file, and leaves nothing behind.
    const std::string inFile = target + "/inside";
    const std::string aFolder = folder.string();
    for (const std::string& bad : {inFile, aFolder}) {
        try {
            WriteFileReplacing(bad, Bytes(10));
            ADD_FAILURE() << bad;
        } catch (const EFCreateError& e) {
            EXPECT_EQ(e.Message(), "Impossible de créer le fichier " + bad);
        }
    }
    read.LoadFromFile(target);
    EXPECT_EQ(read.Bytes(), Bytes(3));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace pellumo
