#pragma once

// Builds small picture files byte by byte for the readers' tests.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/exceptions.h"
#include "base/memory_stream.h"

namespace pellumo::test {

class TFileBytes {
public:
    TFileBytes& U8(std::uint32_t v) {
        bytes_.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    TFileBytes& BE16(std::uint32_t v) { return U8(v >> 8).U8(v); }
    TFileBytes& BE32(std::uint32_t v) { return BE16(v >> 16).BE16(v); }
    TFileBytes& LE16(std::uint32_t v) { return U8(v).U8(v >> 8); }
    TFileBytes& LE32(std::uint32_t v) { return LE16(v).LE16(v >> 16); }
    TFileBytes& Text(std::string_view text) {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        return *this;
    }
    TFileBytes& Bytes(const std::vector<std::uint8_t>& bytes) {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    TFileBytes& Zeros(std::size_t count) {
        bytes_.insert(bytes_.end(), count, 0);
        return *this;
    }
    // Zeros up to `size` bytes in all, for fixed-size headers.
    TFileBytes& PadTo(std::size_t size) {
        if (bytes_.size() < size) bytes_.resize(size, 0);
        return *this;
    }
    // Overwrites a big-endian 16-bit value already written.
    TFileBytes& PutBE16(std::size_t at, std::uint32_t v) {
        bytes_[at] = static_cast<std::uint8_t>(v >> 8);
        bytes_[at + 1] = static_cast<std::uint8_t>(v);
        return *this;
    }

    std::size_t Size() const { return bytes_.size(); }
    const std::vector<std::uint8_t>& Data() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

// Loads the bytes with a reader; returns the error message, or "" when the load succeeds.
template <class TReader>
std::string LoadInto(TReader& reader, const std::vector<std::uint8_t>& bytes) {
    TMemoryStream stream(bytes);
    try {
        reader.LoadFromStream(stream);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

}  // namespace pellumo::test
