#include "imaging/formats/cut_graphic.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/byte_order.h"
#include "base/file_stream.h"
#include "base/image_limits.h"
#include "imaging/compression/run_length_decoders.h"
#include "raster/bounded_reader.h"
#include "imaging/image_messages.h"

namespace pellumo {
namespace {

constexpr std::string_view kFormatName = "CUT";
constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kPaletteBlockSize = 512;
constexpr std::size_t kHighestIndexOffset = 12;
constexpr std::size_t kFirstEntryOffset = 40;
constexpr std::size_t kEntrySize = 6;
// Each row holds at least its two-byte length and the closing 0; a run of two bytes gives at
// most 127 pixels.
constexpr std::uint64_t kLeastRowBytes = 3;
constexpr std::uint64_t kMostPixelsPerByte = 64;

[[noreturn]] void ReadError() { RaiseImageError(image_messages::kStreamReadError, kFormatName); }
[[noreturn]] void InvalidPalette() { RaiseImageError(image_messages::kInvalidPalette, kFormatName); }

// A Dr. Halo palette file: blocks of 512 bytes, the highest colour index at offset 12 of the
// first, then entries of three 16-bit values red, green, blue (the low bytes count) from offset
// 40 on. An entry never crosses into the next block. Indices past 255 have no place in an
// 8-bit picture's palette and are left out.
TPalette ReadPaletteFile(const std::string& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyNone);
    std::array<std::uint8_t, kPaletteBlockSize> block{};
    std::size_t filled = file.Read(block.data(), block.size());
    if (filled < kHighestIndexOffset + 2) InvalidPalette();
    TPalette palette(std::min<std::size_t>(GetLE16(&block[kHighestIndexOffset]), kMaxPaletteEntries - 1) + 1);
    std::size_t at = kFirstEntryOffset;
    for (TPaletteEntry& entry : palette) {
        if (at + kEntrySize > kPaletteBlockSize) {
            filled = file.Read(block.data(), block.size());
            at = 0;
        }
        if (at + kEntrySize > filled) InvalidPalette();
        entry = {block[at], block[at + 2], block[at + 4], 0};
        at += kEntrySize;
    }
    return palette;
}

bool FileExists(const std::string& fileName) {
    std::error_code error;
    return !fileName.empty() && std::filesystem::is_regular_file(fileName, error);
}

}  // namespace

TGraphicClass TCUTGraphic::StaticClass() {
    return GraphicClassOf<TCUTGraphic>("TCUTGraphic");
}

void TCUTGraphic::LoadFromFile(const std::string& fileName) {
    paletteFile_ = std::filesystem::path(fileName).replace_extension(".pal").string();
    TFormatGraphic::LoadFromFile(fileName);
}

void TCUTGraphic::LoadFromStream(TStream& stream) {
    ReleaseHandle();
    TBoundedReader file(stream, kFormatName);
    std::array<std::uint8_t, kHeaderSize> header{};
    file.Read(header.data(), header.size());
    const std::uint16_t width = GetLE16(&header[0]);
    const std::uint16_t height = GetLE16(&header[2]);
    CheckedImageBytes(width, height, 8);
    const std::uint64_t packedSize = file.BytesLeft();
    // Before anything is allocated: the data must be able to fill the rows it promises.
    if (packedSize < kLeastRowBytes * height || packedSize * kMostPixelsPerByte < std::uint64_t{width} * height)
        ReadError();

    TBitmap image;
    image.SetPixelFormat(pf8bit);
    image.SetPalette(FileExists(paletteFile_) ? ReadPaletteFile(paletteFile_) : GrayPalette());
    image.SetSize(width, height);

    std::vector<std::uint8_t> packed(static_cast<std::size_t>(packedSize));
    file.Read(packed.data(), packed.size());
    TCUTRLEDecoder decoder;
    TPackedBytes source(packed);
    for (int y = 0; y < height; ++y) {
        if (source.size() < kLeastRowBytes) ReadError();
        TUnpackedBytes row(image.ScanLine(y), width);
        decoder.DecodeBlock(source, row, 0, width);
    }
    // Data used up without the closing 0 of the last row ended inside it.
    if (height > 0 && source.empty() && packed.back() != 0) ReadError();
    Assign(std::move(image));
}

}  // namespace pellumo
