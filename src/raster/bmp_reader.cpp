#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

#include "base/byte_order.h"
#include "base/image_limits.h"
#include "base/stream.h"
#include "raster/bitmap.h"
#include "raster/bmp_codec.h"
#include "raster/bounded_reader.h"
#include "raster/pixel_rows.h"
#include "raster/raster_messages.h"

namespace pellumo {
namespace {

constexpr std::uint32_t BI_RGB = 0;
constexpr std::uint32_t BI_RLE8 = 1;
constexpr std::uint32_t BI_RLE4 = 2;
constexpr std::uint32_t BI_BITFIELDS = 3;
constexpr std::uint32_t BI_ALPHABITFIELDS = 6;

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kCoreHeaderSize = 12;

struct BitmapHeader {
    std::int32_t width = 0;
    std::int32_t height = 0;  // positive: bottom-up
    int bitCount = 0;
    std::uint32_t compression = BI_RGB;
    std::uint32_t sizeImage = 0;
    std::uint32_t colorsUsed = 0;
    std::array<std::uint32_t, 3> masks{};  // red, green, blue
    bool core = false;                     // 3-byte palette entries
};

[[noreturn]] void Invalid() { throw EInvalidGraphic(std::string(raster_messages::kInvalidBitmap)); }
[[noreturn]] void Unsupported() { throw EInvalidGraphic(std::string(raster_messages::kUnsupportedBitmapCompression)); }

bool IsKnownInfoSize(std::uint32_t size) {
    return size == 12 || size == 16 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 ||
           size == 124;
}

// Reads the info header (and the masks that follow a 40-byte one); leaves the stream after them.
BitmapHeader ReadInfoHeader(TBoundedReader& file) {
    std::uint8_t sizeBytes[4];
    file.Read(sizeBytes, 4);
    const std::uint32_t infoSize = GetLE32(sizeBytes);
    if (!IsKnownInfoSize(infoSize)) Invalid();
    std::vector<std::uint8_t> info(infoSize);
    std::memcpy(info.data(), sizeBytes, 4);
    file.Read(info.data() + 4, infoSize - 4);

    BitmapHeader header;
    if (infoSize == kCoreHeaderSize) {
        header.core = true;
        header.width = GetLE16(&info[4]);
        header.height = GetLE16(&info[6]);
        header.bitCount = GetLE16(&info[10]);
        return header;
    }
    header.width = static_cast<std::int32_t>(GetLE32(&info[4]));
    header.height = static_cast<std::int32_t>(GetLE32(&info[8]));
    header.bitCount = GetLE16(&info[14]);
    if (infoSize >= 40) {
        header.compression = GetLE32(&info[16]);
        header.sizeImage = GetLE32(&info[20]);
        header.colorsUsed = GetLE32(&info[32]);
    }
    if (infoSize == 16 || infoSize == 64) {
        // OS/2 2.x numbers its own Huffman and 24-bit run-length schemes 3 and 4.
        if (header.compression == 3 || header.compression == 4) Unsupported();
    } else if (header.compression == BI_BITFIELDS || header.compression == BI_ALPHABITFIELDS) {
        if (infoSize >= 52) {
            for (int i = 0; i < 3; ++i) header.masks[i] = GetLE32(&info[40 + 4 * i]);
        } else {
            std::uint8_t masks[16];
            const std::size_t count = header.compression == BI_ALPHABITFIELDS ? 16 : 12;
            file.Read(masks, count);
            for (int i = 0; i < 3; ++i) header.masks[i] = GetLE32(&masks[4 * i]);
        }
    }
    return header;
}

TPixelFormat IndexedFormat(int bitCount) {
    return bitCount == 1 ? pf1bit : bitCount == 4 ? pf4bit : pf8bit;
}

// The bitmap format for the header, pfCustom when pixels need the mask-by-mask path.
TPixelFormat TargetFormat(const BitmapHeader& h) {
    const bool fields = h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS;
    switch (h.bitCount) {
        case 1:
        case 4:
        case 8:
            if (h.compression == BI_RGB || (h.compression == BI_RLE8 && h.bitCount == 8) ||
                (h.compression == BI_RLE4 && h.bitCount == 4))
                return IndexedFormat(h.bitCount);
            break;
        case 16:
            if (h.compression == BI_RGB) return pf15bit;
            if (fields && h.masks == std::array<std::uint32_t, 3>{0x7C00, 0x03E0, 0x001F}) return pf15bit;
            if (fields && h.masks == std::array<std::uint32_t, 3>{0xF800, 0x07E0, 0x001F}) return pf16bit;
            if (fields) return pfCustom;
            break;
        case 24:
            if (h.compression == BI_RGB) return pf24bit;
            break;
        case 32:
            if (h.compression == BI_RGB) return pf32bit;
            if (fields && h.masks == std::array<std::uint32_t, 3>{0xFF0000, 0x00FF00, 0x0000FF}) return pf32bit;
            if (fields) return pfCustom;
            break;
        default: Invalid();
    }
    Unsupported();
}

TPalette ReadPalette(TBoundedReader& file, const BitmapHeader& h, std::int64_t paletteEnd) {
    if (h.bitCount > 8) return {};
    const std::size_t entrySize = h.core ? 3 : 4;
    std::size_t count = std::size_t{1} << h.bitCount;
    if (h.colorsUsed != 0 && h.colorsUsed < count) count = h.colorsUsed;
    // Some writers declare more colours than they store: trust where the pixels begin.
    if (paletteEnd >= file.Position()) {
        count = std::min(count, static_cast<std::size_t>((paletteEnd - file.Position()) / std::int64_t(entrySize)));
    }
    const std::vector<std::uint8_t> bytes = file.ReadBytes(count * entrySize);
    TPalette palette(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* e = &bytes[i * entrySize];
        palette[i] = {e[2], e[1], e[0], 0};
    }
    return palette;
}

// Scales a masked channel to 8 bits; masks of more than 8 bits keep their top 8.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(std::uint32_t m) : mask(m) {
        if (mask == 0) return;
        shift = std::countr_zero(mask);
        bits = std::min(std::popcount(mask >> shift), 32);
    }
    std::uint8_t Read(std::uint32_t pixel) const {
        if (bits == 0) return 0;
        const std::uint32_t value = (pixel & mask) >> shift;
        if (bits >= 8) return static_cast<std::uint8_t>(value >> (bits - 8));
        const std::uint32_t top = (std::uint32_t{1} << bits) - 1;
        return static_cast<std::uint8_t>((std::min(value, top) * 255 + top / 2) / top);
    }
};

void DecodeBitFieldRow(const std::uint8_t* source, const BitmapHeader& h, int width, std::uint8_t* target) {
    const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]);
    const int bytesPerPixel = h.bitCount / 8;
    for (int x = 0; x < width; ++x, source += bytesPerPixel, target += 3) {
        const std::uint32_t pixel = bytesPerPixel == 2 ? GetLE16(source) : GetLE32(source);
        target[0] = blue.Read(pixel);
        target[1] = green.Read(pixel);
        target[2] = red.Read(pixel);
    }
}

// Run-length data: pixels the runs never reach keep index 0; runs and deltas that leave the
// image are clipped, and data that ends without an end-of-bitmap code ends the picture.
void DecodeRunLength(const std::vector<std::uint8_t>& data, const BitmapHeader& h, TBitmap& bitmap) {
    const int bits = h.bitCount;
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    const bool bottomUp = h.height > 0;
    int x = 0;
    int fileRow = 0;
    // The column never passes the width, so that no run of deltas can overflow it.
    auto put = [&](std::uint8_t index) {
        if (x >= width) return;
        if (fileRow < height) SetIndex(bitmap.ScanLine(bottomUp ? height - 1 - fileRow : fileRow), bits, x, index);
        ++x;
    };
    std::size_t pos = 0;
    while (pos + 1 < data.size() && fileRow < height) {
        const std::uint8_t count = data[pos];
        const std::uint8_t value = data[pos + 1];
        pos += 2;
        if (count > 0) {
            for (int i = 0; i < count && x < width; ++i)
                put(bits == 4 ? static_cast<std::uint8_t>((i & 1) ? value & 0x0F : value >> 4) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++fileRow;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta
            if (pos + 1 >= data.size()) break;
            x = std::min(x + data[pos], width);
            fileRow += data[pos + 1];
            pos += 2;
        } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
            const std::size_t bytes = bits == 4 ? (value + 1u) / 2u : value;
            if (pos + bytes > data.size()) break;
            for (int i = 0; i < value; ++i)
                put(bits == 4 ? static_cast<std::uint8_t>((i & 1) ? data[pos + i / 2] & 0x0F : data[pos + i / 2] >> 4)
                              : data[pos + i]);
            pos += (bytes + 1) & ~std::size_t{1};
        }
    }
}

}  // namespace

void ReadBitmapFile(TStream& stream, TBitmap& bitmap) {
    TBoundedReader file(stream);
    const std::int64_t start = file.Position();
    std::uint8_t fileHeader[kFileHeaderSize];
    file.Read(fileHeader, sizeof fileHeader);
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M') Invalid();
    const std::uint32_t offBits = GetLE32(&fileHeader[10]);

    const BitmapHeader h = ReadInfoHeader(file);
    const TPixelFormat format = TargetFormat(h);
    const bool runLength = h.compression == BI_RLE4 || h.compression == BI_RLE8;
    if (h.width < 0 || h.height == INT32_MIN) Invalid();
    const int width = h.width;
    const int height = h.height < 0 ? -h.height : h.height;
    const int bits = h.bitCount;
    const std::size_t stride = RowStride(width, bits);
    CheckedImageBytes(width, height, 32);

    const std::int64_t pixelStart = start + offBits;
    const bool offBitsValid = offBits >= kFileHeaderSize && pixelStart >= file.Position();
    // Uncompressed pixels must all be in the stream: a header that claims a huge picture in a
    // small file fails here, before the picture is allocated.
    if (!runLength) {
        const std::int64_t dataStart = offBitsValid ? pixelStart : file.Position();
        if (file.Size() - dataStart < static_cast<std::int64_t>(stride) * height) file.ReadError();
    }
    TBitmap result;
    result.SetPixelFormat(format == pfCustom ? pf24bit : format);
    result.SetPalette(ReadPalette(file, h, offBitsValid ? pixelStart : -1));
    result.SetSize(width, height);
    if (offBitsValid) file.Seek(pixelStart);

    if (runLength) {
        std::uint64_t size = file.BytesLeft();
        if (h.sizeImage != 0 && h.sizeImage < size) size = h.sizeImage;
        const std::vector<std::uint8_t> data = file.ReadBytes(size);
        DecodeRunLength(data, h, result);
    } else if (width > 0) {  // an image without columns has no row bytes to copy
        std::vector<std::uint8_t> row(stride);
        for (int fileRow = 0; fileRow < height; ++fileRow) {
            file.Read(row.data(), stride);
            std::uint8_t* target = result.ScanLine(h.height > 0 ? height - 1 - fileRow : fileRow);
            if (format == pfCustom) DecodeBitFieldRow(row.data(), h, width, target);
            else std::memcpy(target, row.data(), result.RowBytes());
        }
    }
    bitmap.Assign(std::move(result));
}

}  // namespace pellumo
