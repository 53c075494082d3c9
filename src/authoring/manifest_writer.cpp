#include "authoring/manifest_writer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "authoring/option_values.h"
#include "transition/style_names.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

const char* TomlBoolean(bool value) { return value ? "true" : "false"; }

// A path as the manifest's reader joins it to the manifest's folder: what follows the folder
// when it begins with it, else the whole path made absolute.
std::string ManifestPath(const std::string& path, const fs::path& folder) {
    const fs::path given(path);
    auto part = given.begin();
    for (const fs::path& component : folder) {
        if (component.empty() || component == ".") continue;  // a trailing separator, "./"
        while (part != given.end() && *part == ".") ++part;
        if (part == given.end() || *part != component) return fs::absolute(given).string();
        ++part;
    }
    fs::path rest;
    for (; part != given.end(); ++part) rest /= *part;
    return rest.empty() ? "." : rest.string();
}

void WriteValues(const TSlideValues& values, const std::optional<std::int32_t>& storedStyle, std::string& text) {
    if (values.duration) text += "duration = " + std::to_string(*values.duration) + '\n';
    if (values.style) {
        text += "style = " + std::to_string(*values.style) + "  # " + std::string(StyleNameOf(*values.style));
        // Only the low seven bits of a stored style play; the rest cannot be written back.
        if (storedStyle && *storedStyle != *values.style) text += " (stockée " + std::to_string(*storedStyle) + ")";
        text += '\n';
    }
    if (values.caption) text += "caption = " + TomlString(*values.caption) + '\n';
    if (values.captionColor) text += "caption_color = " + TomlString(ColorText(*values.captionColor)) + '\n';
    if (values.backColor) text += "back_color = " + TomlString(ColorText(*values.backColor)) + '\n';
    if (values.frameColor)
        text += "frame_color = " +
                TomlString(values.frameColor->framed ? ColorText(values.frameColor->color) : "none") + '\n';
}

}  // namespace

std::string TomlString(std::string_view utf8) {
    std::string quoted = "\"";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", byte);
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
}

std::string ManifestText(const TShowDocument& document, const std::string& folder) {
    const TShowSettings& settings = document.Settings();
    const TShowSettings usual;
    std::string text = "# Diaporama Pellumo : pellumo-pack build --manifest CE_FICHIER -o DIAPORAMA\n";
    if (!settings.music.empty()) text += "music = " + TomlString(ManifestPath(settings.music, folder)) + '\n';
    text += std::string("loop = ") + TomlBoolean(settings.loop) + "\ncopy_allowed = " +
            TomlBoolean(settings.copyAllowed) + "\nfine_resize = " + TomlBoolean(settings.fineResize) + '\n';
    if (settings.jpegQuality != usual.jpegQuality) text += "quality = " + std::to_string(settings.jpegQuality) + '\n';
    if (settings.colorManagement != usual.colorManagement)
        text += std::string("color_management = ") + TomlBoolean(settings.colorManagement) + '\n';
    if (settings.portable) text += "portable = true\n";
    if (!document.Defaults().Empty()) {
        text += "\n[defaults]\n";
        WriteValues(document.Defaults(), std::nullopt, text);
    }
    for (const TDocumentSlide& slide : document.Slides()) {
        text += "\n[[slides]]\n";
        // No picture is written as none: an empty path would name the manifest's folder.
        if (!slide.picture.empty()) text += "picture = " + TomlString(ManifestPath(slide.picture, folder)) + '\n';
        WriteValues(slide.values, slide.source.storedStyle, text);
    }
    return text;
}

}  // namespace pellumo
