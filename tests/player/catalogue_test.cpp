#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "base/byte_order.h"
#include "base/exceptions.h"
#include "base/memory_stream.h"
#include "player/catalogue.h"

namespace pellumo {
namespace {

using TBytes = std::vector<std::uint8_t>;

// Stands for a picture: the catalogue never decodes its slides.
TBytes Picture(std::size_t size, std::uint8_t seed) {
    TBytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    return bytes;
}

void PutInt32At(TBytes& bytes, std::size_t offset, std::int32_t value) {
    PutLE32(&bytes[offset], static_cast<std::uint32_t>(value));
}

TSlideEntry Settings(std::int32_t duration, std::string_view caption, std::int32_t style) {
    TSlideEntry settings;
    settings.Duration = duration;
    settings.FrameColor = RGB(1, 2, static_cast<std::uint8_t>(duration));
    settings.Framed = duration % 2 == 1;
    settings.BackColor = RGB(static_cast<std::uint8_t>(duration), 9, 8);
    settings.Caption.Assign(caption);
    settings.CaptionColor = RGB(200, 100, static_cast<std::uint8_t>(duration));
    settings.TransitionStyle = style;
    return settings;
}

// Every field the reader fills, comparable and printable in one go.
auto Fields(const TSlideEntry& e) {
    return std::tuple(e.DataOffset, e.DataSize, e.Duration, e.FrameColor, e.Framed, e.BackColor, e.Caption.Text(),
                      e.CaptionColor, e.TransitionStyle);
}

TCatalogue Read(const TBytes& bytes) {
    TMemoryStream stream(bytes);
    return ReadCatalogue(stream);
}

TEST(Catalogue, ReadsBackEverySlideAndHeaderFieldTheWriterWrote) {
    const std::string caption80(80, 'c');
    TMemoryStream show(Picture(1000, 3));  // the executable image comes first
    TCatalogue header;
    header.MusicFileName = "Musique d'\xE9t\xE9.mp3";
    header.LoopShow = true;
    header.FineResize = true;
    TCatalogueWriter writer(show, header);
    std::vector<TSlideEntry> written;
    for (int i = 0; i < 42; ++i) {
        const std::int32_t style = i == 7 ? 256 : i;
        const std::string caption = i == 5 ? caption80 : "slide " + std::to_string(i);
        written.push_back(writer.AddSlide(Settings(i, caption, style), Picture(10 + i, static_cast<std::uint8_t>(i))));
    }
    writer.Finish();

    const TCatalogue read = Read(show.Bytes());
    EXPECT_EQ(read.MusicFileName, header.MusicFileName);
    EXPECT_TRUE(read.LoopShow);
    EXPECT_FALSE(read.CopyAllowed);
    EXPECT_TRUE(read.FineResize);
    ASSERT_EQ(read.LastIndex(), 41);
    for (std::size_t i = 0; i < written.size(); ++i) {
        EXPECT_EQ(Fields(read.Slides[i]), Fields(written[i])) << i;
        const auto* data = show.Bytes().data() + read.Slides[i].DataOffset;
        EXPECT_TRUE(std::equal(data, data + read.Slides[i].DataSize, Picture(10 + i, static_cast<std::uint8_t>(i)).begin()));
    }
    EXPECT_EQ(read.Slides[0].DataOffset, 1000 + kCatalogueHeaderSize + kSlideRecordSize);
    EXPECT_EQ(read.Slides[5].Caption.Text(), caption80);
    EXPECT_EQ(read.Slides[7].TransitionStyle, 256);  // kept as stored

    header.MusicFileName = std::string(81, 'm');
    EXPECT_THROW(TCatalogueWriter(show, header), EConvertError);
}

TEST(Catalogue, RecordsWithoutPictureMakeNoSlideAndTheNextRecordFollowsAtOnce) {
    for (const int emptyRecords : {0, 1, 3})
        for (const bool picture : {false, true}) {
            SCOPED_TRACE(std::to_string(emptyRecords) + (picture ? " then a picture" : ""));
            TMemoryStream show;
            TCatalogueWriter writer(show, {});
            for (int i = 0; i < emptyRecords; ++i) writer.AddSlide(Settings(i, "", 0), {});
            if (picture) writer.AddSlide(Settings(9, "", 0), Picture(5, 0));
            writer.Finish();
            const TCatalogue read = Read(show.Bytes());
            EXPECT_EQ(read.MusicFileName, "");  // length byte 0: no music
            ASSERT_EQ(read.LastIndex(), picture ? 0 : -1);
            if (picture) {
                EXPECT_EQ(read.Slides[0].DataOffset, kCatalogueHeaderSize + (emptyRecords + 1) * kSlideRecordSize);
                EXPECT_EQ(read.Slides[0].Duration, 9);
            }
        }
}

TEST(Catalogue, SlideStyleKeepsTheLowSevenBitsOfTheLowByte) {
    const std::pair<std::int32_t, int> cases[] = {{0, 0},     {56, 56},  {127, 127}, {128, 0}, {200, 72},
                                                  {255, 127}, {256, 0},  {312, 56},  {-1, 127}};
    for (const auto& [stored, played] : cases) EXPECT_EQ(SlideStyle(stored), played) << stored;
}

// Three slides after a 100-byte image: header at 100, records at 184, 346 and 518 with
// pictures of 50, 60 and 70 bytes, trailer at 700.
class DamagedCatalogue : public ::testing::Test {
protected:
    static constexpr std::size_t kRecords[] = {184, 346, 518};
    TBytes bytes;
    std::vector<TSlideEntry> written;

    void SetUp() override {
        TMemoryStream show(TBytes(100, 0xEE));
        TCatalogueWriter writer(show, {});
        for (int i = 0; i < 3; ++i)
            written.push_back(writer.AddSlide(Settings(i, "s", i), Picture(50 + 10 * i, static_cast<std::uint8_t>(i))));
        writer.Finish();
        bytes = show.Bytes();
    }
};

TEST_F(DamagedCatalogue, DamageEndsTheWalkAndKeepsTheSlidesBefore) {
    struct Case {
        const char* name;
        std::function<void(TBytes&)> damage;
        int slides;
    };
    const Case cases[] = {
        {"untouched", [](TBytes&) {}, 3},
        {"garbage in the unused gaps",
         [](TBytes& b) {
             for (const std::size_t record : kRecords)
                 for (const std::size_t gap : {13, 14, 15, 101, 102, 103}) b[record + gap] = 0xA5;
         },
         3},
        {"negative size in the first record", [](TBytes& b) { PutInt32At(b, kRecords[0], -1); }, 0},
        {"negative size in the second record",
         [](TBytes& b) { PutInt32At(b, kRecords[1], std::numeric_limits<std::int32_t>::min()); }, 1},
        {"last picture runs past the trailer", [](TBytes& b) { PutInt32At(b, kRecords[2], 1000); }, 3},
        {"second picture runs past the trailer",
         [](TBytes& b) { PutInt32At(b, kRecords[1], std::numeric_limits<std::int32_t>::max()); }, 2},
        {"third record cut short by the trailer",
         [](TBytes& b) {
             b.resize(kRecords[2] + 111);
             b.insert(b.end(), {100, 0, 0, 0});
         },
         2},
        {"trailer follows the last record's picture exactly",
         [](TBytes& b) {
             b.resize(kRecords[2]);
             b.insert(b.end(), {100, 0, 0, 0});
         },
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBytes damaged = bytes;
        c.damage(damaged);
        const TCatalogue read = Read(damaged);
        ASSERT_EQ(read.LastIndex(), c.slides - 1);
        for (int i = 0; i < c.slides; ++i) {
            EXPECT_EQ(read.Slides[i].DataOffset, written[i].DataOffset);
            EXPECT_EQ(read.Slides[i].Caption.Text(), "s");
        }
    }
}

TEST_F(DamagedCatalogue, TrailersPointingWhereNoHeaderFitsAreNotShows) {
    const auto trailer = static_cast<std::int32_t>(bytes.size() - 4);
    for (const std::int32_t headerOffset :
         {-1, std::numeric_limits<std::int32_t>::min(), trailer + 4, trailer + 1000, trailer - 83}) {
        SCOPED_TRACE(headerOffset);
        PutInt32At(bytes, bytes.size() - 4, headerOffset);
        try {
            Read(bytes);
            FAIL() << "no show there";
        } catch (const ECatalogueError& e) {
            EXPECT_EQ(e.Message(), "Ce fichier ne contient pas de diaporama");
        }
    }
    // A header right before the trailer fits: a show without slides.
    PutInt32At(bytes, bytes.size() - 4, trailer - 84);
    EXPECT_EQ(Read(bytes).LastIndex(), -1);
    EXPECT_THROW(Read(TBytes(4, 0)), ECatalogueError);
}

TEST(Catalogue, StreamsShorterThanATrailerRaiseReadErrors) {
    for (std::size_t size = 0; size < 4; ++size) EXPECT_THROW(Read(TBytes(size, 0)), EReadError) << size;
}

// A stream of zeros of any size with a few bytes set: files over 2 GiB without the memory.
class TSparseStream : public TStream {
public:
    explicit TSparseStream(std::int64_t size) : size_(size) {}
    void Put(std::int64_t offset, TBytes bytes) { patches_[offset] = std::move(bytes); }

    std::size_t Read(void* buffer, std::size_t count) override {
        const std::int64_t end = std::min(size_, position_ + static_cast<std::int64_t>(count));
        const std::int64_t n = std::max<std::int64_t>(end - position_, 0);
        auto* out = static_cast<std::uint8_t*>(buffer);
        std::fill_n(out, n, 0);
        for (const auto& [offset, patch] : patches_) {
            const std::int64_t from = std::max(offset, position_);
            const std::int64_t to = std::min(offset + static_cast<std::int64_t>(patch.size()), end);
            if (from < to) std::copy(&patch[from - offset], &patch[to - offset], out + (from - position_));
        }
        position_ += n;
        return static_cast<std::size_t>(n);
    }
    std::size_t Write(const void*, std::size_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
        position_ = offset + (origin == soFromCurrent ? position_ : origin == soFromEnd ? size_ : 0);
        return position_;
    }
    void SetSize(std::int64_t) override {}

private:
    std::int64_t size_;
    std::int64_t position_ = 0;
    std::map<std::int64_t, TBytes> patches_;
};

TEST(Catalogue, PicturesStartingBeyond2GiBEndTheWalk) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kSize = kMax + 4096;
    // The first picture is sized so that the second starts at kMax + lastSlideShift.
    for (const auto& [lastSlideShift, slides] : {std::pair{0, 2}, std::pair{1, 1}}) {
        SCOPED_TRACE(lastSlideShift);
        TSparseStream stream(kSize);
        const std::int64_t firstData = kCatalogueHeaderSize + kSlideRecordSize;
        const std::int64_t firstSize = kMax + lastSlideShift - kSlideRecordSize - firstData;
        TBytes record(kSlideRecordSize, 0);
        PutInt32At(record, 0, static_cast<std::int32_t>(firstSize));
        stream.Put(kCatalogueHeaderSize, record);
        PutInt32At(record, 0, 10);
        stream.Put(firstData + firstSize, record);
        stream.Put(kSize - 4, {0, 0, 0, 0});
        const TCatalogue read = ReadCatalogue(stream);
        ASSERT_EQ(read.LastIndex(), slides - 1);
        EXPECT_EQ(read.Slides[0].DataOffset, firstData);
        if (slides == 2) {
            EXPECT_EQ(read.Slides[1].DataOffset, kMax);
        }
    }
    TSparseStream tooLarge(kSize);
    EXPECT_THROW(TCatalogueWriter(tooLarge, {}), ECatalogueError);
}

}  // namespace
}  // namespace pellumo
