#include "image_commands.h"

#include <optional>

#include "authoring/color_profile_conversion.h"
#include "authoring/picture_loading.h"
#include "base/exceptions.h"
#include "imaging/formats/format_registry.h"
#include "json_writer.h"
#include "picture_output.h"
#include "raster/bitmap.h"

namespace pellumo {
namespace {

std::string PixelFormatName(TPixelFormat format) {
    switch (format) {
        case pfDevice: return "pfDevice";
        case pf1bit: return "pf1bit";
        case pf4bit: return "pf4bit";
        case pf8bit: return "pf8bit";
        case pf15bit: return "pf15bit";
        case pf16bit: return "pf16bit";
        case pf24bit: return "pf24bit";
        case pf32bit: return "pf32bit";
        case pfCustom: break;
    }
    return "pfCustom";
}

// What the text says of a profile's description (see ColorProfileDescription).
std::string ProfileText(const std::optional<std::string>& description) {
    if (!description) return "illisible, ignoré";
    return description->empty() ? "sans description" : *description;
}

}  // namespace

std::string RegisteredExtensions() {
    std::string names;
    for (const auto& entry : FormatRegistry().ExtensionEntries()) names += (names.empty() ? "" : "|") + entry->Extension;
    return names;
}

void RunConvert(const std::string& input, const std::string& output, bool force, bool colorManaged) {
    CheckPictureOutput(output, {input}, force);
    TBitmap bitmap = LoadPictureBitmap(input);
    if (colorManaged) ConvertToSrgb(bitmap);
    SavePictureFile(bitmap, output);
}

void RunInfo(const std::string& input, bool json, std::ostream& out) {
    const TBitmap bitmap = LoadPictureBitmap(input);
    const std::size_t paletteEntries = IsIndexed(bitmap.PixelFormat()) ? bitmap.Palette().size() : 0;
    const bool hasProfile = !bitmap.ColorProfile().empty();
    const std::optional<std::string> profile = ColorProfileDescription(bitmap.ColorProfile());
    if (!json) {
        out << "Largeur : " << bitmap.Width() << "\nHauteur : " << bitmap.Height()
            << "\nFormat de pixel : " << PixelFormatName(bitmap.PixelFormat())
            << "\nEntrées de palette : " << paletteEntries << '\n';
        if (hasProfile) out << "Profil de couleur : " << ProfileText(profile) << '\n';
        return;
    }
    TJsonWriter writer;
    writer.BeginObject();
    writer.Key("width");
    writer.Integer(bitmap.Width());
    writer.Key("height");
    writer.Integer(bitmap.Height());
    writer.Key("pixel_format");
    writer.String(PixelFormatName(bitmap.PixelFormat()));
    writer.Key("palette_entries");
    writer.Integer(static_cast<std::int64_t>(paletteEntries));
    if (hasProfile) {
        writer.Key("color_profile");
        if (profile)
            writer.String(*profile);
        else
            writer.Null();
    }
    writer.EndObject();
    out << writer.Text() << '\n';
}

}  // namespace pellumo
