// The launcher's archive reader: what tar writes comes out whole, in pieces of any size; any
// entry that could write outside the folder, or an archive damaged or cut short, is refused.
#include "tar_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "portable/portable_files.h"

namespace pellumo {
namespace {

class TRecordingSink : public TTarSink {
public:
    std::map<std::string, std::string> files;
    std::vector<std::string> folders, executables;
    void Folder(const std::string& path) override { folders.push_back(path); }
    void BeginFile(const std::string& path, std::int64_t, bool executable) override {
        current_ = &files[path];
        if (executable) executables.push_back(path);
    }
    void FileBytes(std::span<const std::uint8_t> bytes) override { current_->append(bytes.begin(), bytes.end()); }
    void EndFile() override { current_ = nullptr; }

private:
    std::string* current_ = nullptr;
};

// One ustar header block as tar writes it, its checksum computed.
std::string Header(const std::string& name, char type, std::size_t size, const char* sizeField = nullptr) {
    std::string block(512, '\0');
    block.replace(0, name.size(), name);
    std::snprintf(&block[100], 8, "%07o", 0644);
    char field[13];
    std::snprintf(field, sizeof field, "%011zo", size);
    block.replace(124, 11, sizeField != nullptr ? sizeField : field);
    block[156] = type;
    block.replace(257, 6, std::string("ustar\0", 6));
    block.replace(148, 8, "        ");
    unsigned sum = 0;
    for (const char c : block) sum += static_cast<unsigned char>(c);
    std::snprintf(field, sizeof field, "%06o", sum);
    block.replace(148, 7, std::string(field, 7));
    return block;
}

std::string Entry(const std::string& name, const std::string& contents, char type = '0') {
    return Header(name, type, contents.size()) + contents + std::string((512 - contents.size() % 512) % 512, '\0');
}

const std::string kEnd(1024, '\0');

void Read(const std::string& archive, TRecordingSink& sink, std::size_t piece = 4096, std::int64_t budget = 1 << 20) {
    TTarReader reader(sink, budget);
    for (std::size_t at = 0; at < archive.size(); at += piece)
        reader.Consume(AsBytes(archive).subspan(at, std::min(piece, archive.size() - at)));
    reader.Finish();
}

TEST(TarReader, TakesWhatTarWritesInPiecesOfAnySize) {
    const TTestFolder folder;
    WriteText(folder.path / "in/lib/libx.so.1", std::string(1500, 'x'));
    WriteText(folder.path / "in/plugins/platforms/empty", "");
    WriteText(folder.path / "in/pellumo", "#!player");
    fs::permissions(folder.path / "in/pellumo", fs::perms::owner_exec, fs::perm_options::add);
    const std::string archive = TarOf(folder.path / "in", {"lib", "plugins", "pellumo"});
    for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{511}, std::size_t{513}, archive.size()}) {
        TRecordingSink sink;
        Read(archive, sink, piece);
        EXPECT_EQ(sink.files.size(), 3u);
        EXPECT_EQ(sink.files["lib/libx.so.1"], std::string(1500, 'x'));
        EXPECT_EQ(sink.files["plugins/platforms/empty"], "");
        EXPECT_EQ(sink.executables, std::vector<std::string>{"pellumo"});
        EXPECT_EQ(sink.folders, (std::vector<std::string>{"lib", "plugins", "plugins/platforms"}));
    }
}

TEST(TarReader, RefusesEntriesThatCouldLeaveTheFolderOrAreNotPlainFiles) {
    const std::string good = Entry("lib/a", "a");
    const std::string hostile[] = {
        Entry("../a", "x"), Entry("/etc/a", "x"), Entry("lib//a", "x"), Entry("lib/./a", "x"), Entry("a b", "x"),
        Entry("lib/a", "", '2'),  // a link
        Entry("lib/a", "", '1'),  // a hard link
        Entry("lib/a", "", '3'),  // a device
        Header("lib/a", '0', 1, "0000000001x") + std::string(512, 'x'),  // a size that is no number
        Entry("big", std::string(2000, 'b')),                            // more than announced
    };
    for (const std::string& entry : hostile) {
        TRecordingSink sink;
        EXPECT_THROW(Read(good + entry + kEnd, sink, 4096, 1024), EDamagedRuntime) << entry.substr(0, 20);
        EXPECT_EQ(sink.files.size(), 1u);
    }
    std::string badChecksum = good + kEnd;
    badChecksum[10] ^= 1;
    TRecordingSink sink;
    EXPECT_THROW(Read(badChecksum, sink), EDamagedRuntime);
}

TEST(TarReader, AnArchiveCutShortOrFollowedByBytesIsDamaged) {
    const std::string archive = Entry("lib/a", std::string(700, 'a')) + Entry("b", "b") + kEnd;
    for (std::size_t cut = 0; cut < archive.size() - 512; cut += 97) {
        TRecordingSink sink;
        EXPECT_THROW(Read(archive.substr(0, cut), sink), EDamagedRuntime) << cut;
    }
    TRecordingSink zeros, garbage;
    EXPECT_NO_THROW(Read(archive + std::string(9216, '\0'), zeros));  // tar pads its last record
    EXPECT_THROW(Read(archive + "x", garbage), EDamagedRuntime);
}

}  // namespace
}  // namespace pellumo
