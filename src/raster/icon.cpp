#include "raster/icon.h"

#include <algorithm>
#include <vector>

#include "base/byte_order.h"
#include "base/memory_stream.h"
#include "raster/bmp_codec.h"
#include "raster/bounded_reader.h"
#include "raster/raster_messages.h"

namespace pellumo {
namespace {

constexpr std::size_t kDirectoryHeader = 6;
constexpr std::size_t kDirectoryEntry = 16;
constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kInfoHeader = 40;
constexpr int kLargestIcon = 256;

struct TIconImage {
    int Width;
    int Height;
    int BitCount;
    std::size_t Offset;
    std::size_t Size;
};

[[noreturn]] void NotAnIcon() { throw EInvalidGraphic(std::string(raster_messages::kInvalidIcon)); }


// The directory's entries that lie inside the file; an entry's size 0 in a dimension means 256.
std::vector<TIconImage> ReadDirectory(const std::vector<std::uint8_t>& file) {
    if (file.size() < kDirectoryHeader || GetLE16(&file[0]) != 0 || GetLE16(&file[2]) != 1) NotAnIcon();
    const std::size_t count = GetLE16(&file[4]);
    if (count == 0 || file.size() < kDirectoryHeader + count * kDirectoryEntry) NotAnIcon();
    std::vector<TIconImage> images;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* e = &file[kDirectoryHeader + i * kDirectoryEntry];
        const TIconImage image{e[0] == 0 ? 256 : e[0], e[1] == 0 ? 256 : e[1], GetLE16(e + 6), GetLE32(e + 12),
                               GetLE32(e + 8)};
        if (image.Offset <= file.size() && image.Size <= file.size() - image.Offset) images.push_back(image);
    }
    return images;
}

bool IsPng(const std::uint8_t* data, std::size_t size) {
    static constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G'};
    return size >= 4 && std::equal(std::begin(kSignature), std::end(kSignature), data);
}

// An icon image is a bitmap file without its file header, twice as high (the colours, then
// the transparency mask): given back that header and its true height, the bitmap reader
// takes it.
TBitmap DecodeImage(const std::uint8_t* data, std::size_t size) {
    if (size < kInfoHeader) NotAnIcon();
    const std::uint32_t headerSize = GetLE32(data);
    const int bitCount = GetLE16(data + 14);
    if (headerSize < kInfoHeader || headerSize > size || bitCount == 0) NotAnIcon();
    const std::uint32_t colorsUsed = GetLE32(data + 32);
    const std::size_t paletteEntries = bitCount <= 8 ? (colorsUsed != 0 ? std::min<std::uint32_t>(colorsUsed, 256)
                                                                        : std::size_t{1} << bitCount)
                                                     : 0;
    std::vector<std::uint8_t> file(kFileHeader + size);
    file[0] = 'B';
    file[1] = 'M';
    PutLE32(&file[2], static_cast<std::uint32_t>(file.size()));
    PutLE32(&file[10], static_cast<std::uint32_t>(kFileHeader + headerSize + paletteEntries * 4));
    std::copy(data, data + size, file.begin() + kFileHeader);
    const auto height = static_cast<std::int32_t>(GetLE32(&file[kFileHeader + 8]));
    PutLE32(&file[kFileHeader + 8], static_cast<std::uint32_t>(height / 2));
    TMemoryStream stream(std::move(file));
    TBitmap bitmap;
    ReadBitmapFile(stream, bitmap);
    return bitmap;
}

}  // namespace

TGraphicClass TIcon::StaticClass() {
    return GraphicClassOf<TIcon>("TIcon");
}

void TIcon::LoadFromStream(TStream& stream) {
    const std::vector<std::uint8_t> file = RestOfFile(stream);
    std::vector<TIconImage> images = ReadDirectory(file);
    std::erase_if(images, [&](const TIconImage& image) { return IsPng(&file[image.Offset], image.Size); });
    if (images.empty()) throw EInvalidGraphic(std::string(raster_messages::kIconWithoutImage));
    const auto largest = std::max_element(images.begin(), images.end(), [](const TIconImage& a, const TIconImage& b) {
        const long long areaA = static_cast<long long>(a.Width) * a.Height, areaB = static_cast<long long>(b.Width) * b.Height;
        return areaA != areaB ? areaA < areaB : a.BitCount < b.BitCount;
    });
    TBitmap decoded = DecodeImage(&file[largest->Offset], largest->Size);
    image_.Assign(std::move(decoded));
    Changed();
}

void TIcon::SaveToStream(TStream& stream) const {
    const int width = image_.Width(), height = image_.Height();
    if (width > kLargestIcon || height > kLargestIcon)
        throw EInvalidGraphic(std::string(raster_messages::kIconTooLarge));
    if (image_.Empty()) return;
    TBitmap colours;
    colours.Assign(image_);
    colours.SetPixelFormat(pf32bit);
    // The mask rows: one bit per pixel, rows padded to 4 bytes, all clear (opaque).
    const std::size_t maskStride = ((static_cast<std::size_t>(width) + 31) / 32) * 4;
    const std::size_t pixelBytes = static_cast<std::size_t>(width) * 4 * static_cast<std::size_t>(height);
    const std::size_t imageSize = kInfoHeader + pixelBytes + maskStride * static_cast<std::size_t>(height);
    std::vector<std::uint8_t> file(kDirectoryHeader + kDirectoryEntry + kInfoHeader + pixelBytes, 0);
    PutLE16(&file[2], 1);
    PutLE16(&file[4], 1);
    std::uint8_t* entry = &file[kDirectoryHeader];
    entry[0] = static_cast<std::uint8_t>(width & 0xFF);  // 256 is written as 0
    entry[1] = static_cast<std::uint8_t>(height & 0xFF);
    PutLE16(entry + 4, 1);
    PutLE16(entry + 6, 32);
    PutLE32(entry + 8, static_cast<std::uint32_t>(imageSize));
    PutLE32(entry + 12, static_cast<std::uint32_t>(kDirectoryHeader + kDirectoryEntry));
    std::uint8_t* info = entry + kDirectoryEntry;
    PutLE32(info, kInfoHeader);
    PutLE32(info + 4, static_cast<std::uint32_t>(width));
    PutLE32(info + 8, static_cast<std::uint32_t>(height * 2));
    PutLE16(info + 12, 1);
    PutLE16(info + 14, 32);
    PutLE32(info + 20, static_cast<std::uint32_t>(pixelBytes + maskStride * static_cast<std::size_t>(height)));
    std::uint8_t* pixels = info + kInfoHeader;
    for (int y = 0; y < height; ++y) {  // bottom-up, opaque
        const std::uint8_t* row = colours.ScanLine(height - 1 - y);
        std::uint8_t* out = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4;
        for (int x = 0; x < width; ++x) {
            std::copy(row + 4 * x, row + 4 * x + 3, out + 4 * x);
            out[4 * x + 3] = 0xFF;
        }
    }
    file.resize(file.size() + maskStride * static_cast<std::size_t>(height), 0);
    stream.WriteBuffer(file.data(), file.size());
}

void TIcon::Assign(const TGraphic& source) {
    if (const auto* icon = dynamic_cast<const TIcon*>(&source)) {
        image_.Assign(icon->image_);
    } else if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
        image_.Assign(*bitmap);
    } else {
        TGraphic::Assign(source);
        return;
    }
    Changed();
}

bool TIcon::AssignTo(TBitmap& target) const {
    target.Assign(image_);
    return true;
}

TGraphicClass TMetafile::StaticClass() {
    return GraphicClassOf<TMetafile>("TMetafile", false);
}

void TMetafile::LoadFromStream(TStream&) {
    throw EInvalidGraphic(std::string(raster_messages::kMetafilesNotSupported));
}

}  // namespace pellumo
