#pragma once

#include <cstdint>
#include <string>

#include "base/stream.h"

namespace pellumo {

// Open modes, with the platform's values so that combinations read the same.
constexpr std::uint16_t fmOpenRead = 0x0000;
constexpr std::uint16_t fmOpenWrite = 0x0001;
constexpr std::uint16_t fmOpenReadWrite = 0x0002;
constexpr std::uint16_t fmShareDenyNone = 0x0040;  // others may open the file too (always so here)
constexpr std::uint16_t fmCreate = 0xFF00;         // create or truncate, then read and write

class TFileStream : public TStream {
public:
    // Raises EFOpenError (EFCreateError with fmCreate) naming the file.
    TFileStream(const std::string& fileName, std::uint16_t mode);
    ~TFileStream() override;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t newSize) override;

    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
    int fd_ = -1;
};

}  // namespace pellumo
