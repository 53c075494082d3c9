#include "raster/bounded_reader.h"

#include <gtest/gtest.h>

#include <functional>

#include "base/exceptions.h"
#include "base/memory_stream.h"
#include "raster/graphic.h"

namespace pellumo {
namespace {

// The message of what the call raised; empty when it raised nothing.
std::string Raised(const std::function<void()>& call) {
    try {
        call();
    } catch (const Exception& e) {
        return e.Message();
    }
    return {};
}

TEST(BoundedReader, ReadsExactlyAndInTheFilesByteOrders) {
    TMemoryStream stream(std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    TBoundedReader file(stream, "Test");
    EXPECT_EQ(file.Size(), 13);
    EXPECT_EQ(file.ReadU8(), 1);
    EXPECT_EQ(file.ReadBE16(), 0x0203);
    EXPECT_EQ(file.ReadLE16(), 0x0504);
    EXPECT_EQ(file.ReadBE32(), 0x06070809u);
    EXPECT_EQ(file.ReadLE32(), 0x0D0C0B0Au);
    EXPECT_EQ(file.BytesLeft(), 0u);
    file.Seek(11);
    std::uint8_t some[8] = {};
    EXPECT_EQ(file.ReadSome(some, sizeof some), 2u);  // what is left, and no more
    EXPECT_EQ(some[1], 13);
    file.Seek(13);  // the end itself is a place to stand
    EXPECT_TRUE(file.ReadAtMost(100).empty());
}

// A file that ends before what it promises fails before anything is read or allocated: the
// stream stays where it was, and a size of terabytes costs nothing.
TEST(BoundedReader, ACutFileSaysWhichFormatEndedAndMovesNothing) {
    TMemoryStream stream(std::vector<std::uint8_t>(10, 7));
    TBoundedReader file(stream, "Test");
    file.Skip(4);
    const std::string cut = "Stream read error in Test file.";
    EXPECT_EQ(Raised([&] { file.ReadBytes(7); }), cut);
    EXPECT_EQ(Raised([&] { file.ReadBytes(std::uint64_t{1} << 40); }), cut);
    EXPECT_EQ(Raised([&] { file.Skip(7); }), cut);
    EXPECT_EQ(Raised([&] { file.Seek(11); }), cut);
    EXPECT_EQ(Raised([&] { file.Seek(-1); }), cut);
    EXPECT_EQ(file.Position(), 4);
    EXPECT_EQ(file.ReadAtMost(100).size(), 6u);
    EXPECT_EQ(Raised([&] { file.ReadU8(); }), cut);
    EXPECT_THROW(file.ReadBE32(), EInvalidGraphic);

    // Without a format name it is the platform's own read error.
    TMemoryStream platform(std::vector<std::uint8_t>(3, 0));
    TBoundedReader codec(platform);
    EXPECT_THROW(codec.ReadLE32(), EReadError);
    platform.SetPosition(0);
    EXPECT_EQ(RestOfFile(platform).size(), 3u);
}

}  // namespace
}  // namespace pellumo
