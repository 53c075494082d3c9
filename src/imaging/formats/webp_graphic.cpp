#include "imaging/formats/webp_graphic.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <memory>
#include <string_view>
#include <vector>

#include "base/byte_order.h"
#include "base/image_limits.h"
#include "imaging/image_messages.h"
#include "raster/bounded_reader.h"

namespace pellumo {
namespace {

constexpr std::string_view kFormatName = "WebP";
// "RIFF", the size of what follows it (any), "WEBP", which that size counts.
constexpr std::string_view kRiffHeader = "RIFF????WEBP";
constexpr std::uint32_t kFormTypeSize = 4;

[[noreturn]] void InvalidFormat() { RaiseImageError(image_messages::kInvalidFormat, kFormatName); }

bool MatchesRiffHeader(const std::vector<std::uint8_t>& bytes) {
    for (std::size_t i = 0; i < bytes.size() && i < kRiffHeader.size(); ++i)
        if (kRiffHeader[i] != '?' && bytes[i] != static_cast<std::uint8_t>(kRiffHeader[i])) return false;
    return true;
}

// The RIFF file from the stream's position: its header, then as many bytes as it announces.
// A file that is no WebP is told apart from one cut short.
std::vector<std::uint8_t> ReadRiffFile(TStream& stream) {
    TBoundedReader reader(stream, kFormatName);
    std::vector<std::uint8_t> file = reader.ReadAtMost(kRiffHeader.size());
    if (!MatchesRiffHeader(file)) InvalidFormat();
    if (file.size() < kRiffHeader.size()) reader.ReadError();
    const std::uint32_t size = GetLE32(file.data() + 4);
    if (size < kFormTypeSize) InvalidFormat();
    const std::uint64_t rest = size - kFormTypeSize;
    if (rest > reader.BytesLeft()) reader.ReadError();
    file.resize(kRiffHeader.size() + rest);
    reader.Read(file.data() + kRiffHeader.size(), rest);
    return file;
}

using TDemuxer = std::unique_ptr<WebPDemuxer, decltype(&WebPDemuxDelete)>;

struct TFrame {
    WebPIterator iterator{};
    ~TFrame() { WebPDemuxReleaseIterator(&iterator); }
};

// The first frame's pixels written straight into the canvas at the frame's place, as the
// animation decoder shows a key frame: on a canvas of transparent black.
void DecodeInto(TBitmap& canvas, const WebPIterator& frame, bool alpha) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) InvalidFormat();
    const std::size_t pixelBytes = alpha ? 4 : 3;
    const std::size_t start = static_cast<std::size_t>(frame.x_offset) * pixelBytes;
    config.output.colorspace = alpha ? MODE_BGRA : MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = canvas.ScanLine(frame.y_offset) + start;
    config.output.u.RGBA.stride = static_cast<int>(canvas.RowBytes());
    // libwebp refuses a picture that would not fit: it writes nowhere past the bitmap's end.
    const auto rows = static_cast<std::size_t>(canvas.Height() - frame.y_offset);
    config.output.u.RGBA.size = canvas.RowBytes() * rows - start;
    const VP8StatusCode status = WebPDecode(frame.fragment.bytes, frame.fragment.size, &config);
    const bool frameSize = config.output.width == frame.width && config.output.height == frame.height;
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK || !frameSize) InvalidFormat();
}

struct TWebPPicture {
    TBitmap Image;
    std::vector<std::uint8_t> Profile;
};

TWebPPicture DecodeFirstFrame(const std::vector<std::uint8_t>& file) {
    // The canvas size from the headers alone, checked before the demuxer or the decoder
    // allocates anything; libwebp has no limits of its own to set.
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(file.data(), file.size(), &features) != VP8_STATUS_OK) InvalidFormat();
    CheckedImageBytes(features.width, features.height, 32);

    const WebPData data{file.data(), file.size()};
    const TDemuxer demuxer(WebPDemux(&data), &WebPDemuxDelete);
    if (!demuxer) InvalidFormat();
    const auto width = static_cast<int>(WebPDemuxGetI(demuxer.get(), WEBP_FF_CANVAS_WIDTH));
    const auto height = static_cast<int>(WebPDemuxGetI(demuxer.get(), WEBP_FF_CANVAS_HEIGHT));
    const std::uint32_t flags = WebPDemuxGetI(demuxer.get(), WEBP_FF_FORMAT_FLAGS);
    TFrame first;
    if (width != features.width || height != features.height || !WebPDemuxGetFrame(demuxer.get(), 1, &first.iterator))
        InvalidFormat();
    const WebPIterator& frame = first.iterator;
    // The demuxer keeps frames inside the canvas; checked again, as the decode relies on it.
    if (!frame.complete || frame.width <= 0 || frame.height <= 0 || frame.x_offset < 0 || frame.y_offset < 0 ||
        frame.width > width - frame.x_offset || frame.height > height - frame.y_offset)
        InvalidFormat();
    const bool covers = frame.width == width && frame.height == height;
    const bool alpha = (flags & ALPHA_FLAG) != 0 || frame.has_alpha || !covers;

    TWebPPicture picture;
    picture.Image.SetPixelFormat(alpha ? pf32bit : pf24bit);
    picture.Image.SetSize(width, height);
    DecodeInto(picture.Image, frame, alpha);
    WebPChunkIterator chunk{};
    if ((flags & ICCP_FLAG) != 0 && WebPDemuxGetChunk(demuxer.get(), "ICCP", 1, &chunk))
        picture.Profile.assign(chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size);
    WebPDemuxReleaseChunkIterator(&chunk);
    return picture;
}

}  // namespace

TGraphicClass TWebPGraphic::StaticClass() {
    return GraphicClassOf<TWebPGraphic>("TWebPGraphic");
}

void TWebPGraphic::LoadFromStream(TStream& stream) {
    ReleaseHandle();
    SetColorProfile({});
    TWebPPicture picture = DecodeFirstFrame(ReadRiffFile(stream));
    Assign(std::move(picture.Image));
    SetColorProfile(std::move(picture.Profile));
}

}  // namespace pellumo
