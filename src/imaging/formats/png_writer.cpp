#include "imaging/formats/png_writer.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <new>
#include <span>
#include <stdexcept>
#include <vector>

#include "base/stream.h"
#include "raster/bitmap.h"
#include "raster/pixel_rows.h"

namespace pellumo {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature{137, 80, 78, 71, 13, 10, 26, 10};
// Image data goes out in chunks of this size as deflate fills them, so that no compressed
// copy of the whole image is ever held.
constexpr std::size_t kDataChunkSize = 64 * 1024;

enum TPngColorType : std::uint8_t { ctRGB = 2, ctIndexed = 3, ctRGBA = 6 };
enum TPngFilter : std::uint8_t { ftNone = 0, ftSub = 1, ftUp = 2, ftAverage = 3, ftPaeth = 4 };

void PutBE32(std::uint8_t* p, std::uint32_t value) {
    p[0] = static_cast<std::uint8_t>(value >> 24);
    p[1] = static_cast<std::uint8_t>(value >> 16);
    p[2] = static_cast<std::uint8_t>(value >> 8);
    p[3] = static_cast<std::uint8_t>(value);
}

// Length, type, data and the CRC of type and data. Chunks here hold at most kDataChunkSize bytes.
void WriteChunk(TStream& stream, const char (&type)[5], std::span<const std::uint8_t> data) {
    std::array<std::uint8_t, 8> head{};
    PutBE32(head.data(), static_cast<std::uint32_t>(data.size()));
    std::memcpy(head.data() + 4, type, 4);
    uLong crc = crc32(0, head.data() + 4, 4);
    if (!data.empty()) crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
    std::array<std::uint8_t, 4> tail{};
    PutBE32(tail.data(), static_cast<std::uint32_t>(crc));
    stream.WriteBuffer(head.data(), head.size());
    if (!data.empty()) stream.WriteBuffer(data.data(), data.size());
    stream.WriteBuffer(tail.data(), tail.size());
}

// One zlib stream over all filtered rows, cut into IDAT chunks as its output fills.
class TImageData {
public:
    explicit TImageData(TStream& stream) : stream_(stream), out_(kDataChunkSize) {
        if (deflateInit(&zip_, Z_DEFAULT_COMPRESSION) != Z_OK) throw std::bad_alloc();
        zip_.next_out = out_.data();
        zip_.avail_out = static_cast<uInt>(out_.size());
    }
    ~TImageData() { deflateEnd(&zip_); }
    TImageData(const TImageData&) = delete;
    TImageData& operator=(const TImageData&) = delete;

    void Add(std::span<const std::uint8_t> bytes) { Deflate(bytes, Z_NO_FLUSH); }
    void Finish() { Deflate({}, Z_FINISH); }

private:
    void Deflate(std::span<const std::uint8_t> bytes, int flush) {
        // A row is at most 2^30 bytes (the image limit at 4 bytes a pixel), within zlib's counts.
        zip_.next_in = const_cast<Bytef*>(bytes.data());
        zip_.avail_in = static_cast<uInt>(bytes.size());
        for (;;) {
            const int result = deflate(&zip_, flush);
            // Z_BUF_ERROR only says there was nothing to do this time.
            if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
                throw std::logic_error("deflate refused its own stream");
            if (zip_.avail_out == 0 || result == Z_STREAM_END) EmitChunk();
            if (result == Z_STREAM_END) return;
            // Without Z_FINISH, output left over means every input byte was taken.
            if (flush == Z_NO_FLUSH && zip_.avail_in == 0 && zip_.avail_out != 0) return;
        }
    }

    void EmitChunk() {
        const std::size_t produced = out_.size() - zip_.avail_out;
        if (produced != 0) WriteChunk(stream_, "IDAT", std::span<const std::uint8_t>(out_.data(), produced));
        zip_.next_out = out_.data();
        zip_.avail_out = static_cast<uInt>(out_.size());
    }

    TStream& stream_;
    std::vector<std::uint8_t> out_;
    z_stream zip_{};
};

// The readers keep an alpha in the fourth byte of 32-bit rows; bitmaps made by conversion or
// drawing leave it 0 everywhere, and an all-opaque one says nothing either. Only a mix of
// see-through and visible pixels is an alpha worth writing.
bool HasAlpha(const TBitmap& bitmap) {
    if (bitmap.PixelFormat() != pf32bit) return false;
    bool anyTransparent = false, anyVisible = false;
    for (int y = 0; y < bitmap.Height() && !(anyTransparent && anyVisible); ++y) {
        const std::uint8_t* pixel = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x, pixel += 4) {
            anyTransparent |= pixel[3] != 255;
            anyVisible |= pixel[3] != 0;
        }
    }
    return anyTransparent && anyVisible;
}

// The palette as PLTE holds it: the bitmap's colours (or its depth's default ones), as many as
// the depth reaches, and black for indices beyond them that pixels use, as the bitmap shows them.
std::vector<std::uint8_t> PaletteChunk(const TBitmap& bitmap, int bits) {
    const TPalette& colours = EffectivePalette(bitmap.Palette(), bits);
    std::size_t entries = std::min(colours.size(), std::size_t{1} << bits);
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x) entries = std::max<std::size_t>(entries, GetIndex(row, bits, x) + 1u);
    }
    std::vector<std::uint8_t> chunk(3 * entries, 0);
    for (std::size_t i = 0; i < std::min(entries, colours.size()); ++i) {
        chunk[3 * i] = colours[i].peRed;
        chunk[3 * i + 1] = colours[i].peGreen;
        chunk[3 * i + 2] = colours[i].peBlue;
    }
    return chunk;
}

std::uint8_t Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// The row filtered by `filter` into `out`, its filter byte first; `above` is the previous raw
// row (zeros for the first).
void FilterRow(TPngFilter filter, std::span<const std::uint8_t> row, std::span<const std::uint8_t> above,
               std::size_t pixelBytes, std::span<std::uint8_t> out) {
    out[0] = filter;
    for (std::size_t i = 0; i < row.size(); ++i) {
        const int a = i >= pixelBytes ? row[i - pixelBytes] : 0;
        const int b = above[i];
        const int c = i >= pixelBytes ? above[i - pixelBytes] : 0;
        int predicted = 0;
        switch (filter) {
            case ftNone: break;
            case ftSub: predicted = a; break;
            case ftUp: predicted = b; break;
            case ftAverage: predicted = (a + b) / 2; break;
            case ftPaeth: predicted = Paeth(a, b, c); break;
        }
        out[i + 1] = static_cast<std::uint8_t>(row[i] - predicted);
    }
}

// The usual choice for colour rows: the filter whose output, read as signed bytes, is smallest
// in sum, which deflate tends to pack best.
void FilterBest(std::span<const std::uint8_t> row, std::span<const std::uint8_t> above, std::size_t pixelBytes,
                std::vector<std::uint8_t>& best, std::vector<std::uint8_t>& trial) {
    std::uint64_t bestCost = UINT64_MAX;
    for (const TPngFilter filter : {ftNone, ftSub, ftUp, ftAverage, ftPaeth}) {
        FilterRow(filter, row, above, pixelBytes, trial);
        std::uint64_t cost = 0;
        for (std::size_t i = 1; i < trial.size(); ++i) cost += trial[i] < 128 ? trial[i] : 256u - trial[i];
        if (cost < bestCost) {
            bestCost = cost;
            best.swap(trial);
        }
    }
}

void WriteIndexedRows(TImageData& data, const TBitmap& bitmap, int bits) {
    const std::size_t rowBytes = (static_cast<std::size_t>(bitmap.Width()) * static_cast<std::size_t>(bits) + 7) / 8;
    const unsigned tailBits = static_cast<unsigned>(bitmap.Width()) * static_cast<unsigned>(bits) % 8;
    // Palette rows go unfiltered, as PNG advises: their bytes are indices, not levels.
    std::vector<std::uint8_t> line(rowBytes + 1, ftNone);
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::memcpy(line.data() + 1, bitmap.ScanLine(y), rowBytes);
        // Bits past the last pixel are whatever the bitmap's padding held: written as zeros.
        if (tailBits != 0) line[rowBytes] &= static_cast<std::uint8_t>(0xFF00u >> tailBits);
        data.Add(line);
    }
}

void WriteColourRows(TImageData& data, const TBitmap& bitmap, bool alpha) {
    const auto width = static_cast<std::size_t>(bitmap.Width());
    const std::size_t pixelBytes = alpha ? 4 : 3;
    std::vector<std::uint8_t> bgrx(width * 4);
    std::vector<std::uint8_t> row(width * pixelBytes), above(width * pixelBytes, 0);
    std::vector<std::uint8_t> best(width * pixelBytes + 1), trial(width * pixelBytes + 1);
    for (int y = 0; y < bitmap.Height(); ++y) {
        UnpackRow(bitmap.ScanLine(y), bitmap.PixelFormat(), bitmap.Palette(), bitmap.Width(), bgrx.data());
        for (std::size_t x = 0; x < width; ++x) {
            std::uint8_t* to = row.data() + x * pixelBytes;
            const std::uint8_t* from = bgrx.data() + x * 4;
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
            if (alpha) to[3] = from[3];
        }
        FilterBest(row, above, pixelBytes, best, trial);
        data.Add(best);
        row.swap(above);
    }
}

}  // namespace

void WritePngFile(TStream& stream, const TBitmap& bitmap) {
    if (bitmap.Empty()) return;
    const TPixelFormat format = bitmap.PixelFormat();
    const bool indexed = IsIndexed(format);
    const bool alpha = HasAlpha(bitmap);
    const int bits = indexed ? BitsPerPixel(format) : 8;

    std::array<std::uint8_t, 13> header{};
    PutBE32(header.data(), static_cast<std::uint32_t>(bitmap.Width()));
    PutBE32(header.data() + 4, static_cast<std::uint32_t>(bitmap.Height()));
    header[8] = static_cast<std::uint8_t>(bits);
    header[9] = indexed ? ctIndexed : alpha ? ctRGBA : ctRGB;
    // Compression, filter method and interlace stay 0: deflate, the five filters, none.

    stream.WriteBuffer(kSignature.data(), kSignature.size());
    WriteChunk(stream, "IHDR", header);
    if (indexed) WriteChunk(stream, "PLTE", PaletteChunk(bitmap, bits));
    TImageData data(stream);
    if (indexed) WriteIndexedRows(data, bitmap, bits);
    else WriteColourRows(data, bitmap, alpha);
    data.Finish();
    WriteChunk(stream, "IEND", {});
}

}  // namespace pellumo
