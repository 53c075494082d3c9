#include "image_commands.h"

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

}  // namespace

std::string RegisteredExtensions() {
    std::string names;
    for (const auto& entry : FormatRegistry().ExtensionEntries()) names += (names.empty() ? "" : "|") + entry->Extension;
    return names;
}

void RunConvert(const std::string& input, const std::string& output, bool force) {
    CheckPictureOutput(output, {input}, force);
    SavePictureFile(LoadPictureBitmap(input), output);
}

void RunInfo(const std::string& input, bool json, std::ostream& out) {
    const TBitmap bitmap = LoadPictureBitmap(input);
    const std::size_t paletteEntries = IsIndexed(bitmap.PixelFormat()) ? bitmap.Palette().size() : 0;
    if (!json) {
        out << "Largeur : " << bitmap.Width() << "\nHauteur : " << bitmap.Height()
            << "\nFormat de pixel : " << PixelFormatName(bitmap.PixelFormat())
            << "\nEntrées de palette : " << paletteEntries << '\n';
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
    writer.EndObject();
    out << writer.Text() << '\n';
}

}  // namespace pellumo
