#include "build_command.h"

#include <filesystem>
#include <system_error>

#include "option_values.h"
#include "show_manifest.h"
#include "show_writer.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

std::string DefaultPlayer() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) throw EOptionError("Impossible de trouver le lecteur pellumo ; indiquez-le avec --player");
    return (self.parent_path() / "pellumo").string();
}

// Runs a value parser on an option that was given, its complaint becoming one of the faults.
template <typename Parse>
void ParseGiven(const std::optional<std::string>& value, TPlanFaults& faults, Parse parse) {
    if (!value) return;
    try {
        parse(*value);
    } catch (const EOptionError& e) {
        faults.Add(e.Message());
    }
}

TShowPlan PlanFromOptions(const TBuildRequest& request) {
    TPlanFaults faults;
    TShowPlan plan;
    if (!request.music.empty()) {
        plan.musicFile = request.music;
        plan.header.MusicFileName = MusicNameOf(request.music, "--music", faults);
    }
    plan.header.LoopShow = request.loop;
    plan.header.CopyAllowed = request.copyAllowed;
    plan.header.FineResize = request.fineResize;

    TSlideEntry settings = DefaultSlideSettings();
    ParseGiven(request.duration, faults, [&](auto& text) { settings.Duration = ParseDuration(text, "--duration"); });
    ParseGiven(request.style, faults, [&](auto& text) { settings.TransitionStyle = ParseStyle(text, "--style"); });
    ParseGiven(request.caption, faults,
               [&](auto& text) { settings.Caption.Assign(ParseShowText(text, "--caption")); });
    ParseGiven(request.captionColor, faults,
               [&](auto& text) { settings.CaptionColor = ParseColor(text, "--caption-color"); });
    ParseGiven(request.backColor, faults, [&](auto& text) { settings.BackColor = ParseColor(text, "--back-color"); });
    ParseGiven(request.frameColor, faults, [&](auto& text) {
        settings.FrameColor = ParseColor(text, "--frame-color");
        settings.Framed = true;
    });
    for (std::size_t i = 0; i < request.pictures.size(); ++i)
        plan.slides.push_back({request.pictures[i], settings, "diapositive " + std::to_string(i + 1)});
    faults.RaiseIfAny();
    return plan;
}

}  // namespace

void RunBuild(const TBuildRequest& request) {
    TShowPlan plan = request.manifest.empty() ? PlanFromOptions(request) : ReadShowManifest(request.manifest);
    if (request.quality) plan.jpegQuality = *request.quality;
    WriteShow(plan, request.player.empty() ? DefaultPlayer() : request.player, request.output);
}

}  // namespace pellumo
