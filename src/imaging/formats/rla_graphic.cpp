#include "imaging/formats/rla_graphic.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "base/byte_order.h"
#include "base/image_limits.h"
#include "imaging/compression/run_length_decoders.h"
#include "raster/bounded_reader.h"
#include "imaging/image_messages.h"

namespace pellumo {
namespace {

constexpr std::string_view kFormatName = "RLA";
constexpr std::size_t kHeaderSize = 740;
constexpr std::size_t kColorChannels = 3;
constexpr std::uint16_t kChannelBits = 8;
constexpr float kDisplayGamma = 2.2f;

struct TRLAHeader {
    std::int16_t ActiveLeft, ActiveRight, ActiveBottom, ActiveTop;
    std::uint16_t NumChannels, NumMatte, ChannelBits, MatteBits;
    std::string Gamma, Channel;
};

// A text field: up to its first zero byte, never beyond the field.
std::string TextField(const std::uint8_t* field, std::size_t size) {
    const auto* text = reinterpret_cast<const char*>(field);
    return std::string(text, std::find(text, text + size, '\0'));
}

TRLAHeader ReadHeader(TBoundedReader& reader) {
    std::array<std::uint8_t, kHeaderSize> b{};
    reader.Read(b.data(), b.size());
    const auto signed16 = [&](std::size_t at) { return static_cast<std::int16_t>(GetBE16(&b[at])); };
    return {signed16(8),     signed16(10),     signed16(12),     signed16(14),
            GetBE16(&b[20]), GetBE16(&b[22]),  GetBE16(&b[658]), GetBE16(&b[662]),
            TextField(&b[28], 16), TextField(&b[580], 32)};
}

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The gamma text as a number; none when it is no decimal number, or not a positive one.
std::optional<float> GammaValue(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    float value = 0;
    const char* end = text.data() + last + 1;
    const auto [stop, error] = std::from_chars(text.data() + first, end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value) || value <= 0) return std::nullopt;
    return value;
}

// Only RGB with 8-bit samples, and an 8-bit matte if any, has a conversion to the bitmap's rows.
void CheckColorFormat(const TRLAHeader& header) {
    if (Lowered(header.Channel) != "rgb" || header.NumChannels != kColorChannels ||
        header.ChannelBits != kChannelBits || (header.NumMatte > 0 && header.MatteBits != kChannelBits))
        RaiseImageError(image_messages::kInvalidColorFormat, kFormatName);
}

void SetupColorManager(TColorManager& manager, const TRLAHeader& header, bool matte) {
    manager.SetSourceOptions({soByteSwap});
    const std::uint8_t samples = matte ? 4 : 3;
    manager.SetSourceSamplesPerPixel(samples);
    manager.SetTargetSamplesPerPixel(samples);
    manager.SetSourceBitsPerSample(kChannelBits);
    manager.SetTargetBitsPerSample(kChannelBits);
    manager.SetSourceColorScheme(matte ? scRGBA : scRGB);
    manager.SetTargetColorScheme(matte ? scBGRA : scBGR);
    // A gamma of 1, or none to be read, leaves the colours as stored, whatever the last load set.
    const std::optional<float> gamma = GammaValue(header.Gamma);
    if (gamma && *gamma != 1.0f) {
        manager.SetGammaValues(*gamma, kDisplayGamma);
        manager.TargetOptions().Include(soApplyGamma);
    } else {
        manager.TargetOptions().Exclude(soApplyGamma);
    }
}

}  // namespace

TGraphicClass TRLAGraphic::StaticClass() {
    return GraphicClassOf<TRLAGraphic>("TRLAGraphic");
}

void TRLAGraphic::LoadFromStream(TStream& stream) {
    ReleaseHandle();
    TBoundedReader reader(stream, kFormatName);
    const std::int64_t base = reader.Position();
    const TRLAHeader header = ReadHeader(reader);
    CheckColorFormat(header);
    // Matte channels beyond the first are not shown.
    const bool matte = header.NumMatte > 0;
    TColorManager& manager = ColorManager();
    SetupColorManager(manager, header, matte);

    const int width = header.ActiveRight - header.ActiveLeft + 1;
    const int height = std::abs(header.ActiveBottom - header.ActiveTop) + 1;
    if (width <= 0) RaiseImageError(image_messages::kInvalidFormat, kFormatName);
    const bool bottomUp = header.ActiveBottom < header.ActiveTop;
    const TPixelFormat format = manager.PixelFormatFor(1);
    CheckedImageBytes(width, height, BitsPerPixel(format));
    const std::vector<std::uint8_t> table = reader.ReadBytes(4 * static_cast<std::uint64_t>(height));

    TBitmap image;
    image.SetPixelFormat(format);
    image.SetSize(width, height);
    const std::size_t planes = matte ? 4 : 3;
    std::array<std::vector<std::uint8_t>, 4> buffers;
    std::array<const std::uint8_t*, 4> sources{};
    for (std::size_t c = 0; c < planes; ++c) {
        buffers[c].resize(static_cast<std::size_t>(width));
        sources[c] = buffers[c].data();
    }
    TRLADecoder decoder;
    for (int i = 0; i < height; ++i) {
        reader.Seek(base + GetBE32(&table[4 * static_cast<std::size_t>(i)]));
        // Red, green, blue, then the matte; each channel is its length and its packets.
        for (std::size_t c = 0; c < planes; ++c) {
            const std::vector<std::uint8_t> packed = reader.ReadBytes(reader.ReadBE16());
            std::fill(buffers[c].begin(), buffers[c].end(), 0);  // what a short channel leaves out stays 0
            TPackedBytes source(packed);
            TUnpackedBytes dest(buffers[c]);
            decoder.DecodeBlock(source, dest, static_cast<std::int32_t>(packed.size()), width);
        }
        manager.ConvertRow(std::span(sources.data(), planes), image.ScanLine(bottomUp ? height - 1 - i : i),
                           static_cast<std::uint32_t>(width));
    }
    Assign(std::move(image));
}

}  // namespace pellumo
