#include "authoring/slide_pictures.h"

#include "authoring/alpha_flattening.h"
#include "authoring/color_profile_conversion.h"
#include "authoring/exif_orientation.h"
#include "authoring/option_values.h"
#include "authoring/picture_loading.h"
#include "authoring/picture_orientation.h"
#include "base/file_stream.h"
#include "base/memory_stream.h"
#include "player/catalogue.h"
#include "raster/jpeg_codec.h"
#include "raster/jpeg_image.h"

namespace pellumo {
namespace {

// Whatever the name says: a JPEG is known by its first bytes.
bool LooksLikeJpeg(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

std::vector<std::uint8_t> FileBytes(const std::string& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyNone);
    const std::int64_t size = file.Size();
    // A show addresses at most 2 GiB; checking first keeps a huge file from being loaded.
    if (size > std::int64_t{0x7FFFFFFF}) throw ECatalogueError("fichier trop grand pour un diaporama");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    file.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

std::vector<std::uint8_t> EncodedJpeg(const TBitmap& bitmap, int quality) {
    TJPEGImage jpeg;
    jpeg.SetCompressionQuality(quality);
    jpeg.Assign(bitmap);
    return jpeg.Data();
}

std::vector<std::uint8_t> PictureJpeg(const std::string& picture, int quality, TColor background, bool colorManaged) {
    std::vector<std::uint8_t> bytes = FileBytes(picture);
    if (!LooksLikeJpeg(bytes)) {
        TBitmap bitmap = LoadPictureBitmap(picture);
        // Before the alpha meets the slide's colour, which is an sRGB colour.
        if (colorManaged) ConvertToSrgb(bitmap);
        FlattenAlpha(bitmap, background);
        return EncodedJpeg(bitmap, quality);
    }
    TMemoryStream stream(bytes);
    TJPEGImage jpeg;
    jpeg.LoadFromStream(stream);  // the header must read, or the show would fail when it plays
    const int orientation = ExifOrientation(bytes);
    const bool convert = colorManaged && NeedsSrgbConversion(jpeg.ColorProfile(), jpeg.Grayscale());
    if (orientation == 1 && !convert) {
        // Stored as they are, the bytes must still decode to the end: a damaged copy would
        // otherwise only fail in the player.
        VerifyJpegData(bytes);
        return bytes;
    }
    TBitmap upright;
    upright.Assign(jpeg);
    if (convert) ConvertToSrgb(upright);
    OrientUpright(upright, orientation);
    return EncodedJpeg(upright, quality);
}

}  // namespace

std::vector<std::uint8_t> SlideJpegBytes(const std::string& picture, int quality, TColor background,
                                         bool colorManaged) {
    try {
        return PictureJpeg(picture, quality, background, colorManaged);
    } catch (const EPictureError&) {
        throw;
    } catch (const Exception& e) {
        RaisePictureError(picture, e.Message());
    }
}

}  // namespace pellumo
