// Telling a show from the program that carries it: the program's own bytes are never a show.
#include "player/program_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <tuple>

#include "base/byte_order.h"
#include "base/file_stream.h"
#include "base/memory_stream.h"
#include "player/catalogue.h"

namespace pellumo {
namespace {

using TBytes = std::vector<std::uint8_t>;

void Put16(TBytes& b, std::size_t at, std::uint16_t v) { PutLE16(&b[at], v); }
void Put64(TBytes& b, std::size_t at, std::uint64_t v) {
    PutLE32(&b[at], static_cast<std::uint32_t>(v));
    PutLE32(&b[at + 4], static_cast<std::uint32_t>(v >> 32));
}

// Where the fields lie in an ELF64 file header, program header and section header.
constexpr std::size_t kPhoff = 0x20, kShoff = 0x28, kPhentsize = 0x36, kPhnum = 0x38, kShentsize = 0x3A, kShnum = 0x3C;
constexpr std::size_t kPOffset = 8, kPFilesz = 32, kShSize = 32, kShInfo = 44;

// A small ELF64 program: its header, two program headers at 64 (a loaded range [0, loadEnd)
// and a note [loadEnd - 100, loadEnd - 50)), three section headers at sections, nothing after.
TBytes Program(std::size_t sections, std::size_t loadEnd) {
    TBytes b(std::max(loadEnd, sections + 3 * 64), 0xCC);
    std::fill_n(b.begin(), 64, 0);
    const std::uint8_t ident[] = {0x7F, 'E', 'L', 'F', 2, 1, 1};
    std::copy(std::begin(ident), std::end(ident), b.begin());
    Put64(b, kPhoff, 64);
    Put64(b, kShoff, sections);
    Put16(b, 0x34, 64);
    Put16(b, kPhentsize, 56);
    Put16(b, kPhnum, 2);
    Put16(b, kShentsize, 64);
    Put16(b, kShnum, 3);
    using TRange = std::tuple<std::size_t, std::size_t, std::size_t>;  // program header, offset, size
    for (const auto& [header, offset, size] : {TRange{64, 0, loadEnd}, TRange{120, loadEnd - 100, 50}}) {
        std::fill_n(b.begin() + header, 56, 0);
        b[header] = 1;
        Put64(b, header + kPOffset, offset);
        Put64(b, header + kPFilesz, size);
    }
    std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(sections), 3 * 64, 0);
    return b;
}

std::int64_t ImageEnd(const TBytes& bytes) {
    TMemoryStream stream(bytes);
    return ProgramImageEnd(stream);
}

TBytes WithShow(TBytes bytes) {
    TMemoryStream stream(std::move(bytes));
    TCatalogueWriter writer(stream, {});
    writer.AddSlide({}, TBytes(30, 7));
    writer.Finish();
    return stream.Bytes();
}

TEST(ProgramImage, DamagedHeadersCountOnlyWhatLiesInsideTheFileAndNeverHideTheShowAfterThem) {
    constexpr std::uint64_t kAbsurd = ~std::uint64_t{0} - 7;
    // Sections last: their table ends the image at 592, the loaded range at 300.
    const TBytes sectionsLast = Program(400, 300);
    // Segments last: the loaded range ends the image at 600, the section table at 368.
    const TBytes segmentsLast = Program(176, 600);
    struct Case {
        const char* what;
        const TBytes& program;
        std::function<void(TBytes&)> damage;
        std::int64_t end;
    };
    const Case cases[] = {
        {"sections last", sectionsLast, [](TBytes&) {}, 592},
        {"segments last", segmentsLast, [](TBytes&) {}, 600},
        {"section table far past the end", sectionsLast, [](TBytes& b) { Put64(b, kShoff, kAbsurd); }, 300},
        {"section table running past the end", sectionsLast, [](TBytes& b) { Put16(b, kShentsize, 0xFFFF); }, 300},
        {"section count in the first section header", sectionsLast,
         [](TBytes& b) {
             Put16(b, kShnum, 0);
             Put64(b, 400 + kShSize, 3);
         },
         592},
        {"absurd section count in the first section header", sectionsLast,
         [](TBytes& b) {
             Put16(b, kShnum, 0);
             Put64(b, 400 + kShSize, kAbsurd);
         },
         300},
        {"program header count in the first section header", segmentsLast,
         [](TBytes& b) {
             Put16(b, kPhnum, 0xFFFF);
             PutLE32(&b[176 + kShInfo], 1);
         },
         600},
        {"absurd program header count in the first section header", segmentsLast,
         [](TBytes& b) {
             Put16(b, kPhnum, 0xFFFF);
             PutLE32(&b[176 + kShInfo], 0xFFFFFFFF);
         },
         368},
        {"a range far past the end", segmentsLast, [](TBytes& b) { Put64(b, 64 + kPFilesz, kAbsurd); }, 550},
        {"a range wrapping around", segmentsLast,
         [](TBytes& b) {
             Put64(b, 64 + kPOffset, kAbsurd);
             Put64(b, 64 + kPFilesz, 16);
         },
         550},
        {"program headers too small to be ones", segmentsLast, [](TBytes& b) { Put16(b, kPhentsize, 8); }, 368},
        {"program header table far past the end", segmentsLast, [](TBytes& b) { Put64(b, kPhoff, kAbsurd); }, 368},
        {"32-bit program: only its identification", segmentsLast, [](TBytes& b) { b[4] = 1; }, 16},
        {"big-endian program: only its identification", segmentsLast, [](TBytes& b) { b[5] = 2; }, 16},
        {"not a program", segmentsLast, [](TBytes& b) { b[1] = 'e'; }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TBytes program = c.program;
        c.damage(program);
        EXPECT_EQ(ImageEnd(program), c.end);
        const TBytes show = WithShow(program);
        EXPECT_EQ(ImageEnd(show), c.end);
        TMemoryStream stream(show);
        ASSERT_EQ(ReadCatalogue(stream).LastIndex(), 0);
    }
    // Cut inside its header: at most the identification counts, and nothing is read past the end.
    for (std::size_t size = 0; size < 64; ++size)
        EXPECT_LE(ImageEnd(TBytes(segmentsLast.begin(), segmentsLast.begin() + size)), 16) << size;
}

// The plain player is such a program: whatever its last four bytes say, they point inside it.
TEST(ProgramImage, ARealProgramIsNoShowUntilOneIsAppended) {
    std::error_code error;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", error).string();
    ASSERT_FALSE(error) << error.message();
    TMemoryStream program;
    program.LoadFromFile(self);
    const std::int64_t size = program.Size();
    EXPECT_EQ(ProgramImageEnd(program), size);
    EXPECT_THROW(ReadCatalogue(program), ECatalogueError);

    TBytes show = WithShow(program.Bytes());
    {
        TMemoryStream stream(show);
        const TCatalogue read = ReadCatalogue(stream);
        ASSERT_EQ(read.LastIndex(), 0);
        EXPECT_EQ(read.Slides[0].DataOffset, size + kCatalogueHeaderSize + kSlideRecordSize);
    }
    // A trailer pointing back inside the program is no show either.
    for (const std::int64_t headerOffset : {std::int64_t{0}, size / 2, size - 1}) {
        SCOPED_TRACE(headerOffset);
        PutLE32(&show[show.size() - 4], static_cast<std::uint32_t>(headerOffset));
        TMemoryStream stream(show);
        EXPECT_THROW(ReadCatalogue(stream), ECatalogueError);
    }
}

}  // namespace
}  // namespace pellumo
