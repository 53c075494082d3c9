#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/stream.h"

namespace pellumo {

// A stream over bytes it owns.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t newSize) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }

    std::uint8_t* Memory() { return bytes_.data(); }
    const std::uint8_t* Memory() const { return bytes_.data(); }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    void Clear();

    // Replaces the contents with all of the source (from its beginning) or of the file;
    // the position goes back to 0.
    void LoadFromStream(TStream& source);
    void LoadFromFile(const std::string& fileName);
    void SaveToStream(TStream& target) const;
    void SaveToFile(const std::string& fileName) const;

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

}  // namespace pellumo
