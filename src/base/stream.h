#pragma once

#include <cstddef>
#include <cstdint>

namespace pellumo {

enum TSeekOrigin { soFromBeginning, soFromCurrent, soFromEnd };

// A sequence of bytes with a position. Read and Write move as far as they can and say how
// far; ReadBuffer and WriteBuffer demand the whole count and raise otherwise.
class TStream {
public:
    virtual ~TStream() = default;

    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    // Returns the new position. Seeking before the start raises EStreamError; seeking past
    // the end is allowed (a later write fills the gap with zeros).
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    virtual void SetSize(std::int64_t newSize) = 0;

    std::int64_t Position() { return Seek(0, soFromCurrent); }
    void SetPosition(std::int64_t position) { Seek(position, soFromBeginning); }
    virtual std::int64_t Size();

    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);
    // Copies count bytes from the source's position; a count of 0 copies the whole source
    // from its beginning. Returns the number of bytes copied.
    std::int64_t CopyFrom(TStream& source, std::int64_t count);

    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
};

}  // namespace pellumo
