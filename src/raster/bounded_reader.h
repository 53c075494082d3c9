#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/stream.h"

namespace pellumo {

// Reads a picture file from its stream with every read exact and every move kept inside the
// file: a file that ends too early, or an offset that points outside it, raises
// EInvalidGraphic "Stream read error in <format> file." before anything is read or allocated
// for it; the platform's own codecs (bitmaps, icons, JPEG images), which name no format, raise
// the platform's EReadError. Offsets are absolute stream positions.
class TBoundedReader {
public:
    explicit TBoundedReader(TStream& stream, std::string_view formatName = {});

    std::int64_t Position() { return stream_.Position(); }
    std::int64_t Size() const { return size_; }
    std::uint64_t BytesLeft();

    void Read(void* buffer, std::size_t count);
    // Up to `count` bytes into the buffer, as many as the file still holds; how many.
    std::size_t ReadSome(void* buffer, std::size_t count);
    // `count` bytes, refused before allocating when the file holds fewer.
    std::vector<std::uint8_t> ReadBytes(std::uint64_t count);
    // Up to `count` bytes: as many as the file still holds.
    std::vector<std::uint8_t> ReadAtMost(std::uint64_t count);
    void Skip(std::uint64_t count);
    // Any position from the start to the end of the file.
    void Seek(std::int64_t position);

    std::uint8_t ReadU8();
    std::uint16_t ReadBE16();
    std::uint32_t ReadBE32();
    std::uint16_t ReadLE16();
    std::uint32_t ReadLE32();

    [[noreturn]] void ReadError() const;

private:
    TStream& stream_;
    std::string_view formatName_;
    std::int64_t size_;
};

// Everything from the stream's position to its end: the platform's codecs (JPEG images, icons)
// take their whole file at once.
std::vector<std::uint8_t> RestOfFile(TStream& stream);

}  // namespace pellumo
