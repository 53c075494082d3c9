#include "build_command.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

#include "authoring/option_values.h"
#include "authoring/output_guard.h"
#include "authoring/show_document.h"
#include "authoring/show_manifest.h"
#include "authoring/show_reading.h"
#include "authoring/show_writer.h"
#include "base/format.h"
#include "progress_bar.h"
#include "size_text.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

// The player installed with pellumo-pack, or for a portable show the runtime installed with it.
std::string DefaultPlayer(bool portable) {
    std::error_code error;
    const fs::path folder = fs::read_symlink("/proc/self/exe", error).parent_path();
    std::string player;
    if (!error) player = portable ? PortableRuntimeNear(folder.string()) : (folder / "pellumo").string();
    if (player.empty())
        throw EOptionError(std::string("Impossible de trouver le lecteur ") + (portable ? kPortableRuntimeName : "pellumo") +
                           " ; indiquez-le avec --player");
    return player;
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

// The document the options describe: every value given is checked here, in the options' own
// words, and only those that hold go into the document; PlanShow then looks into the folders.
TShowDocument DocumentFromOptions(const TBuildRequest& request, TPlanFaults& faults) {
    TShowSettings settings;
    if (!request.music.empty() && !MusicNameOf(request.music, "--music", faults).empty()) settings.music = request.music;
    settings.loop = request.loop;
    settings.copyAllowed = request.copyAllowed;
    settings.fineResize = request.fineResize;

    TSlideValues defaults;
    ParseGiven(request.duration, faults, [&](auto& text) { defaults.duration = ParseDuration(text, "--duration"); });
    ParseGiven(request.style, faults, [&](auto& text) { defaults.style = ParseStyle(text, "--style"); });
    ParseGiven(request.caption, faults, [&](auto& text) {
        ParseShowText(text, "--caption");
        defaults.caption = text;
    });
    ParseGiven(request.captionColor, faults,
               [&](auto& text) { defaults.captionColor = ParseColor(text, "--caption-color"); });
    ParseGiven(request.backColor, faults, [&](auto& text) { defaults.backColor = ParseColor(text, "--back-color"); });
    ParseGiven(request.frameColor, faults, [&](auto& text) {
        const std::optional<TColor> frame = ParseFrameColor(text, "--frame-color");
        defaults.frameColor = frame ? TFrameColor::Of(*frame) : TFrameColor::None();
    });

    std::vector<TDocumentSlide> slides;
    for (const std::string& picture : request.pictures) slides.push_back({picture, {}, {}});
    TShowDocument document;
    document.SetSettings(settings);
    document.SetDefaults(defaults);
    document.InsertSlides(0, std::move(slides));
    return document;
}

// request -> document -> plan: every fault of the request, wherever found, told together.
TShowPlan PlanOf(const TBuildRequest& request) {
    TPlanFaults faults;
    TShowDocument document =
        request.manifest.empty() ? DocumentFromOptions(request, faults) : ReadManifest(request.manifest, faults);
    TShowSettings settings = document.Settings();
    if (request.quality) settings.jpegQuality = *request.quality;
    if (request.noColorManagement) settings.colorManagement = false;
    if (request.portable) settings.portable = true;
    document.SetSettings(settings);
    TShowPlan plan = PlanShow(document, faults);
    faults.RaiseIfAny();
    return plan;
}

// Every file the build reads; none of them may be replaced by what it writes.
std::vector<std::string> BuildInputs(const TBuildRequest& request, const TShowPlan& plan, const std::string& player) {
    std::vector<std::string> inputs{player};
    if (!request.manifest.empty()) inputs.push_back(request.manifest);
    if (!plan.musicFile.empty()) inputs.push_back(plan.musicFile);
    for (const TSlidePlan& slide : plan.slides) inputs.push_back(slide.picture);
    return inputs;
}

// Whether the music must be copied beside the output: not when it is already there, as the
// same file or the same bytes. Another file of its name is replaced only when forced.
bool MusicToCopy(const TShowPlan& plan, const std::string& output, const std::vector<std::string>& inputs, bool force) {
    if (plan.musicFile.empty() || plan.portable) return false;
    const TMusicPlace place = MusicBesideOutput(plan.musicFile, output);
    if (place.state == mbInPlace) return false;
    try {
        CheckOutputTarget(place.beside, inputs, force);
    } catch (const EOptionError&) {
        throw EOptionError(Format("%s : une autre musique de ce nom est déjà à côté du diaporama ; "
                                  "--force pour la remplacer par %s",
                                  {place.beside, plan.musicFile}));
    }
    return true;
}

}  // namespace

void RunBuild(const TBuildRequest& request, std::ostream& report) {
    const TShowPlan plan = PlanOf(request);
    const std::string player = request.player.empty() ? DefaultPlayer(plan.portable) : request.player;
    const std::vector<std::string> inputs = BuildInputs(request, plan, player);
    CheckOutputTarget(request.output, inputs, request.force, IsShowFile(request.output));
    const bool copyMusic = MusicToCopy(plan, request.output, inputs, request.force);

    std::optional<TProgressBar> bar;
    const std::int64_t size = WriteShow(plan, player, request.output, copyMusic, ProgressOnBar(bar, "Images"));
    const std::size_t slides = plan.slides.size();
    report << request.output << " : " << slides << (slides == 1 ? " diapositive, " : " diapositives, ") << SizeText(size);
    if (plan.portable) report << ", portable";
    if (!plan.musicFile.empty())
        report << ", musique « " << fs::path(plan.musicFile).filename().string() << " » "
               << (plan.portable ? "emportée" : copyMusic ? "copiée à côté" : "déjà à côté");
    report << '\n';
}

}  // namespace pellumo
