#include "imaging/formats/ppm_graphic.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "base/image_limits.h"
#include "base/stream.h"
#include "imaging/color/row_converters.h"
#include "imaging/formats/bounded_reader.h"
#include "imaging/image_messages.h"

namespace pellumo {
namespace {

constexpr std::string_view kSignatureName = "PBM, PGM or PPM";
constexpr std::string_view kFormatName = "PPM";
constexpr std::size_t kReadBufferSize = 4096;
constexpr std::uint32_t kLargestNumber = 0x7FFFFFFF;
constexpr std::uint32_t kLargestMaximum = 65535;
constexpr std::uint32_t kLargestByteSample = 255;

[[noreturn]] void InvalidFormat() { RaiseImageError(image_messages::kInvalidFormat, kSignatureName); }

constexpr bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }
constexpr bool IsSpace(std::uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
constexpr bool IsLineEnd(std::uint8_t c) { return c == '\r' || c == '\n'; }

// The stream's bytes through a block buffer, and the lexical rules of the format on top.
// Only the bytes the last block really brought are ever returned.
class TMapReader {
public:
    explicit TMapReader(TStream& stream) : stream_(stream), file_(stream, kFormatName) {}

    bool NextByte(std::uint8_t& value) {
        if (index_ == count_ && !Refill()) return false;
        value = buffer_[index_++];
        return true;
    }

    std::uint8_t ReadByte() {
        std::uint8_t value = 0;
        if (!NextByte(value)) RaiseImageError(image_messages::kStreamReadError, kFormatName);
        return value;
    }

    // The next `count` bytes as ReadByte would give them: what is buffered, then the rest
    // straight from the stream.
    void ReadBytes(std::uint8_t* dest, std::size_t count) {
        const std::size_t buffered = std::min(count, count_ - index_);
        std::copy_n(buffer_.data() + index_, buffered, dest);
        index_ += buffered;
        if (count > buffered && stream_.Read(dest + buffered, count - buffered) != count - buffered)
            RaiseImageError(image_messages::kStreamReadError, kFormatName);
    }

    // The bytes still to come, buffered or in the stream.
    std::uint64_t Remaining() { return (count_ - index_) + file_.BytesLeft(); }

    // The next decimal number. Whitespace and any number of comment lines ("#" to the line's
    // end) come before it; the byte that ends it is consumed, and a comment it starts is
    // skipped too. The end of the stream may end the last number.
    std::uint32_t ReadNumber() {
        std::uint8_t c = NextSignificant();
        if (!IsDigit(c)) InvalidFormat();
        std::uint32_t value = 0;
        bool more = true;
        while (more && IsDigit(c)) {
            const std::uint32_t digit = c - '0';
            if (value > (kLargestNumber - digit) / 10) InvalidFormat();
            value = value * 10 + digit;
            more = NextByte(c);
        }
        if (more && c == '#') SkipComment();
        else if (more && !IsSpace(c)) InvalidFormat();
        return value;
    }

    // One pixel of a text bitmap: a single digit, which need not be set apart from the next.
    std::uint8_t ReadBit() {
        const std::uint8_t c = NextSignificant();
        if (c != '0' && c != '1') InvalidFormat();
        return static_cast<std::uint8_t>(c - '0');
    }

private:
    bool Refill() {
        count_ = stream_.Read(buffer_.data(), buffer_.size());
        index_ = 0;
        return count_ != 0;
    }

    std::uint8_t NextSignificant() {
        std::uint8_t c = 0;
        do {
            c = ReadByte();
            if (c == '#') {
                SkipComment();
                c = '\n';
            }
        } while (IsSpace(c));
        return c;
    }

    void SkipComment() {
        while (!IsLineEnd(ReadByte())) {
        }
    }

    TStream& stream_;
    TBoundedReader file_;
    std::array<std::uint8_t, kReadBufferSize> buffer_{};
    std::size_t index_ = 0;
    std::size_t count_ = 0;
};

// The six kinds of file, by the digit of their magic.
struct TMapKind {
    bool Text;
    int Channels;  // 0 for bitmaps, whose pixels are bits
};

TMapKind KindOf(std::uint8_t type) {
    switch (type) {
        case '1': return {true, 0};
        case '2': return {true, 1};
        case '3': return {true, 3};
        case '4': return {false, 0};
        case '5': return {false, 1};
        case '6': return {false, 3};
        default: InvalidFormat();
    }
}

// Reads samples of a graymap or pixmap and stores them in bytes: up to a maximum of 255 as
// they are, above it (16-bit samples) their upper 8 bits.
class TSampleReader {
public:
    TSampleReader(TMapReader& reader, bool text, std::uint32_t maximum)
        : reader_(reader), text_(text), maximum_(maximum), wide_(maximum > kLargestByteSample) {}

    std::uint8_t Next() {
        std::uint32_t value = 0;
        if (text_) {
            value = reader_.ReadNumber();
            if (value > maximum_) InvalidFormat();
        } else {
            value = reader_.ReadByte();
            if (wide_) value = value << 8 | reader_.ReadByte();  // most significant byte first
        }
        return static_cast<std::uint8_t>(wide_ ? value >> 8 : value);
    }

    // The next `count` samples; raw bytes, the common case, in one go.
    void NextRow(std::uint8_t* samples, std::size_t count) {
        if (!text_ && !wide_) return reader_.ReadBytes(samples, count);
        for (std::size_t i = 0; i < count; ++i) samples[i] = Next();
    }

    // The least the file must still hold for `count` samples.
    std::uint64_t LeastBytes(std::uint64_t count) const { return text_ || !wide_ ? count : 2 * count; }

private:
    TMapReader& reader_;
    bool text_;
    std::uint32_t maximum_;
    bool wide_;
};

// The least a raster of this size takes: a byte for each text pixel or sample at least.
std::uint64_t LeastRasterBytes(const TMapKind& kind, std::uint32_t width, std::uint32_t height,
                               const TSampleReader& samples) {
    const std::uint64_t pixels = std::uint64_t{width} * height;
    if (kind.Channels != 0) return samples.LeastBytes(pixels * static_cast<unsigned>(kind.Channels));
    return kind.Text ? pixels : (std::uint64_t{width} + 7) / 8 * height;
}

void ReadBitmapRows(TMapReader& reader, bool text, TBitmap& image) {
    const auto width = static_cast<std::size_t>(image.Width());
    const std::size_t rowBytes = (width + 7) / 8;
    for (int y = 0; y < image.Height(); ++y) {
        std::uint8_t* row = image.ScanLine(y);
        if (!text) {
            reader.ReadBytes(row, rowBytes);
            continue;
        }
        // Most significant bit first; a partial last byte keeps its pixels at the top.
        for (std::size_t x = 0; x < width; ++x)
            row[x / 8] = static_cast<std::uint8_t>(row[x / 8] | reader.ReadBit() << (7 - x % 8));
    }
}

void ReadSampleRows(TSampleReader& samples, int channels, TBitmap& image) {
    const auto width = static_cast<std::size_t>(image.Width());
    for (int y = 0; y < image.Height(); ++y) {
        std::uint8_t* row = image.ScanLine(y);
        samples.NextRow(row, static_cast<std::size_t>(channels) * width);
        // Red, green, blue in the file; blue, green, red in the bitmap.
        if (channels == 3) ExchangeRedAndBlue(row, row, width);
    }
}

}  // namespace

TGraphicClass TPPMGraphic::StaticClass() {
    return GraphicClassOf<TPPMGraphic>("TPPMGraphic");
}

void TPPMGraphic::LoadFromStream(TStream& stream) {
    ReleaseHandle();
    TMapReader reader(stream);
    if (reader.ReadByte() != 'P') InvalidFormat();
    const TMapKind kind = KindOf(reader.ReadByte());
    // The numbers may stand on the magic's line too: they are read wherever they are.
    const std::uint32_t width = reader.ReadNumber();
    const std::uint32_t height = reader.ReadNumber();
    const std::uint32_t maximum = kind.Channels == 0 ? 1 : reader.ReadNumber();
    if (maximum == 0 || maximum > kLargestMaximum) InvalidFormat();

    const TPixelFormat format = kind.Channels == 0 ? pf1bit : kind.Channels == 1 ? pf8bit : pf24bit;
    CheckedImageBytes(width, height, BitsPerPixel(format));
    TSampleReader samples(reader, kind.Text, maximum);
    // Checked before the bitmap is allocated, so that a lying header costs nothing.
    if (reader.Remaining() < LeastRasterBytes(kind, width, height, samples))
        RaiseImageError(image_messages::kStreamReadError, kFormatName);

    TBitmap image;
    image.SetPixelFormat(format);
    if (format != pf24bit) {
        TColorManager& manager = ColorManager();
        manager.SetTargetSamplesPerPixel(1);
        manager.SetTargetBitsPerSample(format == pf1bit ? 1 : 8);
        manager.TargetOptions().Exclude(soApplyGamma);
        // Bitmaps store 1 for black.
        image.SetPalette(manager.MakeGrayPalette(format == pf1bit));
    }
    image.SetSize(static_cast<int>(width), static_cast<int>(height));
    // An image without columns has no raster, however many rows it claims: walking them
    // would cost time for nothing.
    if (width != 0) {
        if (kind.Channels == 0)
            ReadBitmapRows(reader, kind.Text, image);
        else
            ReadSampleRows(samples, kind.Channels, image);
    }
    Assign(std::move(image));
}

}  // namespace pellumo
