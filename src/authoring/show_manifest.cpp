#include "authoring/show_manifest.h"

#include <filesystem>
#include <fstream>
#include <limits>
#include <toml++/toml.h>

#include "authoring/option_values.h"
#include "authoring/picture_folders.h"
#include "authoring/toml_errors.h"
#include "base/format.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

// Reads one manifest: keeps its name and folder for messages and paths.
class TManifestReader {
public:
    TManifestReader(const std::string& manifestFile, TPlanFaults& faults)
        : name_(manifestFile), folder_(fs::path(manifestFile).parent_path()), faults_(faults) {}

    TShowDocument Read(const toml::table& manifest) {
        TShowSettings settings;
        TSlideValues defaults;
        TSourceLines settingsLines, defaultsLines;
        for (auto&& [key, node] : manifest) {
            const std::string_view name = key.str();
            if (name != "slides" && name != "defaults") settingsLines.keys[std::string(name)] = Line(node);
            if (name == "music") {
                if (const std::string* music = Text(node, name)) settings.music = Resolved(*music);
            } else if (name == "loop") {
                Flag(node, name, settings.loop);
            } else if (name == "copy_allowed") {
                Flag(node, name, settings.copyAllowed);
            } else if (name == "fine_resize") {
                Flag(node, name, settings.fineResize);
            } else if (name == "color_management") {
                Flag(node, name, settings.colorManagement);
            } else if (name == "portable") {
                Flag(node, name, settings.portable);
            } else if (name == "quality") {
                if (const auto quality = Integer(node, name, 1, 100)) settings.jpegQuality = static_cast<int>(*quality);
            } else if (name == "defaults") {
                defaultsLines.table = Line(node);
                if (const toml::table* table = Table(node, name)) ReadSlideKeys(*table, defaults, defaultsLines, false);
            } else if (name != "slides") {
                Unknown(key);
            }
        }
        TShowDocument document;
        document.SetSource(name_, std::move(settingsLines), std::move(defaultsLines));
        document.SetSettings(settings);
        document.SetDefaults(defaults);
        document.InsertSlides(0, ReadSlides(manifest));
        return document;
    }

private:
    std::vector<TDocumentSlide> ReadSlides(const toml::table& manifest) {
        std::vector<TDocumentSlide> slides;
        const toml::array* tables = manifest["slides"].as_array();
        if (tables == nullptr || tables->empty()) {
            faults_.Add(name_ + " : aucune diapositive ([[slides]] avec picture = \"...\")", 0);
            return slides;
        }
        for (const toml::node& node : *tables) {
            const toml::table* table = node.as_table();
            if (table == nullptr) {
                Fault(node, "slides : chaque diapositive est une table [[slides]]");
                continue;
            }
            TDocumentSlide slide;
            slide.source.lines.table = Line(node);
            ReadSlideKeys(*table, slide.values, slide.source.lines, true);
            // Without a picture the slide stays, for PlanShow to tell; with a picture that is
            // no text there is nothing to keep.
            if (const toml::node* picture = table->get("picture")) {
                const std::string* path = Text(*picture, "picture");
                if (path == nullptr) continue;
                slide.picture = Resolved(*path);
                CheckPicture(*picture, slide.picture);
            }
            slides.push_back(std::move(slide));
        }
        return slides;
    }

    void ReadSlideKeys(const toml::table& table, TSlideValues& values, TSourceLines& lines, bool isSlide) {
        for (auto&& [key, node] : table) {
            const std::string_view name = key.str();
            lines.keys[std::string(name)] = Line(node);
            if (name == "duration") {
                if (const auto seconds = Integer(node, name, 0, std::numeric_limits<std::int32_t>::max()))
                    values.duration = static_cast<std::int32_t>(*seconds);
            } else if (name == "style") {
                ReadStyle(node, values);
            } else if (name == "caption") {
                if (const std::string* caption = Text(node, name)) values.caption = *caption;
            } else if (name == "caption_color") {
                ReadColor(node, name, values.captionColor);
            } else if (name == "back_color") {
                ReadColor(node, name, values.backColor);
            } else if (name == "frame_color") {
                ReadFrame(node, values);
            } else if (!(isSlide && name == "picture")) {
                Unknown(key);
            }
        }
    }

    void ReadStyle(const toml::node& node, TSlideValues& values) {
        if (const toml::value<std::int64_t>* number = node.as_integer()) {
            if (number->get() < 0 || number->get() > 127)
                Fault(node, Format("style : %s hors de 0..127", {std::to_string(number->get())}));
            else
                values.style = static_cast<std::uint8_t>(number->get());
        } else if (const std::string* name = Text(node, "style")) {
            Checked(node, [&] { values.style = ParseStyle(*name, "style"); });
        }
    }

    void ReadColor(const toml::node& node, std::string_view name, std::optional<TColor>& color) {
        if (const std::string* text = Text(node, name)) Checked(node, [&] { color = ParseColor(*text, name); });
    }

    void ReadFrame(const toml::node& node, TSlideValues& values) {
        const std::string* text = Text(node, "frame_color");
        if (text == nullptr) return;
        Checked(node, [&] {
            const std::optional<TColor> frame = ParseFrameColor(*text, "frame_color");
            values.frameColor = frame ? TFrameColor::Of(*frame) : TFrameColor::None();
        });
    }

    // A folder is PlanShow's to look into; a picture file must be there to be read.
    void CheckPicture(const toml::node& node, const std::string& resolved) {
        if (IsPictureFolder(resolved)) return;
        std::error_code error;
        if (!fs::is_regular_file(resolved, error) || !std::ifstream(resolved, std::ios::binary))
            Fault(node, "image introuvable ou illisible : " + resolved);
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
    TPlanFaults& faults_;
};

}  // namespace

TShowDocument ReadManifest(const std::string& manifestFile, TPlanFaults& faults) {
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
    return TManifestReader(manifestFile, faults).Read(manifest);
}

TShowDocument ReadManifest(const std::string& manifestFile) {
    TPlanFaults faults;
    TShowDocument document = ReadManifest(manifestFile, faults);
    PlanShow(document, faults);
    faults.RaiseIfAny();
    return document;
}

}  // namespace pellumo
