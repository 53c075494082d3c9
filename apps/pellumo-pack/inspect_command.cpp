#include "inspect_command.h"

#include "authoring/option_values.h"
#include "authoring/show_reading.h"
#include "base/ansi_text.h"
#include "json_writer.h"
#include "player/catalogue.h"
#include "text_table.h"
#include "transition/style_names.h"

namespace pellumo {
namespace {

void WriteJson(const TCatalogue& show, std::ostream& out) {
    TJsonWriter json;
    json.BeginObject();
    json.Key("music");
    json.String(AnsiToUtf8(show.MusicFileName));
    json.Key("loop");
    json.Boolean(show.LoopShow);
    json.Key("copy_allowed");
    json.Boolean(show.CopyAllowed);
    json.Key("fine_resize");
    json.Boolean(show.FineResize);
    json.Key("last_index");
    json.Integer(show.LastIndex());
    json.Key("slides");
    json.BeginArray();
    for (const TSlideEntry& slide : show.Slides) {
        json.BeginObject();
        json.Key("data_offset");
        json.Integer(slide.DataOffset);
        json.Key("data_size");
        json.Integer(slide.DataSize);
        json.Key("duration");
        json.Integer(slide.Duration);
        json.Key("frame_color");
        json.Integer(slide.FrameColor);
        json.Key("framed");
        json.Boolean(slide.Framed);
        json.Key("back_color");
        json.Integer(slide.BackColor);
        json.Key("caption");
        json.String(AnsiToUtf8(slide.Caption.Text()));
        json.Key("caption_color");
        json.Integer(slide.CaptionColor);
        json.Key("transition_style");
        json.Integer(slide.TransitionStyle);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    out << json.Text() << '\n';
}

const char* YesNo(bool value) { return value ? "oui" : "non"; }

std::string TransitionCell(std::int32_t storedStyle) {
    const std::uint8_t style = SlideStyle(storedStyle);
    std::string cell = std::to_string(style) + " " + std::string(StyleNameOf(style));
    // A stored value above 127 plays as its low seven bits; show both so it is no surprise.
    if (storedStyle != style) cell += " (stockée " + std::to_string(storedStyle) + ")";
    return cell;
}

std::string CaptionCell(const TSlideEntry& slide) {
    if (slide.Caption.Text().empty()) return "-";
    return "« " + AnsiToUtf8(slide.Caption.Text()) + " » " + ColorText(slide.CaptionColor);
}

void WriteText(const std::string& fileName, const TCatalogue& show, std::ostream& out) {
    out << "Diaporama : " << fileName << '\n'
        << "Musique : " << (show.MusicFileName.empty() ? "(aucune)" : AnsiToUtf8(show.MusicFileName)) << '\n'
        << "En boucle : " << YesNo(show.LoopShow) << "   Copie permise : " << YesNo(show.CopyAllowed)
        << "   Redimensionnement fin : " << YesNo(show.FineResize) << '\n'
        << "Diapositives : " << show.Slides.size() << "\n\n";
    TTextTable table({"N°", "Durée", "Transition", "Fond", "Cadre", "Octets", "Position", "Légende"},
                     {true, true, false, false, false, true, true, false});
    for (std::size_t i = 0; i < show.Slides.size(); ++i) {
        const TSlideEntry& slide = show.Slides[i];
        table.AddRow({std::to_string(i + 1), std::to_string(slide.Duration) + " s", TransitionCell(slide.TransitionStyle),
                      ColorText(slide.BackColor), slide.Framed ? ColorText(slide.FrameColor) : "-",
                      std::to_string(slide.DataSize), std::to_string(slide.DataOffset), CaptionCell(slide)});
    }
    table.Print(out);
}

}  // namespace

void RunInspect(const std::string& fileName, bool json, std::ostream& out) {
    const TCatalogue show = ReadShowFile(fileName);
    if (json)
        WriteJson(show, out);
    else
        WriteText(fileName, show, out);
}

}  // namespace pellumo
