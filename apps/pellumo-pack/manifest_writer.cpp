#include "manifest_writer.h"

#include <cstdio>

#include "base/ansi_text.h"
#include "option_values.h"
#include "transition/style_names.h"

namespace pellumo {
namespace {

const char* TomlBoolean(bool value) { return value ? "true" : "false"; }

void WriteSlide(const TSlideEntry& slide, const std::string& pictureFile, std::string& text) {
    const std::uint8_t style = SlideStyle(slide.TransitionStyle);
    text += "\n[[slides]]\npicture = " + TomlString(pictureFile) + "\nduration = " + std::to_string(slide.Duration) +
            "\nstyle = " + std::to_string(style) + "  # " + std::string(StyleNameOf(style));
    // Only the low seven bits of a stored style play; the rest cannot be written back.
    if (slide.TransitionStyle != style) text += " (stockée " + std::to_string(slide.TransitionStyle) + ")";
    text += "\ncaption = " + TomlString(AnsiToUtf8(slide.Caption.Text())) +
            "\ncaption_color = " + TomlString(ColorText(slide.CaptionColor)) +
            "\nback_color = " + TomlString(ColorText(slide.BackColor)) +
            "\nframe_color = " + TomlString(slide.Framed ? ColorText(slide.FrameColor) : "none") + '\n';
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

std::string ShowManifestText(const TCatalogue& show, const std::vector<std::string>& pictureFiles) {
    std::string text = "# Diaporama Pellumo : pellumo-pack build --manifest CE_FICHIER -o DIAPORAMA\n";
    if (!show.MusicFileName.empty()) text += "music = " + TomlString(AnsiToUtf8(show.MusicFileName)) + '\n';
    text += std::string("loop = ") + TomlBoolean(show.LoopShow) + "\ncopy_allowed = " + TomlBoolean(show.CopyAllowed) +
            "\nfine_resize = " + TomlBoolean(show.FineResize) + '\n';
    for (std::size_t i = 0; i < show.Slides.size() && i < pictureFiles.size(); ++i)
        WriteSlide(show.Slides[i], pictureFiles[i], text);
    return text;
}

}  // namespace pellumo
