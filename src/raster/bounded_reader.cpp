#include "raster/bounded_reader.h"

#include <algorithm>

#include "base/byte_order.h"
#include "base/exceptions.h"
#include "base/format.h"
#include "raster/graphic.h"
#include "raster/raster_messages.h"

namespace pellumo {

TBoundedReader::TBoundedReader(TStream& stream, std::string_view formatName)
    : stream_(stream), formatName_(formatName), size_(stream.Size()) {}

std::uint64_t TBoundedReader::BytesLeft() {
    const std::int64_t left = size_ - Position();
    return left > 0 ? static_cast<std::uint64_t>(left) : 0;
}

void TBoundedReader::ReadError() const {
    if (formatName_.empty()) throw EReadError();
    throw EInvalidGraphic(Format(raster_messages::kStreamReadError, {std::string(formatName_)}));
}

void TBoundedReader::Read(void* buffer, std::size_t count) {
    if (count != 0 && stream_.Read(buffer, count) != count) ReadError();
}

std::size_t TBoundedReader::ReadSome(void* buffer, std::size_t count) {
    const std::size_t available = static_cast<std::size_t>(std::min<std::uint64_t>(count, BytesLeft()));
    Read(buffer, available);
    return available;
}

std::vector<std::uint8_t> TBoundedReader::ReadBytes(std::uint64_t count) {
    if (count > BytesLeft()) ReadError();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    Read(bytes.data(), bytes.size());
    return bytes;
}

std::vector<std::uint8_t> TBoundedReader::ReadAtMost(std::uint64_t count) {
    return ReadBytes(std::min(count, BytesLeft()));
}

void TBoundedReader::Skip(std::uint64_t count) {
    if (count > BytesLeft()) ReadError();
    stream_.Seek(static_cast<std::int64_t>(count), soFromCurrent);
}

void TBoundedReader::Seek(std::int64_t position) {
    if (position < 0 || position > size_) ReadError();
    stream_.SetPosition(position);
}

std::uint8_t TBoundedReader::ReadU8() {
    std::uint8_t value = 0;
    Read(&value, 1);
    return value;
}

std::uint16_t TBoundedReader::ReadBE16() {
    std::uint8_t b[2];
    Read(b, sizeof b);
    return GetBE16(b);
}

std::uint32_t TBoundedReader::ReadBE32() {
    std::uint8_t b[4];
    Read(b, sizeof b);
    return GetBE32(b);
}

std::uint16_t TBoundedReader::ReadLE16() {
    std::uint8_t b[2];
    Read(b, sizeof b);
    return GetLE16(b);
}

std::uint32_t TBoundedReader::ReadLE32() {
    std::uint8_t b[4];
    Read(b, sizeof b);
    return GetLE32(b);
}

std::vector<std::uint8_t> RestOfFile(TStream& stream) {
    TBoundedReader file(stream);
    return file.ReadBytes(file.BytesLeft());
}

}  // namespace pellumo
