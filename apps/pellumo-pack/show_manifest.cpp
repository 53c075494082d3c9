#include "show_manifest.h"

#include <filesystem>
#include <fstream>
#include <limits>
#include <toml++/toml.h>

#include "base/format.h"
#include "option_values.h"
#include "picture_folders.h"
#include "toml_errors.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

// Reads one manifest: keeps its name and folder for messages and paths.
class TManifestReader {
public:
    explicit TManifestReader(const std::string& manifestFile)
        : name_(manifestFile), folder_(fs::path(manifestFile).parent_path()) {}

    TShowPlan Read(const toml::table& manifest) {
        TShowPlan plan;
        TSlideEntry defaults = DefaultSlideSettings();
        for (auto&& [key, node] : manifest) {
            const std::string_view name = key.str();
            if (name == "music") {
                if (const std::string* music = Text(node, name)) {
                    plan.musicFile = Resolved(*music);
                    plan.header.MusicFileName = MusicNameOf(plan.musicFile, Where(node), faults_, Line(node));
                }
            } else if (name == "loop") {
                Flag(node, name, plan.header.LoopShow);
            } else if (name == "copy_allowed") {
                Flag(node, name, plan.header.CopyAllowed);
            } else if (name == "fine_resize") {
                Flag(node, name, plan.header.FineResize);
            } else if (name == "quality") {
                if (const auto quality = Integer(node, name, 1, 100)) plan.jpegQuality = static_cast<int>(*quality);
            } else if (name == "defaults") {
                if (const toml::table* table = Table(node, name)) ReadSlideKeys(*table, defaults, false);
            } else if (name != "slides") {
                Unknown(key);
            }
        }
        ReadSlides(manifest, defaults, plan);
        faults_.RaiseIfAny();
        return plan;
    }

private:
    void ReadSlides(const toml::table& manifest, const TSlideEntry& defaults, TShowPlan& plan) {
        const toml::array* slides = manifest["slides"].as_array();
        if (slides == nullptr || slides->empty()) {
            faults_.Add(name_ + " : aucune diapositive ([[slides]] avec picture = \"...\")", 0);
            return;
        }
        for (const toml::node& node : *slides) {
            const toml::table* table = node.as_table();
            if (table == nullptr) {
                Fault(node, "slides : chaque diapositive est une table [[slides]]");
                continue;
            }
            TSlidePlan slide{{}, defaults, Where(node)};
            ReadSlideKeys(*table, slide.settings, true);
            const toml::node* picture = table->get("picture");
            if (picture == nullptr) {
                Fault(node, "picture manque : le fichier image de la diapositive");
                plan.slides.push_back(std::move(slide));
            } else if (const std::string* path = Text(*picture, "picture")) {
                // A folder stands for its pictures, each a slide with this table's settings.
                for (std::string& file : CheckedPictures(*picture, *path)) {
                    slide.picture = std::move(file);
                    plan.slides.push_back(slide);
                }
            }
        }
    }

    void ReadSlideKeys(const toml::table& table, TSlideEntry& slide, bool isSlide) {
        for (auto&& [key, node] : table) {
            const std::string_view name = key.str();
            if (name == "duration") {
                if (const auto seconds = Integer(node, name, 0, std::numeric_limits<std::int32_t>::max()))
                    slide.Duration = static_cast<std::int32_t>(*seconds);
            } else if (name == "style") {
                ReadStyle(node, slide);
            } else if (name == "caption") {
                if (const std::string* caption = Text(node, name)) Checked(node, [&] {
                    slide.Caption.Assign(ParseShowText(*caption, "caption"));
                });
            } else if (name == "caption_color") {
                ReadColor(node, name, slide.CaptionColor);
            } else if (name == "back_color") {
                ReadColor(node, name, slide.BackColor);
            } else if (name == "frame_color") {
                ReadFrame(node, slide);
            } else if (!(isSlide && name == "picture")) {
                Unknown(key);
            }
        }
    }

    void ReadStyle(const toml::node& node, TSlideEntry& slide) {
        if (const toml::value<std::int64_t>* number = node.as_integer()) {
            if (number->get() < 0 || number->get() > 127)
                Fault(node, Format("style : %s hors de 0..127", {std::to_string(number->get())}));
            else
                slide.TransitionStyle = static_cast<std::int32_t>(number->get());
        } else if (const std::string* name = Text(node, "style")) {
            Checked(node, [&] { slide.TransitionStyle = ParseStyle(*name, "style"); });
        }
    }

    void ReadColor(const toml::node& node, std::string_view name, TColor& color) {
        if (const std::string* text = Text(node, name)) Checked(node, [&] { color = ParseColor(*text, name); });
    }

    void ReadFrame(const toml::node& node, TSlideEntry& slide) {
        const std::string* text = Text(node, "frame_color");
        if (text == nullptr) return;
        Checked(node, [&] {
            const std::optional<TColor> frame = ParseFrameColor(*text, "frame_color");
            slide.Framed = frame.has_value();
            slide.FrameColor = frame.value_or(clBlack);
        });
    }

    std::vector<std::string> CheckedPictures(const toml::node& node, const std::string& path) {
        const std::string resolved = Resolved(path);
        if (IsPictureFolder(resolved)) {
            std::vector<std::string> pictures;
            try {
                pictures = PicturesInFolder(resolved);
            } catch (const EOptionError& e) {
                Fault(node, e.Message());
            }
            if (pictures.empty()) Fault(node, "aucune image dans le dossier " + resolved);
            return pictures;
        }
        std::error_code error;
        if (!fs::is_regular_file(resolved, error) || !std::ifstream(resolved, std::ios::binary))
            Fault(node, "image introuvable ou illisible : " + resolved);
        return {resolved};
    }

    // A value's type check: the value when it has the wanted type, else a fault and nothing.
    const std::string* Text(const toml::node& node, std::string_view name) {
        if (const toml::value<std::string>* text = node.as_string()) return &text->get();
        Fault(node, Format("%s : attendu une chaîne entre guillemets", {std::string(name)}));
        return nullptr;
    }
    void Flag(const toml::node& node, std::string_view name, bool& flag) {
        if (const toml::value<bool>* value = node.as_boolean())
            flag = value->get();
        else
            Fault(node, Format("%s : attendu true ou false", {std::string(name)}));
    }
    std::optional<std::int64_t> Integer(const toml::node& node, std::string_view name, std::int64_t low,
                                        std::int64_t high) {
        const toml::value<std::int64_t>* value = node.as_integer();
        if (value != nullptr && value->get() >= low && value->get() <= high) return value->get();
        Fault(node, Format("%s : attendu un nombre entier de %s à %s",
                           {std::string(name), std::to_string(low), std::to_string(high)}));
        return std::nullopt;
    }
    const toml::table* Table(const toml::node& node, std::string_view name) {
        if (const toml::table* table = node.as_table()) return table;
        Fault(node, Format("%s : attendu une table [%s]", {std::string(name), std::string(name)}));
        return nullptr;
    }

    // Runs a value parser of the command line, its complaint becoming a fault of this line.
    template <typename Parse>
    void Checked(const toml::node& node, Parse parse) {
        try {
            parse();
        } catch (const EOptionError& e) {
            Fault(node, e.Message());
        }
    }

    void Unknown(const toml::key& key) {
        const std::int64_t line = key.source().begin.line;
        faults_.Add(Format("%s:%s : clé inconnue « %s »", {name_, std::to_string(line), std::string(key.str())}), line);
    }
    void Fault(const toml::node& node, const std::string& message) {
        faults_.Add(Where(node) + " : " + message, Line(node));
    }
    static std::int64_t Line(const toml::node& node) { return node.source().begin.line; }
    std::string Where(const toml::node& node) const { return name_ + ":" + std::to_string(Line(node)); }
    std::string Resolved(const std::string& path) const {
        const fs::path given(path);
        return (given.is_absolute() ? given : folder_ / given).string();
    }

    std::string name_;
    fs::path folder_;
    TPlanFaults faults_;
};

}  // namespace

TShowPlan ReadShowManifest(const std::string& manifestFile) {
    toml::table manifest;
    try {
        manifest = toml::parse_file(manifestFile);
    } catch (const toml::parse_error& e) {
        const toml::source_position where = e.source().begin;
        if (where.line == 0)
            throw EOptionError(Format("%s : manifeste illisible (%s)", {manifestFile, std::string(e.description())}));
        throw EOptionError(Format("%s:%s:%s : %s", {manifestFile, std::to_string(where.line), std::to_string(where.column),
                                                   TomlSyntaxMessage(e.description())}));
    }
    return TManifestReader(manifestFile).Read(manifest);
}

}  // namespace pellumo
