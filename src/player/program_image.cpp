#include "player/program_image.h"

#include <algorithm>
#include <array>

#include "base/byte_order.h"

namespace pellumo {
namespace {

constexpr std::int64_t kIdentSize = 16;
constexpr std::size_t kHeaderSize = 64;         // the ELF64 file header
constexpr std::size_t kProgramHeaderSize = 56;  // one ELF64 program header
constexpr std::size_t kSectionHeaderSize = 64;  // one ELF64 section header
// A program header count that says the real count is in the first section header.
constexpr std::uint64_t kProgramCountElsewhere = 0xFFFF;

std::uint64_t GetLE64(const std::uint8_t* p) { return GetLE32(p) | (std::uint64_t{GetLE32(p + 4)} << 32); }

template <std::size_t N>
std::array<std::uint8_t, N> ReadAt(TStream& stream, std::uint64_t offset) {
    std::array<std::uint8_t, N> bytes;
    stream.SetPosition(static_cast<std::int64_t>(offset));
    stream.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

}  // namespace

std::int64_t ProgramImageEnd(TStream& stream) {
    const std::int64_t size = stream.Size();
    std::array<std::uint8_t, kHeaderSize> header{};
    if (size < 4) return 0;
    stream.SetPosition(0);
    stream.ReadBuffer(header.data(), static_cast<std::size_t>(std::min<std::int64_t>(size, kHeaderSize)));
    if (header[0] != 0x7F || header[1] != 'E' || header[2] != 'L' || header[3] != 'F') return 0;
    // 64-bit and little-endian, as every player is built.
    if (size < static_cast<std::int64_t>(kHeaderSize) || header[4] != 2 || header[5] != 1)
        return std::min(size, kIdentSize);

    std::int64_t end = kHeaderSize;
    const auto limit = static_cast<std::uint64_t>(size);
    // Takes count entries of entrySize bytes at offset into the image when they lie inside the
    // stream; the division keeps the check free of overflow.
    const auto reach = [&](std::uint64_t offset, std::uint64_t count, std::uint64_t entrySize) {
        if (offset > limit || (entrySize != 0 && count > (limit - offset) / entrySize)) return false;
        end = std::max(end, static_cast<std::int64_t>(offset + count * entrySize));
        return true;
    };

    const std::uint64_t programOffset = GetLE64(&header[0x20]);
    const std::uint64_t sectionOffset = GetLE64(&header[0x28]);
    const std::uint64_t programEntrySize = GetLE16(&header[0x36]);
    std::uint64_t programCount = GetLE16(&header[0x38]);
    const std::uint64_t sectionEntrySize = GetLE16(&header[0x3A]);
    std::uint64_t sectionCount = GetLE16(&header[0x3C]);

    // Counts too large for the header are kept in the first section header instead.
    if (sectionOffset != 0 && (sectionCount == 0 || programCount == kProgramCountElsewhere) &&
        sectionEntrySize >= kSectionHeaderSize && sectionOffset <= limit && limit - sectionOffset >= sectionEntrySize) {
        const auto first = ReadAt<kSectionHeaderSize>(stream, sectionOffset);
        if (sectionCount == 0) sectionCount = GetLE64(&first[32]);  // its size field
        if (programCount == kProgramCountElsewhere) programCount = GetLE32(&first[44]);  // its info field
    }
    if (sectionOffset != 0) reach(sectionOffset, sectionCount, sectionEntrySize);

    // The program headers are walked only when their whole table lies inside the stream: that
    // bounds the walk by the stream's size, and every read stays inside it.
    if (programOffset != 0 && programEntrySize >= kProgramHeaderSize &&
        reach(programOffset, programCount, programEntrySize)) {
        for (std::uint64_t k = 0; k < programCount; ++k) {
            const auto entry = ReadAt<kProgramHeaderSize>(stream, programOffset + k * programEntrySize);
            const std::uint64_t fileOffset = GetLE64(&entry[8]);
            const std::uint64_t fileSize = GetLE64(&entry[32]);
            if (fileSize != 0) reach(fileOffset, 1, fileSize);
        }
    }
    return end;
}

}  // namespace pellumo
