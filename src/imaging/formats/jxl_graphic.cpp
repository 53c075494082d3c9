#include "imaging/formats/jxl_graphic.h"

#include <jxl/decode.h>
#include <jxl/encode.h>  // JxlColorEncodingSetToSRGB

#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

#include "base/image_limits.h"
#include "imaging/image_messages.h"
#include "raster/bounded_reader.h"

namespace pellumo {
namespace {

constexpr std::string_view kFormatName = "JPEG XL";
// The basic information, the colour encoding, the request for an output and the frame: a
// decoder that reports more before the first frame is done has met no file we can read.
constexpr int kMostEvents = 8;

[[noreturn]] void InvalidFormat() { RaiseImageError(image_messages::kInvalidFormat, kFormatName); }
[[noreturn]] void ReadError() { RaiseImageError(image_messages::kStreamReadError, kFormatName); }

bool IsSRGB(const JxlColorEncoding& encoding) {
    const bool primaries = encoding.color_space == JXL_COLOR_SPACE_GRAY ||
                           (encoding.color_space == JXL_COLOR_SPACE_RGB && encoding.primaries == JXL_PRIMARIES_SRGB);
    return primaries && encoding.white_point == JXL_WHITE_POINT_D65 &&
           encoding.transfer_function == JXL_TRANSFER_FUNCTION_SRGB;
}

// One load: the decoder, fed the whole file, and the bitmap it writes into. The decoder ends
// with the load, also when it fails.
class TJXLLoad {
public:
    explicit TJXLLoad(const std::vector<std::uint8_t>& file);
    void Run();

    TBitmap Image;
    std::vector<std::uint8_t> Profile;

private:
    void ReadBasicInfo();
    void ReadColorProfile();
    void StartImage();
    static void WritePixels(void* load, std::size_t x, std::size_t y, std::size_t count, const void* pixels);

    const std::vector<std::uint8_t>& file_;
    std::unique_ptr<JxlDecoder, decltype(&JxlDecoderDestroy)> decoder_;
    JxlBasicInfo info_{};
    JxlPixelFormat format_{};
    int width_ = 0;
    int height_ = 0;
    // Pixels the decoder offered outside the bitmap: never expected, but a callback cannot raise.
    bool outside_ = false;
};

TJXLLoad::TJXLLoad(const std::vector<std::uint8_t>& file)
    : file_(file), decoder_(JxlDecoderCreate(nullptr), &JxlDecoderDestroy) {
    if (!decoder_) InvalidFormat();
}

void TJXLLoad::ReadBasicInfo() {
    if (JxlDecoderGetBasicInfo(decoder_.get(), &info_) != JXL_DEC_SUCCESS) InvalidFormat();
    // The sides of the picture as the decoder turns it upright, checked before it goes on to
    // the frame: libjxl has no limit of its own to set.
    CheckedImageBytes(info_.xsize, info_.ysize, 32);
    width_ = static_cast<int>(info_.xsize);
    height_ = static_cast<int>(info_.ysize);
    const bool gray = info_.num_color_channels == 1;
    const std::uint32_t channels = (gray ? 1 : 3) + (info_.alpha_bits != 0 ? 1 : 0);
    format_ = {channels, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
}

// The profile of the pixels as decoded (see the class's note). A lossy (XYB) file whose space
// is an ICC profile is asked for in sRGB, instead of libjxl's linear default.
void TJXLLoad::ReadColorProfile() {
    JxlDecoder* decoder = decoder_.get();
    JxlColorEncoding encoding{};
    const bool named = JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL,
                                                          &encoding) == JXL_DEC_SUCCESS;
    if (!info_.uses_original_profile && !named) {
        JxlColorEncodingSetToSRGB(&encoding, info_.num_color_channels == 1);
        if (JxlDecoderSetPreferredColorProfile(decoder, &encoding) != JXL_DEC_SUCCESS) InvalidFormat();
    }
    if (JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &encoding) ==
            JXL_DEC_SUCCESS &&
        IsSRGB(encoding))
        return;
    std::size_t size = 0;
    if (JxlDecoderGetICCProfileSize(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) != JXL_DEC_SUCCESS ||
        size > kMaxColorProfileBytes)
        return;
    Profile.resize(size);
    if (JxlDecoderGetColorAsICCProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, Profile.data(), size) !=
        JXL_DEC_SUCCESS)
        Profile.clear();
}

void TJXLLoad::StartImage() {
    switch (format_.num_channels) {
        case 1:
            Image.SetPixelFormat(pf8bit);
            Image.SetPalette(GrayPalette());
            break;
        case 3: Image.SetPixelFormat(pf24bit); break;
        default: Image.SetPixelFormat(pf32bit); break;
    }
    Image.SetSize(width_, height_);
    if (JxlDecoderSetImageOutCallback(decoder_.get(), &format_, &TJXLLoad::WritePixels, this) != JXL_DEC_SUCCESS)
        InvalidFormat();
}

// Rows as libjxl renders them (gray, gray-alpha, RGB or RGBA) into the bitmap's gray,
// blue-green-red or blue-green-red-alpha pixels.
void TJXLLoad::WritePixels(void* load, std::size_t x, std::size_t y, std::size_t count, const void* pixels) {
    TJXLLoad& self = *static_cast<TJXLLoad*>(load);
    const auto width = static_cast<std::size_t>(self.width_);
    if (y >= static_cast<std::size_t>(self.height_) || x > width || count > width - x) {
        self.outside_ = true;
        return;
    }
    const auto* from = static_cast<const std::uint8_t*>(pixels);
    const std::uint32_t channels = self.format_.num_channels;
    const std::size_t pixelBytes = channels == 1 ? 1 : channels == 3 ? 3 : 4;
    std::uint8_t* to = self.Image.ScanLine(static_cast<int>(y)) + x * pixelBytes;
    if (channels == 1) {
        std::copy_n(from, count, to);
        return;
    }
    for (std::size_t i = 0; i < count; ++i, from += channels, to += pixelBytes) {
        if (channels == 2) {
            to[0] = to[1] = to[2] = from[0];
            to[3] = from[1];
        } else {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
            if (channels == 4) to[3] = from[3];
        }
    }
}

void TJXLLoad::Run() {
    JxlDecoder* decoder = decoder_.get();
    if (JxlDecoderSubscribeEvents(decoder, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE) !=
            JXL_DEC_SUCCESS ||
        JxlDecoderSetUnpremultiplyAlpha(decoder, JXL_TRUE) != JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(decoder, file_.data(), file_.size()) != JXL_DEC_SUCCESS)
        InvalidFormat();
    // The input is never closed: a decoder that asks for more has a file that ends too early.
    for (int event = 0; event < kMostEvents; ++event) {
        switch (JxlDecoderProcessInput(decoder)) {
            case JXL_DEC_BASIC_INFO: ReadBasicInfo(); break;
            case JXL_DEC_COLOR_ENCODING: ReadColorProfile(); break;
            case JXL_DEC_NEED_IMAGE_OUT_BUFFER: StartImage(); break;
            case JXL_DEC_FULL_IMAGE:
                if (outside_ || Image.Empty()) InvalidFormat();
                return;  // the first frame; the rest of the file is not needed
            case JXL_DEC_NEED_MORE_INPUT: ReadError();
            default: InvalidFormat();
        }
    }
    InvalidFormat();
}

}  // namespace

TGraphicClass TJXLGraphic::StaticClass() {
    return GraphicClassOf<TJXLGraphic>("TJXLGraphic");
}

void TJXLGraphic::LoadFromStream(TStream& stream) {
    ReleaseHandle();
    SetColorProfile({});
    TBoundedReader reader(stream, kFormatName);
    const std::vector<std::uint8_t> file = reader.ReadBytes(reader.BytesLeft());
    switch (JxlSignatureCheck(file.data(), file.size())) {
        case JXL_SIG_CODESTREAM:
        case JXL_SIG_CONTAINER: break;
        case JXL_SIG_NOT_ENOUGH_BYTES: ReadError();
        default: InvalidFormat();
    }
    TJXLLoad load(file);
    load.Run();
    Assign(std::move(load.Image));
    SetColorProfile(std::move(load.Profile));
}

}  // namespace pellumo
