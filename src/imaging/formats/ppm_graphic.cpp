#include "imaging/formats/ppm_graphic.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "base/image_limits.h"
#include "base/stream.h"
#include "imaging/color/row_converters.h"
#include "raster/bounded_reader.h"
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
    explicit TMapReader(TStream& stream) : file_(stream, kFormatName) {}

    bool NextByte(std::uint8_t& value) {
        if (index_ == count_ && !Refill()) return false;
        value = buffer_[index_++];
        return true;
    }

    std::uint8_t ReadByte() {
        std::uint8_t value = 0;
        if (!NextByte(value)) file_.ReadError();
        return value;
    }

    // The next `count` bytes as ReadByte would give them: what is buffered, then the rest
    // straight from the stream.
    void ReadBytes(std::uint8_t* dest, std::size_t count) {
        const std::size_t buffered = std::min(count, count_ - index_);
        std::copy_n(buffer_.data() + index_, buffered, dest);
        index_ += buffered;
        file_.Read(dest + buffered, count - buffered);
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
        const bool more = ReadDigits(c, value);
        if (more && c == '#') SkipComment();
        else if (more && !IsSpace(c)) InvalidFormat();
        return value;
    }

    // The header numbers that stand on the magic's line, up to numbers.size() of them; how
    // many were there. The rest of that line may be a remark instead: from the first word that
    // is not a number (text glued to the magic included) to the line's end, it is skipped.
    // Reading stops right after the byte that ends the last number wanted, where a raw raster
    // may begin.
    std::size_t ReadMagicLineNumbers(std::span<std::uint32_t> numbers) {
        std::size_t found = 0;
        std::uint8_t c = 0;
        if (!NextByte(c)) return found;
        if (!IsSpace(c) && c != '#') return SkipRemark(c, found);
        while (found < numbers.size()) {
            while (IsSpace(c) && !IsLineEnd(c))
                if (!NextByte(c)) return found;
            if (IsLineEnd(c)) return found;
            if (!IsDigit(c)) return SkipRemark(c, found);  // a comment or a word
            std::uint32_t value = 0;
            const bool more = ReadDigits(c, value);
            // "12px" is a word of the remark, not a number.
            if (more && !IsSpace(c) && c != '#') return SkipRemark(c, found);
            numbers[found++] = value;
            if (!more || IsLineEnd(c)) return found;
            if (c == '#') return SkipRemark(c, found);
            if (found < numbers.size() && !NextByte(c)) return found;
        }
        return found;
    }

    // One pixel of a text bitmap: a single digit, which need not be set apart from the next.
    std::uint8_t ReadBit() {
        const std::uint8_t c = NextSignificant();
        if (c != '0' && c != '1') InvalidFormat();
        return static_cast<std::uint8_t>(c - '0');
    }

private:
    // Accumulates the digits from c on; c becomes the byte after them. False when the stream
    // ended instead.
    bool ReadDigits(std::uint8_t& c, std::uint32_t& value) {
        do {
            const std::uint32_t digit = c - '0';
            if (value > (kLargestNumber - digit) / 10) InvalidFormat();
            value = value * 10 + digit;
            if (!NextByte(c)) return false;
        } while (IsDigit(c));
        return true;
    }

    // Skips what is left of the line after c, which is already read.
    std::size_t SkipRemark(std::uint8_t c, std::size_t found) {
        if (!IsLineEnd(c)) SkipComment();
        return found;
    }

    bool Refill() {
        count_ = file_.ReadSome(buffer_.data(), buffer_.size());
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

// Reads samples of a graymap or pixmap and stores them in bytes, stretched from 0..maximum
// to 0..255 (round(v x 255 / maximum)); above a maximum of 255 a raw sample takes two bytes,
// most significant first. A sample above the maximum is refused in a text file, where every
// number is checked anyway; in a raw file it is taken as the maximum, so that raw files whose
// stray values were read before still read.
class TSampleReader {
public:
    // The maximum is 1 to 65535, as the caller has checked.
    TSampleReader(TMapReader& reader, bool text, std::uint32_t maximum)
        : reader_(reader),
          text_(text),
          maximum_(maximum),
          wide_(maximum > kLargestByteSample),
          scaled_(maximum != kLargestByteSample) {
        if (scaled_) scale_ = ScaleTable(maximum);
    }

    // The next `count` samples; raw ones a row at a time, and those of a maximum of 255, the
    // common case, straight into the row.
    void NextRow(std::uint8_t* samples, std::size_t count) {
        if (text_) {
            for (std::size_t i = 0; i < count; ++i) samples[i] = NextText();
        } else if (!scaled_) {
            reader_.ReadBytes(samples, count);
        } else if (!wide_) {
            reader_.ReadBytes(samples, count);
            for (std::size_t i = 0; i < count; ++i) samples[i] = Scaled(samples[i]);
        } else {
            wideRow_.resize(2 * count);
            reader_.ReadBytes(wideRow_.data(), wideRow_.size());
            for (std::size_t i = 0; i < count; ++i)
                samples[i] = Scaled(std::uint32_t{wideRow_[2 * i]} << 8 | wideRow_[2 * i + 1]);
        }
    }

    // The least the file must still hold for `count` samples.
    std::uint64_t LeastBytes(std::uint64_t count) const { return text_ || !wide_ ? count : 2 * count; }

private:
    std::uint8_t NextText() {
        const std::uint32_t value = reader_.ReadNumber();
        if (value > maximum_) InvalidFormat();
        return scaled_ ? scale_[value] : static_cast<std::uint8_t>(value);
    }

    // round(v x 255 / maximum) for every v up to the maximum, ties up. Built by steps of 255
    // rather than a division an entry: a 16-bit maximum makes 65536 entries.
    static std::vector<std::uint8_t> ScaleTable(std::uint32_t maximum) {
        std::vector<std::uint8_t> table(std::size_t{maximum} + 1);
        // v x 255 + maximum / 2 = quotient x maximum + remainder, remainder below maximum.
        std::uint32_t quotient = 0, remainder = maximum / 2;
        for (std::uint8_t& entry : table) {
            entry = static_cast<std::uint8_t>(quotient);
            remainder += kLargestByteSample;
            while (remainder >= maximum) {
                remainder -= maximum;
                ++quotient;
            }
        }
        return table;
    }

    std::uint8_t Scaled(std::uint32_t value) const {
        return value < scale_.size() ? scale_[value] : static_cast<std::uint8_t>(kLargestByteSample);
    }

    TMapReader& reader_;
    bool text_;
    std::uint32_t maximum_;
    bool wide_;
    bool scaled_;
    std::vector<std::uint8_t> scale_;
    std::vector<std::uint8_t> wideRow_;
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
    // Width, height and, but for bitmaps, the maximum: on the magic's line, unless a remark
    // takes its place there, or on the lines after.
    std::array<std::uint32_t, 3> numbers{};
    const std::span<std::uint32_t> wanted(numbers.data(), kind.Channels == 0 ? 2 : 3);
    for (std::size_t found = reader.ReadMagicLineNumbers(wanted); found < wanted.size(); ++found)
        wanted[found] = reader.ReadNumber();
    const std::uint32_t width = numbers[0];
    const std::uint32_t height = numbers[1];
    const std::uint32_t maximum = kind.Channels == 0 ? 1 : numbers[2];
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
