#pragma once

// Small PNG files assembled in tests: chunks with their CRCs, image data deflated by zlib.
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pellumo::png_files {

using TBytes = std::vector<std::uint8_t>;

inline void PutBE32(TBytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline TBytes Chunk(const std::string& type, const TBytes& data) {
    TBytes out;
    PutBE32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type.data()), 4);
    if (!data.empty()) crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));  // null would restart it
    PutBE32(out, static_cast<std::uint32_t>(crc));
    return out;
}

inline TBytes HeaderData(std::uint32_t width, std::uint32_t height, std::uint8_t depth, std::uint8_t colorType,
                         std::uint8_t interlace = 0) {
    TBytes data;
    PutBE32(data, width);
    PutBE32(data, height);
    data.insert(data.end(), {depth, colorType, 0, 0, interlace});
    return data;
}

inline TBytes Deflated(const TBytes& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    TBytes out(size);
    compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9);
    out.resize(size);
    return out;
}

inline TBytes Signature() { return {137, 80, 78, 71, 13, 10, 26, 10}; }

// A whole file: signature, IHDR, the chunks given, one IDAT with the filtered rows, IEND.
inline TBytes File(const TBytes& header, const TBytes& filteredRows, const std::vector<TBytes>& chunksBefore = {}) {
    TBytes out = Signature();
    auto add = [&](const TBytes& bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); };
    add(Chunk("IHDR", header));
    for (const TBytes& chunk : chunksBefore) add(chunk);
    add(Chunk("IDAT", Deflated(filteredRows)));
    add(Chunk("IEND", {}));
    return out;
}

}  // namespace pellumo::png_files
