#include "imaging/formats/gif_graphic.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

#include "base/byte_order.h"
#include "base/image_limits.h"
#include "base/stream.h"
#include "imaging/compression/lzw_decoders.h"
#include "raster/bounded_reader.h"
#include "imaging/image_messages.h"

namespace pellumo {
namespace {

constexpr std::string_view kFormatName = "GIF";
constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kColorTableFlag = 0x80;
constexpr std::uint8_t kInterlacedFlag = 0x40;
constexpr std::uint8_t kSizeBits = 0x07;
constexpr std::size_t kLongestString = 4096;

struct TInterlacePass {
    std::uint32_t Start, Step;
};
constexpr TInterlacePass kInterlacePasses[4] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};

// A colour table of 2 shl `sizeBits` red-green-blue entries.
TPalette ReadColorTable(TBoundedReader& file, std::uint8_t sizeBits) {
    const std::size_t count = std::size_t{2} << (sizeBits & kSizeBits);
    const std::vector<std::uint8_t> bytes = file.ReadBytes(3 * count);
    TPalette palette(count);
    for (std::size_t i = 0; i < count; ++i) palette[i] = {bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2], 0};
    return palette;
}

// Sub-blocks up to the terminating empty one, or to the end of the stream.
void SkipSubBlocks(TBoundedReader& file) {
    while (file.BytesLeft() > 0) {
        const std::uint8_t length = file.ReadU8();
        if (length == 0) break;
        file.Skip(std::min<std::uint64_t>(length, file.BytesLeft()));
    }
}

// The data of all sub-blocks joined, up to the empty one or the end of the stream: a picture
// whose data ends early keeps what came.
std::vector<std::uint8_t> ReadSubBlocks(TBoundedReader& file) {
    std::vector<std::uint8_t> packed;
    while (file.BytesLeft() > 0) {
        const std::uint8_t length = file.ReadU8();
        if (length == 0) break;
        const std::size_t start = packed.size();
        packed.resize(start + length);
        packed.resize(start + file.ReadSome(packed.data() + start, length));
    }
    return packed;
}

}  // namespace

TGraphicClass TGIFGraphic::StaticClass() {
    return GraphicClassOf<TGIFGraphic>("TGIFGraphic");
}

void TGIFGraphic::LoadFromStream(TStream& stream) {
    ReleaseHandle();
    TBitmap image;
    image.SetPixelFormat(pf8bit);

    TBoundedReader file(stream, kFormatName);
    std::array<std::uint8_t, 6> signature{};
    file.Read(signature.data(), signature.size());
    if (std::toupper(signature[0]) != 'G' || std::toupper(signature[1]) != 'I' || std::toupper(signature[2]) != 'F')
        RaiseImageError(image_messages::kInvalidFormat, kFormatName);

    std::array<std::uint8_t, 7> screen{};
    file.Read(screen.data(), screen.size());
    if ((screen[4] & kColorTableFlag) != 0) image.SetPalette(ReadColorTable(file, screen[4]));

    // Extensions are skipped whole, by their sub-blocks, so that their data (a delay or a
    // transparent index of 0x2C, say) is never taken for a separator. Stray bytes between
    // blocks are passed over.
    std::uint8_t block = file.ReadU8();
    while (block != kImageSeparator && block != kTrailer) {
        if (block == kExtensionIntroducer) {
            file.ReadU8();  // the label
            SkipSubBlocks(file);
        }
        block = file.ReadU8();
    }
    if (block == kTrailer) {
        Assign(std::move(image));
        return;
    }

    std::array<std::uint8_t, 9> descriptor{};
    file.Read(descriptor.data(), descriptor.size());
    const std::uint16_t width = GetLE16(&descriptor[4]) != 0 ? GetLE16(&descriptor[4]) : GetLE16(&screen[0]);
    const std::uint16_t height = GetLE16(&descriptor[6]) != 0 ? GetLE16(&descriptor[6]) : GetLE16(&screen[2]);
    if ((descriptor[8] & kColorTableFlag) != 0) image.SetPalette(ReadColorTable(file, descriptor[8]));
    const std::uint8_t codeSize = file.ReadU8();
    const std::vector<std::uint8_t> packed = ReadSubBlocks(file);

    CheckedImageBytes(width, height, 8);
    // Each code gives at most a whole table's string, so the data caps what can be decoded;
    // pixels beyond stay at index 0 and need no buffer of their own.
    const std::size_t codes = packed.size() * 8 / (std::size_t{codeSize} + 1);
    const std::size_t pixelCount = std::min(std::size_t{width} * height, codes * kLongestString);
    std::vector<std::uint8_t> pixels(pixelCount, 0);
    TGIFLZWDecoder decoder(codeSize);
    TPackedBytes source(packed);
    TUnpackedBytes dest(pixels);
    decoder.DecodeBlock(source, dest, static_cast<std::int32_t>(std::min<std::size_t>(packed.size(), 0x7FFFFFFF)),
                        static_cast<std::int32_t>(pixelCount));  // within the image limit

    image.SetSize(width, height);
    std::size_t row = 0;
    auto copyRow = [&](std::uint32_t y) {
        const std::size_t start = std::min(row * width, pixels.size());
        const std::size_t count = std::min<std::size_t>(width, pixels.size() - start);
        std::copy_n(pixels.data() + start, count, image.ScanLine(static_cast<int>(y)));
        ++row;
    };
    if ((descriptor[8] & kInterlacedFlag) != 0) {
        for (const TInterlacePass& pass : kInterlacePasses)
            for (std::uint32_t y = pass.Start; y < height; y += pass.Step) copyRow(y);
    } else {
        for (std::uint32_t y = 0; y < height; ++y) copyRow(y);
    }
    Assign(std::move(image));
}

}  // namespace pellumo
