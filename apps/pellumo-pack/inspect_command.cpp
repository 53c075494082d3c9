#include "inspect_command.h"

#include "base/ansi_text.h"
#include "base/file_stream.h"
#include "base/format.h"
#include "json_writer.h"
#include "option_values.h"
#include "player/catalogue.h"
#include "transition/style_names.h"

namespace pellumo {
namespace {

TCatalogue ReadShow(const std::string& fileName) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
    try {
        return ReadCatalogue(stream);
    } catch (const EReadError&) {
        // Only a file shorter than a trailer fails this way: it cannot hold a show either.
        throw ECatalogueError(Format("%s : %s", {fileName, ECatalogueError().Message()}));
    } catch (const ECatalogueError& e) {
        throw ECatalogueError(Format("%s : %s", {fileName, e.Message()}));
    }
}

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

void WriteText(const std::string& fileName, const TCatalogue& show, std::ostream& out) {
    out << "Diaporama : " << fileName << '\n'
        << "Musique : " << (show.MusicFileName.empty() ? "(aucune)" : AnsiToUtf8(show.MusicFileName)) << '\n'
        << "En boucle : " << YesNo(show.LoopShow) << '\n'
        << "Copie permise : " << YesNo(show.CopyAllowed) << '\n'
        << "Redimensionnement fin : " << YesNo(show.FineResize) << '\n'
        << "Diapositives : " << show.Slides.size() << " (dernier indice " << show.LastIndex() << ")\n";
    for (std::size_t i = 0; i < show.Slides.size(); ++i) {
        const TSlideEntry& slide = show.Slides[i];
        const std::uint8_t style = SlideStyle(slide.TransitionStyle);
        out << "\nDiapositive " << i << '\n'
            << "  Image : " << slide.DataSize << " octets à la position " << slide.DataOffset << '\n'
            << "  Durée : " << slide.Duration << " s\n"
            << "  Transition : " << int{style} << " (" << StyleNameOf(style) << ')';
        // A stored value above 127 plays as its low seven bits; show both so it is no surprise.
        if (slide.TransitionStyle != style) out << ", stockée " << slide.TransitionStyle;
        out << "\n  Fond : " << ColorText(slide.BackColor) << '\n'
            << "  Cadre : " << (slide.Framed ? ColorText(slide.FrameColor) : "non") << '\n'
            << "  Légende : ";
        if (slide.Caption.Text().empty())
            out << "(aucune)\n";
        else
            out << "« " << AnsiToUtf8(slide.Caption.Text()) << " » en " << ColorText(slide.CaptionColor) << '\n';
    }
}

}  // namespace

void RunInspect(const std::string& fileName, bool json, std::ostream& out) {
    const TCatalogue show = ReadShow(fileName);
    if (json)
        WriteJson(show, out);
    else
        WriteText(fileName, show, out);
}

}  // namespace pellumo
