#include "base/memory_stream.h"

#include <algorithm>
#include <cstring>

#include "base/base_messages.h"
#include "base/exceptions.h"
#include "base/file_stream.h"

namespace pellumo {

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    if (position_ >= bytes_.size()) return 0;
    const std::size_t n = std::min(count, bytes_.size() - position_);
    if (n == 0) return 0;  // the caller's buffer may be an empty one, with no memory behind it
    std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    if (position_ + count > bytes_.size()) bytes_.resize(position_ + count);
    std::memcpy(bytes_.data() + position_, buffer, count);
    position_ += count;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == soFromCurrent) base = static_cast<std::int64_t>(position_);
    if (origin == soFromEnd) base = static_cast<std::int64_t>(bytes_.size());
    const std::int64_t target = base + offset;
    if (target < 0) throw EStreamError(std::string(base_messages::kStreamSeekError));
    position_ = static_cast<std::size_t>(target);
    return target;
}

void TMemoryStream::SetSize(std::int64_t newSize) {
    if (newSize < 0) throw EWriteError();
    bytes_.resize(static_cast<std::size_t>(newSize));
    position_ = std::min(position_, bytes_.size());
}

void TMemoryStream::Clear() {
    bytes_.clear();
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    const std::int64_t size = source.Size();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    source.ReadBuffer(bytes.data(), bytes.size());
    bytes_ = std::move(bytes);
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyNone);
    LoadFromStream(file);
}

void TMemoryStream::SaveToStream(TStream& target) const { target.WriteBuffer(bytes_.data(), bytes_.size()); }

void TMemoryStream::SaveToFile(const std::string& fileName) const {
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

}  // namespace pellumo
