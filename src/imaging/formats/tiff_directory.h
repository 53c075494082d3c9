#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/stream.h"
#include "raster/bounded_reader.h"

namespace pellumo {

// The short format name of the TIFF reader's messages.
inline constexpr std::string_view kTIFFFormatName = "TIF/TIFF";

// Tags the TIFF reader consults.
namespace tiff_tags {
inline constexpr std::uint16_t kImageWidth = 256;
inline constexpr std::uint16_t kImageLength = 257;
inline constexpr std::uint16_t kBitsPerSample = 258;
inline constexpr std::uint16_t kCompression = 259;
inline constexpr std::uint16_t kPhotometric = 262;
inline constexpr std::uint16_t kFillOrder = 266;
inline constexpr std::uint16_t kStripOffsets = 273;
inline constexpr std::uint16_t kSamplesPerPixel = 277;
inline constexpr std::uint16_t kRowsPerStrip = 278;
inline constexpr std::uint16_t kStripByteCounts = 279;
inline constexpr std::uint16_t kPlanarConfiguration = 284;
inline constexpr std::uint16_t kT4Options = 292;
inline constexpr std::uint16_t kPredictor = 317;
inline constexpr std::uint16_t kColorMap = 320;
inline constexpr std::uint16_t kExtraSamples = 338;
inline constexpr std::uint16_t kYCbCrCoefficients = 529;
inline constexpr std::uint16_t kYCbCrSubSampling = 530;
inline constexpr std::uint16_t kReferenceBlackWhite = 532;
inline constexpr std::uint16_t kIccProfile = 34675;
}  // namespace tiff_tags

// One 12-byte directory entry in host byte order. `ValueOrOffset` is the 4 value bytes as one
// number: a single BYTE or SHORT value is that number, masked; a LONG value or any offset is
// the number whole. `Raw` keeps the 4 bytes as stored, for values that share them.
struct TTIFFEntry {
    std::uint16_t Tag = 0;
    std::uint16_t DataType = 0;
    std::uint32_t DataCount = 0;
    std::uint32_t ValueOrOffset = 0;
    std::array<std::uint8_t, 4> Raw{};
};

// The header and the first image file directory of a TIFF file, its entries sorted by tag, and
// the look-ups over them. Values outside the entries are read from the stream, each offset
// taken from the file's start; reading past the stream's end raises EInvalidGraphic "Stream
// read error in TIF/TIFF file.". Raises
// EInvalidGraphic with the invalid-format message for a version other than 42.
class TTIFFDirectory {
public:
    // Reads the header at the stream's position and the directory it points to.
    explicit TTIFFDirectory(TStream& stream);

    bool BigEndian() const { return bigEndian_; }
    std::int64_t BasePosition() const { return basePosition_; }
    const std::vector<TTIFFEntry>& Entries() const { return entries_; }

    // The entry with this tag, or null.
    const TTIFFEntry* FindTag(std::uint16_t tag) const;
    // A single BYTE, SHORT or LONG value; `fallback` when the tag is absent or has another type.
    // With a count other than 1 the raw ValueOrOffset.
    std::uint32_t GetValue(std::uint16_t tag, std::uint32_t fallback) const;
    // All values of a BYTE, SHORT or LONG tag (signed types read as their bits); empty when the
    // tag is absent or of another type. Values that fit in 4 bytes come from the entry itself.
    std::vector<std::uint32_t> ReadValues(std::uint16_t tag) const;
    // The bytes of a BYTE or UNDEFINED tag; empty when the tag is absent, of another type,
    // longer than `limit` or not all inside the file: such values are extras a picture can do
    // without.
    std::vector<std::uint8_t> ReadOpaqueBytes(std::uint16_t tag, std::uint32_t limit) const;
    // All values of a RATIONAL tag; empty when absent, of another type or with a zero
    // denominator.
    std::vector<double> ReadRationals(std::uint16_t tag) const;

    std::uint16_t Get16(const std::uint8_t* p) const;
    std::uint32_t Get32(const std::uint8_t* p) const;
    // Checks that `bytes` bytes at the file offset lie inside the stream, then seeks there.
    void SeekData(std::uint32_t offset, std::uint64_t bytes) const;
    // The file, read within its bounds: a read past its end is the format's read error.
    TBoundedReader& File() const { return file_; }

private:
    mutable TBoundedReader file_;
    std::int64_t basePosition_;
    bool bigEndian_ = false;
    std::vector<TTIFFEntry> entries_;
};

}  // namespace pellumo
