#include "player/catalogue.h"

#include <algorithm>
#include <array>
#include <limits>

#include "base/byte_order.h"
#include "player/program_image.h"

namespace pellumo {
namespace {

constexpr std::int64_t kMaxOffset = std::numeric_limits<std::int32_t>::max();

// Byte positions inside the header and a slide record.
constexpr std::size_t kMusicLength = 0;
constexpr std::size_t kMusicChars = 1;
constexpr std::size_t kLoopShow = 81;
constexpr std::size_t kCopyAllowed = 82;
constexpr std::size_t kFineResize = 83;

constexpr std::size_t kDataSize = 0;
constexpr std::size_t kDuration = 4;
constexpr std::size_t kFrameColor = 8;
constexpr std::size_t kFramed = 12;
constexpr std::size_t kBackColor = 16;
constexpr std::size_t kCaptionLength = 20;
constexpr std::size_t kCaptionChars = 21;
constexpr std::size_t kCaptionColor = 104;
constexpr std::size_t kTransitionStyle = 108;

using THeaderBytes = std::array<std::uint8_t, kCatalogueHeaderSize>;
using TRecordBytes = std::array<std::uint8_t, kSlideRecordSize>;

std::int32_t GetInt32(const std::uint8_t* p) { return static_cast<std::int32_t>(GetLE32(p)); }
void PutInt32(std::uint8_t* p, std::int32_t value) { PutLE32(p, static_cast<std::uint32_t>(value)); }

// Bytes 13..15 and 101..103 are padding that writers fill with anything: never read, so
// whatever they hold changes nothing.
TSlideEntry DecodeRecord(const TRecordBytes& record) {
    TSlideEntry entry;
    entry.DataSize = GetInt32(&record[kDataSize]);
    entry.Duration = GetInt32(&record[kDuration]);
    entry.FrameColor = GetLE32(&record[kFrameColor]);
    entry.Framed = record[kFramed] != 0;
    entry.BackColor = GetLE32(&record[kBackColor]);
    entry.Caption.length = record[kCaptionLength];
    std::copy_n(&record[kCaptionChars], kMaxCatalogueText, reinterpret_cast<std::uint8_t*>(entry.Caption.chars.data()));
    entry.CaptionColor = GetLE32(&record[kCaptionColor]);
    entry.TransitionStyle = GetInt32(&record[kTransitionStyle]);
    return entry;
}

TRecordBytes EncodeRecord(const TSlideEntry& entry) {
    TRecordBytes record{};
    PutInt32(&record[kDataSize], entry.DataSize);
    PutInt32(&record[kDuration], entry.Duration);
    PutLE32(&record[kFrameColor], entry.FrameColor);
    record[kFramed] = entry.Framed ? 1 : 0;
    PutLE32(&record[kBackColor], entry.BackColor);
    record[kCaptionLength] = entry.Caption.length;
    std::copy_n(reinterpret_cast<const std::uint8_t*>(entry.Caption.chars.data()), kMaxCatalogueText,
                &record[kCaptionChars]);
    PutLE32(&record[kCaptionColor], entry.CaptionColor);
    PutInt32(&record[kTransitionStyle], entry.TransitionStyle);
    return record;
}

}  // namespace

ECatalogueError::ECatalogueError() : Exception("Ce fichier ne contient pas de diaporama") {}

TCatalogue ReadCatalogue(TStream& stream) {
    const std::int64_t size = stream.Size();
    // A stream shorter than the trailer reads from 0, so the exact read fails with EReadError
    // rather than a seek before the start.
    const std::int64_t trailer = std::max<std::int64_t>(size - kCatalogueTrailerSize, 0);
    std::uint8_t trailerBytes[4];
    stream.SetPosition(trailer);
    stream.ReadBuffer(trailerBytes, sizeof trailerBytes);
    const std::int64_t headerOffset = GetInt32(trailerBytes);
    // A show is appended after the program that carries it: a header that would start inside
    // that program (or before the file) or overlap the trailer means the file was never a show
    // (a plain program, whose last bytes point anywhere, or a show cut short). Refuse it as a
    // whole.
    if (headerOffset < ProgramImageEnd(stream) || headerOffset + kCatalogueHeaderSize > trailer)
        throw ECatalogueError();

    THeaderBytes header;
    stream.SetPosition(headerOffset);
    stream.ReadBuffer(header.data(), header.size());
    TCatalogue catalogue;
    const std::size_t musicLength = std::min<std::size_t>(header[kMusicLength], kMaxCatalogueText);
    catalogue.MusicFileName.assign(reinterpret_cast<const char*>(&header[kMusicChars]), musicLength);
    catalogue.LoopShow = header[kLoopShow] != 0;
    catalogue.CopyAllowed = header[kCopyAllowed] != 0;
    catalogue.FineResize = header[kFineResize] != 0;

    // The walk stops where the trailer starts, so the trailer is never read as a record. Every
    // turn moves at least one record forward, so a corrupt table costs at most size / 112
    // reads and never loops.
    for (std::int64_t position = headerOffset + kCatalogueHeaderSize; position < trailer;) {
        // A record cut short by the trailer is damage, not a slide: the walk ends there.
        if (trailer - position < kSlideRecordSize) break;
        TRecordBytes record;
        stream.SetPosition(position);
        stream.ReadBuffer(record.data(), record.size());
        TSlideEntry entry = DecodeRecord(record);
        // A negative size would send the walk backwards, possibly forever: it ends here.
        if (entry.DataSize < 0) break;
        position += kSlideRecordSize;
        if (entry.DataSize > 0) {
            // Offsets are 32-bit; a picture starting beyond 2 GiB cannot be addressed, so the
            // walk ends before it.
            if (position > kMaxOffset) break;
            entry.DataOffset = static_cast<std::int32_t>(position);
            // Data running past the trailer still makes an entry: showing that slide fails
            // later, where the player reports it. The walk then ends by itself.
            catalogue.Slides.push_back(entry);
        }
        position += entry.DataSize;
    }
    return catalogue;
}

TCatalogueWriter::TCatalogueWriter(TStream& stream, const TCatalogue& header) : stream_(stream) {
    if (header.MusicFileName.size() > kMaxCatalogueText)
        throw EConvertError("Nom de fichier musical trop long (80 caractères au plus)");
    headerOffset_ = stream_.Seek(0, soFromEnd);
    if (headerOffset_ > kMaxOffset) throw ECatalogueError("Diaporama trop grand (2 Gio au plus)");
    THeaderBytes bytes{};
    bytes[kMusicLength] = static_cast<std::uint8_t>(header.MusicFileName.size());
    std::copy(header.MusicFileName.begin(), header.MusicFileName.end(), &bytes[kMusicChars]);
    bytes[kLoopShow] = header.LoopShow ? 1 : 0;
    bytes[kCopyAllowed] = header.CopyAllowed ? 1 : 0;
    bytes[kFineResize] = header.FineResize ? 1 : 0;
    stream_.WriteBuffer(bytes.data(), bytes.size());
}

TSlideEntry TCatalogueWriter::AddSlide(const TSlideEntry& settings, std::span<const std::uint8_t> jpeg) {
    const std::int64_t dataOffset = stream_.Seek(0, soFromEnd) + kSlideRecordSize;
    // The reader drops pictures it cannot address; refuse to write them instead.
    if (dataOffset + static_cast<std::int64_t>(jpeg.size()) > kMaxOffset)
        throw ECatalogueError("Diaporama trop grand (2 Gio au plus)");
    TSlideEntry entry = settings;
    entry.DataOffset = jpeg.empty() ? 0 : static_cast<std::int32_t>(dataOffset);
    entry.DataSize = static_cast<std::int32_t>(jpeg.size());
    const TRecordBytes record = EncodeRecord(entry);
    stream_.WriteBuffer(record.data(), record.size());
    stream_.WriteBuffer(jpeg.data(), jpeg.size());
    return entry;
}

void TCatalogueWriter::Finish() {
    if (finished_) return;
    std::uint8_t trailer[4];
    PutInt32(trailer, static_cast<std::int32_t>(headerOffset_));
    stream_.Seek(0, soFromEnd);
    stream_.WriteBuffer(trailer, sizeof trailer);
    finished_ = true;
}

}  // namespace pellumo
