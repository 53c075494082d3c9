#include "imaging/formats/heif_graphic.h"

#include <libheif/heif.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "base/image_limits.h"
#include "imaging/formats/heif_derived_pictures.h"
#include "imaging/image_messages.h"
#include "raster/bounded_reader.h"

namespace pellumo {
namespace {

// The longest side libheif takes. It checks every picture of the file as it reads the boxes,
// the tiles and the alpha it decodes without asking us included; the primary picture's area and
// the canvases of grids and overlays are checked here, against the image size limit, before
// anything is decoded.
constexpr int kMaxSide = 32768;

// libheif's objects, each freed by its own function.
template <typename T, void (*Free)(T*)>
using THeifObject = std::unique_ptr<T, decltype([](T* object) { Free(object); })>;
using TContext = THeifObject<heif_context, heif_context_free>;
using THandle = THeifObject<const heif_image_handle, heif_image_handle_release>;
using TImage = THeifObject<const heif_image, heif_image_release>;
using TOptions = THeifObject<heif_decoding_options, heif_decoding_options_free>;

// libheif's failures in the reader's words: a file cut short, a limit of libheif's own (a side,
// a box's size or count), a coding it has no decoder for, anything else.
void Check(const heif_error& error, std::string_view formatName) {
    if (error.code == heif_error_Ok) return;
    if (error.subcode == heif_suberror_End_of_data)
        RaiseImageError(image_messages::kStreamReadError, formatName);
    if (error.subcode == heif_suberror_Security_limit_exceeded)
        RaiseImageError(image_messages::kNotSupported, image_messages::kBeyondDecoderLimits, formatName);
    if (error.code == heif_error_Unsupported_feature && error.subcode == heif_suberror_Unsupported_codec)
        RaiseImageError(image_messages::kNotSupported, image_messages::kCompressionScheme, formatName);
    RaiseImageError(image_messages::kInvalidFormat, formatName);
}

// The ICC profile of a `colr` box (prof or rICC), or nothing: nclx colours carry no profile,
// and one beyond the profile size limit is not kept.
std::vector<std::uint8_t> IccProfile(const heif_image_handle& handle, std::string_view formatName) {
    const std::size_t size = heif_image_handle_get_raw_color_profile_size(&handle);
    if (size == 0 || size > kMaxColorProfileBytes) return {};
    std::vector<std::uint8_t> profile(size);
    Check(heif_image_handle_get_raw_color_profile(&handle, profile.data()), formatName);
    return profile;
}

// Colours stored multiplied by their alpha made straight again, as the bitmaps keep them;
// libheif hands them over as the file stores them.
void Unpremultiply(std::uint8_t* bgra, int width) {
    for (int x = 0; x < width; ++x, bgra += 4) {
        const unsigned alpha = bgra[3];
        if (alpha == 0 || alpha == 255) continue;
        for (int c = 0; c < 3; ++c)
            bgra[c] = static_cast<std::uint8_t>(std::min(255u, (bgra[c] * 255u + alpha / 2) / alpha));
    }
}

// The decoded picture's interleaved rows into a bitmap of the same layout, red and blue swapped.
// The codec makes the picture its own data describes: one of another size than the header's,
// which the size limit was checked on, is refused.
TBitmap ToBitmap(const heif_image& image, int width, int height, bool alpha, bool premultiplied,
                 TColorManager& manager, std::string_view formatName) {
    int stride = 0;
    const std::uint8_t* rows = heif_image_get_plane_readonly(&image, heif_channel_interleaved, &stride);
    const int samples = alpha ? 4 : 3;
    if (rows == nullptr || heif_image_get_width(&image, heif_channel_interleaved) != width ||
        heif_image_get_height(&image, heif_channel_interleaved) != height || stride < width * samples ||
        heif_image_get_bits_per_pixel(&image, heif_channel_interleaved) != 8 * samples)
        RaiseImageError(image_messages::kInvalidFormat, formatName);

    manager.SetSourceSamplesPerPixel(static_cast<std::uint8_t>(samples));
    manager.SetTargetSamplesPerPixel(static_cast<std::uint8_t>(samples));
    manager.SetSourceColorScheme(alpha ? scRGBA : scRGB);
    manager.SetTargetColorScheme(alpha ? scBGRA : scBGR);
    manager.SetSourceBitsPerSample(8);
    manager.SetTargetBitsPerSample(8);
    manager.SetSourceOptions({});
    manager.TargetOptions().Exclude(soApplyGamma);

    TBitmap bitmap;
    bitmap.SetPixelFormat(alpha ? pf32bit : pf24bit);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        manager.ConvertRow(rows + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride), bitmap.ScanLine(y),
                           static_cast<std::uint32_t>(width));
        if (premultiplied) Unpremultiply(bitmap.ScanLine(y), width);
    }
    return bitmap;
}

}  // namespace

TGraphicClass THEIFGraphic::StaticClass() { return GraphicClassOf<THEIFGraphic>("THEIFGraphic", false); }

TGraphicClass TAVIFGraphic::StaticClass() { return GraphicClassOf<TAVIFGraphic>("TAVIFGraphic", false); }

void THEIFFamilyGraphic::LoadFromStream(TStream& stream) {
    ReleaseHandle();
    // libheif reads the boxes from memory; the bytes outlive the context.
    const std::vector<std::uint8_t> file = RestOfFile(stream);
    const TContext context(heif_context_alloc());
    heif_context_set_maximum_image_size_limit(context.get(), kMaxSide);
    Check(heif_context_read_from_memory_without_copy(context.get(), file.data(), file.size(), nullptr), formatName_);

    heif_image_handle* primary = nullptr;
    const heif_error found = heif_context_get_primary_image_handle(context.get(), &primary);
    const THandle handle(primary);
    Check(found, formatName_);
    const bool alpha = heif_image_handle_has_alpha_channel(primary) != 0;
    // Both the coded picture and the one its transformations make, before either is decoded.
    const int width = heif_image_handle_get_width(primary), height = heif_image_handle_get_height(primary);
    CheckedImageBytes(heif_image_handle_get_ispe_width(primary), heif_image_handle_get_ispe_height(primary), 32);
    CheckedImageBytes(width, height, 32);
    // A grid or overlay is composed on a canvas its own data sizes, which no header above checks.
    const THeifDerivedPictures derived = ReadHeifDerivedPictures(file);
    for (const THeifCanvasSize canvas : derived.Canvases) CheckedImageBytes(canvas.Width, canvas.Height, 32);
    if (derived.MadeFromNonPicture) RaiseImageError(image_messages::kInvalidFormat, formatName_);

    const TOptions options(heif_decoding_options_alloc());
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    const heif_error result = heif_decode_image(primary, &decoded, heif_colorspace_RGB,
                                                alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                                                options.get());
    const TImage image(decoded);
    Check(result, formatName_);

    std::vector<std::uint8_t> profile = IccProfile(*primary, formatName_);
    const bool premultiplied = alpha && heif_image_handle_is_premultiplied_alpha(primary) != 0;
    Assign(ToBitmap(*image, width, height, alpha, premultiplied, ColorManager(), formatName_));
    SetColorProfile(std::move(profile));
}

}  // namespace pellumo
