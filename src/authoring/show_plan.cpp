#include "authoring/show_plan.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>

#include "authoring/option_values.h"
#include "authoring/picture_folders.h"
#include "authoring/show_document.h"
#include "base/format.h"

namespace pellumo {
namespace {

std::string Joined(const std::string& where, const std::string& what) {
    return where.empty() ? what : where + " : " + what;
}

// Resolves a document, naming places as its source allows: "show.toml:12" for what a manifest
// gave, else the name of the part (the slide, the defaults).
class TPlanner {
public:
    TPlanner(const TShowDocument& document, TPlanFaults& faults) : document_(document), faults_(faults) {}

    TShowPlan Plan() {
        TShowPlan plan;
        ReadSettings(plan);
        TSlideEntry defaults = DefaultSlideSettings();
        Lay(document_.Defaults(), document_.DefaultsLines(), "defaults", defaults);
        // An empty document read from a manifest has been told about by its reader already.
        if (document_.SlideCount() == 0 && faults_.Empty())
            faults_.Add(document_.SourceFile().empty()
                            ? std::string("aucune diapositive")
                            : document_.SourceFile() + " : aucune diapositive ([[slides]] avec picture = \"...\")");
        for (std::size_t i = 0; i < document_.SlideCount(); ++i) AddSlide(document_.Slide(i), i, defaults, plan);
        return plan;
    }

private:
    void ReadSettings(TShowPlan& plan) {
        const TShowSettings& settings = document_.Settings();
        const TSourceLines& lines = document_.SettingsLines();
        if (!settings.music.empty()) {
            const std::int64_t line = lines.Of("music");
            plan.musicFile = settings.music;
            plan.header.MusicFileName = MusicNameOf(settings.music, Where(line, "music"), faults_, line);
        }
        plan.header.LoopShow = settings.loop;
        plan.header.CopyAllowed = settings.copyAllowed;
        plan.header.FineResize = settings.fineResize;
        plan.jpegQuality = settings.jpegQuality;
        plan.colorManagement = settings.colorManagement;
        plan.portable = settings.portable;
        if (settings.jpegQuality < 1 || settings.jpegQuality > 100)
            Fault(lines.Of("quality"), {}, "quality : attendu un nombre entier de 1 à 100");
    }

    // Lays the values given over `slide`, each checked as a show can hold it.
    void Lay(const TSlideValues& values, const TSourceLines& lines, const std::string& part, TSlideEntry& slide) {
        if (values.duration) {
            if (*values.duration < 0)
                Fault(lines.Of("duration"), part,
                      Format("duration : attendu un nombre entier de 0 à %s",
                             {std::to_string(std::numeric_limits<std::int32_t>::max())}));
            else
                slide.Duration = *values.duration;
        }
        if (values.style) {
            if (*values.style > 127)
                Fault(lines.Of("style"), part, Format("style : %s hors de 0..127", {std::to_string(*values.style)}));
            else
                slide.TransitionStyle = *values.style;
        }
        if (values.caption) {
            try {
                slide.Caption.Assign(ParseShowText(*values.caption, "caption"));
            } catch (const EOptionError& e) {
                Fault(lines.Of("caption"), part, e.Message());
            }
        }
        if (values.captionColor) slide.CaptionColor = *values.captionColor;
        if (values.backColor) slide.BackColor = *values.backColor;
        if (values.frameColor) {
            slide.Framed = values.frameColor->framed;
            slide.FrameColor = values.frameColor->framed ? values.frameColor->color : clBlack;
        }
    }

    void AddSlide(const TDocumentSlide& slide, std::size_t index, const TSlideEntry& defaults, TShowPlan& plan) {
        const TSourceLines& lines = slide.source.lines;
        const std::string part = "diapositive " + std::to_string(index + 1);
        TSlideEntry settings = defaults;
        Lay(slide.values, lines, part, settings);
        if (slide.picture.empty()) {
            Fault(lines.table, part, "picture manque : le fichier image de la diapositive");
            return;
        }
        // The writer names a slide by its place; without one, by its number in the show.
        const auto add = [&](std::string picture) {
            const std::string origin = Where(lines.table, "diapositive " + std::to_string(plan.slides.size() + 1));
            plan.slides.push_back({std::move(picture), settings, origin});
        };
        if (!IsPictureFolder(slide.picture)) {
            add(slide.picture);
            return;
        }
        // A folder stands for its pictures, each a slide with this slide's values.
        for (std::string& picture : FolderPictures(slide.picture, lines.Of("picture"))) add(std::move(picture));
    }

    std::vector<std::string> FolderPictures(const std::string& folder, std::int64_t line) {
        std::vector<std::string> pictures;
        const bool placed = Placed(line);
        try {
            pictures = PicturesInFolder(folder);
        } catch (const EOptionError& e) {
            faults_.Add(placed ? Where(line, {}) + " : " + e.Message() : e.Message(), line);
            if (!placed) return pictures;
        }
        if (pictures.empty())
            faults_.Add(placed ? Where(line, {}) + " : aucune image dans le dossier " + folder
                               : folder + " : aucune image dans ce dossier",
                        line);
        return pictures;
    }

    bool Placed(std::int64_t line) const { return !document_.SourceFile().empty() && line > 0; }
    std::string Where(std::int64_t line, const std::string& otherwise) const {
        return Placed(line) ? document_.SourceFile() + ":" + std::to_string(line) : otherwise;
    }
    void Fault(std::int64_t line, const std::string& part, const std::string& message) {
        faults_.Add(Joined(Where(line, part), message), Placed(line) ? line : 0);
    }

    const TShowDocument& document_;
    TPlanFaults& faults_;
};

}  // namespace

TSlideEntry DefaultSlideSettings() {
    TSlideEntry slide;
    slide.Duration = 5;
    slide.TransitionStyle = 56;
    slide.CaptionColor = clWhite;
    slide.BackColor = clBlack;
    return slide;
}

void TPlanFaults::RaiseIfAny() {
    if (faults_.empty()) return;
    std::stable_sort(faults_.begin(), faults_.end(), [](const TFault& a, const TFault& b) { return a.line < b.line; });
    std::string text;
    for (const TFault& fault : faults_) text += (text.empty() ? "" : "\n") + fault.message;
    throw EOptionError(text);
}

std::string MusicNameOf(const std::string& musicFile, const std::string& origin, TPlanFaults& faults,
                        std::int64_t line) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(musicFile, error) || !std::ifstream(musicFile, std::ios::binary)) {
        faults.Add(origin + " : fichier musical introuvable ou illisible : " + musicFile, line);
        return {};
    }
    try {
        return ParseShowText(std::filesystem::path(musicFile).filename().string(), "nom du fichier musical");
    } catch (const EOptionError& e) {
        faults.Add(origin + " : " + e.Message(), line);
        return {};
    }
}

TShowPlan PlanShow(const TShowDocument& document, TPlanFaults& faults) { return TPlanner(document, faults).Plan(); }

TShowPlan PlanShow(const TShowDocument& document) {
    TPlanFaults faults;
    TShowPlan plan = PlanShow(document, faults);
    faults.RaiseIfAny();
    return plan;
}

TSlideValues EffectiveSlideValues(const TShowDocument& document, std::size_t index) {
    const TSlideValues& own = document.Slide(index).values;
    const TSlideValues& defaults = document.Defaults();
    const TSlideEntry builtIn = DefaultSlideSettings();
    const auto pick = [](const auto& first, const auto& second, auto last) {
        return std::optional(first ? *first : second ? *second : last);
    };
    TSlideValues values;
    values.duration = pick(own.duration, defaults.duration, builtIn.Duration);
    values.style = pick(own.style, defaults.style, static_cast<std::uint8_t>(builtIn.TransitionStyle));
    values.caption = pick(own.caption, defaults.caption, std::string());
    values.captionColor = pick(own.captionColor, defaults.captionColor, builtIn.CaptionColor);
    values.backColor = pick(own.backColor, defaults.backColor, builtIn.BackColor);
    values.frameColor = pick(own.frameColor, defaults.frameColor, TFrameColor::None());
    return values;
}

}  // namespace pellumo
