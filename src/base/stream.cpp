#include "base/stream.h"

#include <algorithm>
#include <vector>

#include "base/exceptions.h"

namespace pellumo {

std::int64_t TStream::Size() {
    const std::int64_t position = Position();
    const std::int64_t size = Seek(0, soFromEnd);
    Seek(position, soFromBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError();
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    if (count < 0) throw EReadError();
    constexpr std::int64_t kChunk = 64 * 1024;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(count, kChunk)));
    for (std::int64_t left = count; left > 0;) {
        const auto chunk = static_cast<std::size_t>(std::min(left, kChunk));
        source.ReadBuffer(buffer.data(), chunk);
        WriteBuffer(buffer.data(), chunk);
        left -= static_cast<std::int64_t>(chunk);
    }
    return count;
}

}  // namespace pellumo
