#include "imaging/formats/png_graphic.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "base/byte_order.h"
#include "base/image_limits.h"
#include "base/stream.h"
#include "imaging/compression/lz77_decoder.h"
#include "raster/bounded_reader.h"
#include "imaging/formats/png_unfilter.h"
#include "imaging/formats/png_writer.h"
#include "imaging/image_messages.h"

namespace pellumo {
namespace {

constexpr std::string_view kFormatName = "PNG";
constexpr std::array<std::uint8_t, 8> kSignature{137, 80, 78, 71, 13, 10, 26, 10};
// Chunk lengths and image sizes are 31-bit numbers in PNG.
constexpr std::uint32_t kMaxPngNumber = 0x7FFFFFFF;
// Deflate turns one byte into at most 1032 (a 258-byte match in two bits): a file with less
// data than that for its declared size is refused before its bitmap is allocated.
constexpr std::uint64_t kMaxInflateRatio = 1032;
// About what a call of inflate should fill: large against zlib's 32 KB window, small against
// the processor's second-level cache.
constexpr std::size_t kInflatedBatchBytes = 128 * 1024;
constexpr float kDisplayGamma = 2.2f;
constexpr float kGammaUnit = 100000.0f;

enum TPngColorType : std::uint8_t { ctGray = 0, ctRGB = 2, ctIndexed = 3, ctGrayAlpha = 4, ctRGBA = 6 };

// Chunk types compare with bit 5 of each byte (the letter case) cleared.
constexpr std::uint32_t kCaseBits = 0x20202020;
constexpr std::uint32_t ChunkCode(const char (&name)[5]) {
    return (static_cast<std::uint32_t>(name[0]) << 24 | static_cast<std::uint32_t>(name[1]) << 16 |
            static_cast<std::uint32_t>(name[2]) << 8 | static_cast<std::uint32_t>(name[3])) &
           ~kCaseBits;
}
constexpr std::uint32_t kIHDR = ChunkCode("IHDR");
constexpr std::uint32_t kIDAT = ChunkCode("IDAT");
constexpr std::uint32_t kIEND = ChunkCode("IEND");
constexpr std::uint32_t kPLTE = ChunkCode("PLTE");
constexpr std::uint32_t kGAMA = ChunkCode("gAMA");
constexpr std::uint32_t kBKGD = ChunkCode("bKGD");
constexpr std::uint32_t kTRNS = ChunkCode("tRNS");
constexpr std::uint32_t kICCP = ChunkCode("iCCP");
// An iCCP chunk: a name of 1 to 79 bytes, a zero, compression method 0, then zlib data.
constexpr std::size_t kLongestProfileName = 79;

struct TAdam7Pass {
    std::uint32_t StartRow, StartColumn, RowStep, ColumnStep;
    std::uint8_t Mask;  // the pass's columns within each group of 8, for ConvertRow
};
constexpr TAdam7Pass kAdam7[7] = {{0, 0, 8, 8, 0x80}, {0, 4, 8, 8, 0x08}, {4, 0, 8, 4, 0x88}, {0, 2, 4, 4, 0x22},
                                  {2, 0, 4, 2, 0xAA}, {0, 1, 2, 2, 0x55}, {1, 0, 2, 1, 0xFF}};

constexpr TColor GrayColor(std::uint32_t level) { return level | level << 8 | level << 16; }

[[noreturn]] void InvalidFormat() { RaiseImageError(image_messages::kInvalidFormat, kFormatName); }

// The profile an iCCP chunk holds; nothing when the chunk is damaged or the profile larger
// than kMaxColorProfileBytes. The output grows as the data asks, so a small chunk that claims
// a huge profile costs no more than the bound.
std::vector<std::uint8_t> InflatedProfile(std::span<const std::uint8_t> chunk) {
    const std::size_t nameLimit = std::min(chunk.size(), kLongestProfileName + 1);
    const auto zero = std::find(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(nameLimit), 0);
    const auto method = static_cast<std::size_t>(zero - chunk.begin()) + 1;
    if (method == 1 || method > nameLimit || method >= chunk.size() || chunk[method] != 0) return {};
    TPackedBytes packed = chunk.subspan(method + 1);
    TLZ77Decoder decoder(Z_NO_FLUSH);
    decoder.BeginDecoding();
    std::vector<std::uint8_t> profile(std::clamp<std::size_t>(packed.size() * 4, 4096, kMaxColorProfileBytes + 1));
    std::size_t filled = 0;
    for (;;) {
        TUnpackedBytes free = std::span(profile).subspan(filled);
        // Both sizes are within kMaxPngNumber: the chunk's, and the bound's.
        decoder.DecodeBlock(packed, free, static_cast<std::int32_t>(packed.size()), static_cast<std::int32_t>(free.size()));
        filled = profile.size() - free.size();
        if (decoder.LastResult() == Z_STREAM_END) break;
        // Bad data, or data that ends before the stream does.
        if (decoder.LastResult() != Z_OK || !free.empty()) return {};
        if (profile.size() > kMaxColorProfileBytes) return {};
        profile.resize(std::min(profile.size() * 2, kMaxColorProfileBytes + 1));
    }
    if (filled > kMaxColorProfileBytes) return {};
    profile.resize(filled);
    return profile;
}

struct THeader {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::uint8_t BitDepth = 0;
    std::uint8_t ColorType = 0;
    std::uint8_t CompressionMethod = 0;
    std::uint8_t InterlaceMethod = 0;
};

// One load: the chunk walk, the inflate stream and the rows. The decoder ends with the load,
// also when it fails.
class TPNGLoad {
public:
    TPNGLoad(TStream& stream, TColorManager& manager) : reader_(stream, kFormatName), manager_(manager) {}

    void Run();

    TBitmap Image;
    bool Transparent = false;
    TColor TransparentColor = clWhite;
    TColor BackgroundColor = clWhite;
    std::vector<std::uint8_t> ColorProfile;

private:
    std::uint32_t Type() const { return chunkType_ & ~kCaseBits; }
    bool Critical() const { return (chunkType_ & 0x20000000) == 0; }

    void ReadChunkHeader();
    bool ReadChunkBytes();
    void ReadChunkData();
    void ReadHeader();
    void ReadPalette();
    void ReadGamma();
    std::uint32_t SampleLevel(std::size_t index) const;
    void ReadBackground();
    void ReadTransparency();
    void ReadColorProfile();
    bool GammaChangesLevels() const;
    std::size_t SetupColorDepth();
    void DecodeImage();
    void DecodeRows(std::uint32_t firstRow, std::uint32_t rowStep, std::uint32_t pixels, std::uint8_t mask);
    void ReadFiltered(std::span<std::uint8_t> rows);

    TBoundedReader reader_;
    TColorManager& manager_;
    THeader header_;
    std::unique_ptr<TLZ77Decoder> decoder_;
    std::vector<std::uint8_t> chunkBuffer_;
    TPackedBytes compressed_;  // the current image-data chunk's bytes not yet inflated
    std::uint32_t chunkLength_ = 0;
    std::uint32_t chunkType_ = 0;
    std::uint32_t runningCrc_ = 0;
    std::size_t bytesPerPixel_ = 1;
    std::size_t samples_ = 1;
    TPixelFormat pixelFormat_ = pf8bit;
    std::optional<TPalette> palette_;
    bool colorSetupDone_ = false;
    bool imageDone_ = false;
    std::vector<std::uint8_t> rows_;  // the line above, then the lines being decoded
};

void TPNGLoad::ReadChunkHeader() {
    std::array<std::uint8_t, 8> bytes{};
    reader_.Read(bytes.data(), bytes.size());
    chunkLength_ = GetBE32(bytes.data());
    if (chunkLength_ > kMaxPngNumber) InvalidFormat();
    chunkType_ = GetBE32(bytes.data() + 4);
    runningCrc_ = static_cast<std::uint32_t>(crc32(0, bytes.data() + 4, 4));
}

// Reads the chunk's data and CRC; returns whether the CRC matches.
bool TPNGLoad::ReadChunkBytes() {
    // A length the file cannot hold is refused before anything is allocated for it.
    if (chunkLength_ > reader_.BytesLeft()) reader_.ReadError();
    chunkBuffer_.resize(chunkLength_);
    reader_.Read(chunkBuffer_.data(), chunkBuffer_.size());
    std::array<std::uint8_t, 4> stored{};
    reader_.Read(stored.data(), stored.size());
    // zlib takes a null buffer, as an empty vector may give, as a request for the initial CRC.
    if (chunkLength_ != 0) runningCrc_ = static_cast<std::uint32_t>(crc32(runningCrc_, chunkBuffer_.data(), chunkLength_));
    return runningCrc_ == GetBE32(stored.data());
}

void TPNGLoad::ReadChunkData() {
    if (!ReadChunkBytes()) RaiseImageError(image_messages::kCrcError, kFormatName);
}

void TPNGLoad::ReadHeader() {
    ReadChunkData();
    if (chunkBuffer_.size() < 13) InvalidFormat();
    const std::uint8_t* b = chunkBuffer_.data();
    header_ = {GetBE32(b), GetBE32(b + 4), b[8], b[9], b[10], b[12]};
    if (header_.Width == 0 || header_.Height == 0 || header_.Width > kMaxPngNumber || header_.Height > kMaxPngNumber)
        InvalidFormat();
    if (header_.CompressionMethod != 0)
        RaiseImageError(image_messages::kNotSupported, image_messages::kCompressionScheme, kFormatName);
    // Checked now, so that the chunks before the image data never see an impossible depth.
    const std::uint8_t depth = header_.BitDepth;
    const bool narrow = depth == 1 || depth == 2 || depth == 4 || depth == 8;
    const bool valid = header_.ColorType == ctGray ? narrow || depth == 16
                       : header_.ColorType == ctIndexed ? narrow
                       : header_.ColorType == ctRGB || header_.ColorType == ctGrayAlpha || header_.ColorType == ctRGBA
                           ? depth == 8 || depth == 16
                           : false;
    if (!valid) RaiseImageError(image_messages::kInvalidColorFormat, kFormatName);
}

void TPNGLoad::ReadPalette() {
    // No entries, or more than any index can reach, is no palette.
    if (chunkLength_ % 3 != 0 || chunkLength_ == 0 || chunkLength_ > 3 * 256)
        RaiseImageError(image_messages::kInvalidPalette, kFormatName);
    ReadChunkData();
    if (header_.ColorType != ctIndexed) return;
    bytesPerPixel_ = SetupColorDepth();
    const std::uint8_t* plane = chunkBuffer_.data();
    palette_ = manager_.MakeColorPalette({&plane, 1}, 0, chunkLength_ / 3, false);
}

void TPNGLoad::ReadGamma() {
    ReadChunkData();
    if (chunkBuffer_.size() < 4) InvalidFormat();
    // Every table lookup here is on 8-bit values (narrowed samples, palette and gray levels),
    // whatever depths the previous image left in the manager.
    manager_.SetSourceBitsPerSample(8);
    manager_.SetTargetBitsPerSample(8);
    manager_.SetGammaValues(static_cast<float>(GetBE32(chunkBuffer_.data())) / kGammaUnit, kDisplayGamma);
    manager_.TargetOptions().Include(soApplyGamma);
}

// The 16-bit value at `index` of the chunk as an 8-bit level: samples of fewer bits are
// stretched to 0..255, 16-bit ones narrowed, so that the colour is that of such a pixel.
std::uint32_t TPNGLoad::SampleLevel(std::size_t index) const {
    const std::uint32_t v = GetBE16(chunkBuffer_.data() + 2 * index);
    if (header_.BitDepth == 16) return v * 255 / 65535;
    const std::uint32_t max = (1u << std::min<std::uint32_t>(header_.BitDepth, 8)) - 1;
    return std::min(v, max) * 255 / max;
}

void TPNGLoad::ReadBackground() {
    ReadChunkData();
    switch (header_.ColorType) {
        case ctGray:
        case ctGrayAlpha:
            if (chunkBuffer_.size() < 2) InvalidFormat();
            BackgroundColor = GrayColor(SampleLevel(0));
            break;
        case ctRGB:
        case ctRGBA:
            if (chunkBuffer_.size() < 6) InvalidFormat();
            BackgroundColor = RGB(static_cast<std::uint8_t>(SampleLevel(0)), static_cast<std::uint8_t>(SampleLevel(1)),
                                  static_cast<std::uint8_t>(SampleLevel(2)));
            break;
        default:
            // A palette index: its entry's colour, when the palette has it.
            if (chunkBuffer_.empty()) InvalidFormat();
            if (palette_ && chunkBuffer_[0] < palette_->size()) {
                const TPaletteEntry& e = (*palette_)[chunkBuffer_[0]];
                BackgroundColor = RGB(e.peRed, e.peGreen, e.peBlue);
            }
            break;
    }
}

void TPNGLoad::ReadTransparency() {
    ReadChunkData();
    if (header_.ColorType == ctGray) {
        if (chunkBuffer_.size() < 2) InvalidFormat();
        TransparentColor = GrayColor(SampleLevel(0));
        Transparent = true;
    } else if (header_.ColorType == ctRGB) {
        if (chunkBuffer_.size() < 6) InvalidFormat();
        TransparentColor = RGB(static_cast<std::uint8_t>(SampleLevel(0)), static_cast<std::uint8_t>(SampleLevel(1)),
                               static_cast<std::uint8_t>(SampleLevel(2)));
        Transparent = true;
    }
    // Palette, gray-alpha and RGBA images: read and checked, no further effect.
}

// The first iCCP chunk gives the profile. A damaged one is passed over like any chunk the
// reader does not need: the picture loses nothing by it.
void TPNGLoad::ReadColorProfile() {
    if (!ColorProfile.empty() || chunkLength_ > kMaxColorProfileBytes) {
        reader_.Skip(std::uint64_t{chunkLength_} + 4);
        return;
    }
    if (ReadChunkBytes()) ColorProfile = InflatedProfile(chunkBuffer_);
}

// Whether a gAMA chunk made the levels other than the file's (a gamma of 1/2.2 leaves them).
bool TPNGLoad::GammaChangesLevels() const {
    if (!manager_.TargetOptions().Contains(soApplyGamma)) return false;
    const TGammaTable& table = manager_.GammaTable();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (std::size_t{table[i]} != i) return true;
    return false;
}

// Sets up the colour manager, the bitmap format and the gray palette for the header's colour
// type and depth; returns the filters' byte distance.
std::size_t TPNGLoad::SetupColorDepth() {
    const std::uint8_t depth = header_.BitDepth;
    auto allowed = [depth](std::initializer_list<std::uint8_t> depths) {
        for (std::uint8_t d : depths)
            if (d == depth) return;
        RaiseImageError(image_messages::kInvalidColorFormat, kFormatName);
    };
    std::size_t bytesPerPixel = 0;
    switch (header_.ColorType) {
        case ctGray:
        case ctIndexed:
            if (header_.ColorType == ctGray) allowed({1, 2, 4, 8, 16});
            else allowed({1, 2, 4, 8});
            manager_.SetSourceSamplesPerPixel(1);
            manager_.SetTargetSamplesPerPixel(1);
            // Samples already 1 would keep a scheme the last image left.
            manager_.SetSourceColorScheme(scIndexed);
            manager_.SetTargetColorScheme(scIndexed);
            manager_.SetSourceBitsPerSample(depth);
            manager_.SetTargetBitsPerSample(depth == 2 ? 4 : depth == 16 ? 8 : depth);
            pixelFormat_ = manager_.PixelFormatFor(1);
            if (header_.ColorType == ctGray) palette_ = manager_.MakeGrayPalette(false);
            bytesPerPixel = header_.ColorType == ctGray ? (depth + 7u) / 8u : 1;
            break;
        case ctRGB:
        case ctRGBA: {
            allowed({8, 16});
            const bool alpha = header_.ColorType == ctRGBA;
            const std::uint8_t samples = alpha ? 4 : 3;
            manager_.SetSourceSamplesPerPixel(samples);
            manager_.SetTargetSamplesPerPixel(samples);
            manager_.SetSourceColorScheme(alpha ? scRGBA : scRGB);
            manager_.SetTargetColorScheme(alpha ? scBGRA : scBGR);
            manager_.SetSourceBitsPerSample(depth);
            manager_.SetTargetBitsPerSample(8);
            pixelFormat_ = alpha ? pf32bit : pf24bit;
            bytesPerPixel = depth * samples / 8u;
            break;
        }
        case ctGrayAlpha: {
            allowed({8, 16});
            manager_.SetSourceSamplesPerPixel(1);
            manager_.SetTargetSamplesPerPixel(1);
            manager_.SetTargetColorScheme(scIndexed);
            manager_.SetSourceBitsPerSample(depth);
            manager_.SetTargetBitsPerSample(8);
            manager_.SetSourceColorScheme(scGrayAlpha);
            pixelFormat_ = pf8bit;
            // The gray converter already applies the gamma to the levels it writes; a palette
            // with gamma too would apply it twice.
            const bool gamma = manager_.TargetOptions().Contains(soApplyGamma);
            manager_.TargetOptions().Exclude(soApplyGamma);
            palette_ = manager_.MakeGrayPalette(false);
            if (gamma) manager_.TargetOptions().Include(soApplyGamma);
            bytesPerPixel = depth * 2u / 8u;
            break;
        }
        default: RaiseImageError(image_messages::kInvalidColorFormat, kFormatName);
    }
    colorSetupDone_ = true;
    return bytesPerPixel;
}

// Fills `rows` with inflated bytes, taking image-data chunks as they come.
void TPNGLoad::ReadFiltered(std::span<std::uint8_t> rows) {
    TUnpackedBytes dest = rows;
    while (!dest.empty()) {
        while (compressed_.empty()) {
            // Image data that ends before the image does leaves rows undefined: refused.
            if (Type() != kIDAT) RaiseImageError(image_messages::kCompressionError, kFormatName);
            ReadChunkData();
            compressed_ = chunkBuffer_;
            ReadChunkHeader();  // the next chunk's header is read at once
        }
        const auto packed = static_cast<std::int32_t>(compressed_.size());      // at most 2^31 - 1
        const auto unpacked = static_cast<std::int32_t>(std::min<std::size_t>(dest.size(), kMaxPngNumber));
        decoder_->DecodeBlock(compressed_, dest, packed, unpacked);
        if (decoder_->LastResult() == Z_STREAM_END) {
            if (decoder_->InputLeft() != 0) RaiseImageError(image_messages::kExtraCompressedData, kFormatName);
            if (decoder_->OutputLeft() != 0) RaiseImageError(image_messages::kCompressionError, kFormatName);
            return;
        }
        if (decoder_->LastResult() != Z_OK) RaiseImageError(image_messages::kCompressionError, kFormatName);
    }
}

// The rows firstRow, firstRow + rowStep, ... of `pixels` pixels each (a pass's columns);
// the line above the first of them counts as zero. Many rows are inflated at a time: zlib
// decodes at its fast pace only where 258 bytes of output are left, and copies what each call
// wrote into its window, which one row a call would make a second copy of the whole image.
void TPNGLoad::DecodeRows(std::uint32_t firstRow, std::uint32_t rowStep, std::uint32_t pixels, std::uint8_t mask) {
    const std::size_t size = (std::size_t{pixels} * header_.BitDepth + 7) / 8 * samples_ + 1;
    const std::uint32_t rows = (header_.Height - firstRow + rowStep - 1) / rowStep;
    const auto batch = static_cast<std::uint32_t>(std::clamp<std::size_t>(kInflatedBatchBytes / size, 1, rows));
    rows_.assign((std::size_t{batch} + 1) * size, 0);
    std::uint32_t y = firstRow;
    for (std::uint32_t done = 0; done < rows;) {
        const std::uint32_t count = std::min(batch, rows - done);
        ReadFiltered(std::span<std::uint8_t>(rows_.data() + size, count * size));
        for (std::uint32_t k = 0; k < count; ++k, y += rowStep) {
            std::uint8_t* const line = rows_.data() + (k + 1) * size;
            UnfilterRow(std::span<std::uint8_t>(line, size), std::span<const std::uint8_t>(line - size, size),
                        bytesPerPixel_);
            manager_.ConvertRow(line + 1, Image.ScanLine(static_cast<int>(y)), header_.Width, mask);
        }
        std::memcpy(rows_.data(), rows_.data() + std::size_t{count} * size, size);  // the line above the next batch
        done += count;
    }
}

void TPNGLoad::DecodeImage() {
    if (!colorSetupDone_) bytesPerPixel_ = SetupColorDepth();
    samples_ = header_.BitDepth == 16 ? bytesPerPixel_ / 2 : bytesPerPixel_;
    const std::uint32_t width = header_.Width, height = header_.Height;
    CheckedImageBytes(width, height, BitsPerPixel(pixelFormat_));

    // The filtered bytes the image needs, against what the rest of the file can inflate to.
    auto lineBytes = [&](std::uint64_t pixels) { return (pixels * header_.BitDepth + 7) / 8 * samples_ + 1; };
    std::uint64_t needed = 0;
    if (header_.InterlaceMethod == 1) {
        for (const TAdam7Pass& pass : kAdam7)
            if (width > pass.StartColumn && height > pass.StartRow)
                needed += lineBytes((width - pass.StartColumn + pass.ColumnStep - 1) / pass.ColumnStep) *
                          ((height - pass.StartRow + pass.RowStep - 1) / pass.RowStep);
    } else {
        needed = lineBytes(width) * height;
    }
    if (reader_.BytesLeft() * kMaxInflateRatio + 64 < needed) InvalidFormat();  // the current chunk's data is in what is left

    Image.SetPixelFormat(pixelFormat_);
    if (palette_) Image.SetPalette(*palette_);
    Image.SetSize(static_cast<int>(width), static_cast<int>(height));
    // No background fill: every pixel is written by some row (or pass), and an image whose
    // data ends early is refused, so the fill would never show.

    if (header_.InterlaceMethod == 1) {
        for (const TAdam7Pass& pass : kAdam7)
            if (width > pass.StartColumn)
                DecodeRows(pass.StartRow, pass.RowStep, (width - pass.StartColumn + pass.ColumnStep - 1) / pass.ColumnStep,
                           pass.Mask);
    } else {
        DecodeRows(0, 1, width, 0xFF);
    }
    rows_ = {};
    // Image data the rows did not need is read past, with its CRCs checked.
    while (Type() == kIDAT) {
        ReadChunkData();
        ReadChunkHeader();
    }
}

void TPNGLoad::Run() {
    // A file that is no PNG is told apart from one cut short inside its signature.
    const std::vector<std::uint8_t> signature = reader_.ReadAtMost(kSignature.size());
    if (!std::equal(signature.begin(), signature.end(), kSignature.begin())) InvalidFormat();
    if (signature.size() < kSignature.size()) reader_.ReadError();
    ReadChunkHeader();
    if (Type() != kIHDR) InvalidFormat();
    manager_.SetSourceOptions({soByteSwap});
    // Gamma belongs to the file that has a gAMA chunk, not to the ones loaded after it.
    manager_.TargetOptions().Exclude(soApplyGamma);
    ReadHeader();

    decoder_ = std::make_unique<TLZ77Decoder>(Z_PARTIAL_FLUSH);
    decoder_->BeginDecoding();
    // Every image-data byte has passed its chunk's CRC before it is inflated.
    decoder_->SkipCheckValue();
    for (;;) {
        ReadChunkHeader();
        switch (Type()) {
            case kIDAT:
                // Image data comes in one run of chunks; a second run has no image to go to.
                if (imageDone_) InvalidFormat();
                DecodeImage();
                imageDone_ = true;
                break;  // on to the skip step with the chunk after the image data
            case kPLTE: ReadPalette(); continue;
            case kGAMA: ReadGamma(); continue;
            case kBKGD: ReadBackground(); continue;
            case kTRNS: ReadTransparency(); continue;
            case kICCP: ReadColorProfile(); continue;
            default: break;
        }
        // Nothing comes after the image's end, whose data and CRC no one needs.
        if (Type() == kIEND) break;
        // Skipped chunks go unchecked.
        reader_.Skip(std::uint64_t{chunkLength_} + 4);
        if (Critical()) RaiseImageError(image_messages::kUnknownCriticalChunk);
    }
    // A file without image data holds no image; an empty bitmap would pass for one.
    if (!imageDone_) InvalidFormat();
    // Levels changed by a gAMA chunk are no longer what the profile describes.
    if (GammaChangesLevels()) ColorProfile.clear();
    decoder_->EndDecoding();
}

}  // namespace

TGraphicClass TPNGGraphic::StaticClass() {
    return GraphicClassOf<TPNGGraphic>("TPNGGraphic");
}

void TPNGGraphic::LoadFromStream(TStream& stream) {
    ReleaseHandle();
    transparent_ = false;
    transparentColor_ = clWhite;
    backgroundColor_ = clWhite;
    TPNGLoad load(stream, ColorManager());
    load.Run();
    transparent_ = load.Transparent;
    transparentColor_ = load.TransparentColor;
    backgroundColor_ = load.BackgroundColor;
    Assign(std::move(load.Image));
    SetColorProfile(std::move(load.ColorProfile));
}

void TPNGGraphic::SaveToStream(TStream& stream) const { WritePngFile(stream, *this); }

}  // namespace pellumo
