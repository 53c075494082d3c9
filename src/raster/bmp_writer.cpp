#include <vector>

#include "base/byte_order.h"
#include "base/image_limits.h"
#include "base/stream.h"
#include "raster/bitmap.h"
#include "raster/bmp_codec.h"

namespace pellumo {

void WriteBitmapFile(TStream& stream, const TBitmap& bitmap) {
    const TPixelFormat format = bitmap.PixelFormat();
    const int bits = BitsPerPixel(format);
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    const bool fiveSixFive = format == pf16bit;
    TPalette palette = IsIndexed(format) ? EffectivePalette(bitmap.Palette(), bits) : TPalette{};
    // A palette may be longer than the depth indexes; the file may not declare more colours.
    if (IsIndexed(format) && palette.size() > (std::size_t{1} << bits)) palette.resize(std::size_t{1} << bits);
    const std::size_t stride = RowStride(width, bits);

    const std::size_t masksSize = fiveSixFive ? 12 : 0;
    const std::size_t offBits = 14 + 40 + masksSize + palette.size() * 4;
    const std::size_t imageSize = stride * static_cast<std::size_t>(height);
    std::vector<std::uint8_t> header(offBits, 0);
    std::uint8_t* p = header.data();
    p[0] = 'B';
    p[1] = 'M';
    PutLE32(p + 2, static_cast<std::uint32_t>(offBits + imageSize));
    PutLE32(p + 10, static_cast<std::uint32_t>(offBits));
    p += 14;
    PutLE32(p, 40);
    PutLE32(p + 4, static_cast<std::uint32_t>(width));
    PutLE32(p + 8, static_cast<std::uint32_t>(height));  // positive: rows bottom-up
    PutLE16(p + 12, 1);
    PutLE16(p + 14, static_cast<std::uint16_t>(bits));
    PutLE32(p + 16, fiveSixFive ? 3 : 0);
    PutLE32(p + 20, static_cast<std::uint32_t>(imageSize));
    const bool fullPalette = palette.size() == (std::size_t{1} << bits);
    PutLE32(p + 32, fullPalette ? 0 : static_cast<std::uint32_t>(palette.size()));
    p += 40;
    if (fiveSixFive) {
        PutLE32(p, 0xF800);
        PutLE32(p + 4, 0x07E0);
        PutLE32(p + 8, 0x001F);
        p += 12;
    }
    for (const TPaletteEntry& entry : palette) {
        p[0] = entry.peBlue;
        p[1] = entry.peGreen;
        p[2] = entry.peRed;
        p += 4;
    }
    stream.WriteBuffer(header.data(), header.size());
    for (int y = height - 1; y >= 0; --y) stream.WriteBuffer(bitmap.ScanLine(y), stride);
}

}  // namespace pellumo
