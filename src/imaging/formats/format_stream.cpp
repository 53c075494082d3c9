#include "imaging/formats/format_stream.h"

#include <algorithm>

#include "imaging/image_messages.h"

namespace pellumo {

void ReadExactly(TStream& stream, void* buffer, std::size_t count, std::string_view formatName) {
    if (count != 0 && stream.Read(buffer, count) != count) RaiseImageError(image_messages::kStreamReadError, formatName);
}

std::uint64_t BytesLeft(TStream& stream) {
    return static_cast<std::uint64_t>(std::max<std::int64_t>(stream.Size() - stream.Position(), 0));
}

}  // namespace pellumo
