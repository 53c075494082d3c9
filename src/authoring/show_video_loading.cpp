// Taking in a show or a manifest for its video: the show's slides and pictures as they stand,
// a manifest's planned and taken in as a build would.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <utility>

#include "authoring/planned_pictures.h"
#include "authoring/show_manifest.h"
#include "authoring/show_reading.h"
#include "authoring/show_video.h"
#include "base/file_stream.h"
#include "player/show_music.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

bool IsFile(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::is_regular_file(path, error);
}

bool IsManifestName(const std::string& path) {
    std::string extension = fs::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".toml";
}

// The plan a build would make, except that music which is not there leaves the video silent
// where a build would refuse the show.
TShowPlan PlanForVideo(const TShowDocument& document, TPlanFaults& faults) {
    if (document.Settings().music.empty() || IsFile(document.Settings().music)) return PlanShow(document, faults);
    TShowDocument silent = document;
    TShowSettings settings = silent.Settings();
    settings.music.clear();
    silent.SetSettings(settings);
    return PlanShow(silent, faults);
}

TVideoShow TakeInPlan(const TShowPlan& plan, const TWriteProgress& progress) {
    TVideoShow show;
    show.catalogue = plan.header;
    show.musicPath = plan.musicFile;
    TakeInPictures(plan, progress, [&show](const TSlidePlan& slide, std::vector<std::uint8_t> jpeg) {
        TSlideEntry entry = slide.settings;
        entry.DataSize = static_cast<std::int32_t>(jpeg.size());
        show.catalogue.Slides.push_back(entry);
        show.pictures.push_back(std::move(jpeg));
    });
    return show;
}

TVideoShow ReadShowForVideo(const std::string& showFile, const TWriteProgress& progress) {
    TVideoShow show;
    show.catalogue = ReadShowFile(showFile);
    const std::string music = MusicBesideShow(showFile, show.catalogue.MusicFileName);
    if (IsFile(music)) show.musicPath = music;

    TFileStream file(showFile, fmOpenRead | fmShareDenyNone);
    const std::int64_t size = file.Size();
    const std::size_t total = show.catalogue.Slides.size();
    if (progress.step) progress.step(0, total);
    for (const TSlideEntry& slide : show.catalogue.Slides) {
        if (progress.cancelled && progress.cancelled()) throw EWriteCancelled();
        // A picture running past the end of the file is one the player cannot read: no bytes.
        std::vector<std::uint8_t> bytes;
        if (std::int64_t{slide.DataOffset} + slide.DataSize <= size) {
            bytes.resize(static_cast<std::size_t>(slide.DataSize));
            file.SetPosition(slide.DataOffset);
            file.ReadBuffer(bytes.data(), bytes.size());
        }
        show.pictures.push_back(std::move(bytes));
        if (progress.step) progress.step(show.pictures.size(), total);
    }
    return show;
}

}  // namespace

TVideoShow LoadVideoShow(const std::string& showOrManifest, const TWriteProgress& progress) {
    if (!IsManifestName(showOrManifest)) return ReadShowForVideo(showOrManifest, progress);
    TPlanFaults faults;
    const TShowDocument document = ReadManifest(showOrManifest, faults);
    const TShowPlan plan = PlanForVideo(document, faults);
    faults.RaiseIfAny();
    return TakeInPlan(plan, progress);
}

TVideoShow LoadVideoShow(const TShowDocument& document, const TWriteProgress& progress) {
    TPlanFaults faults;
    const TShowPlan plan = PlanForVideo(document, faults);
    faults.RaiseIfAny();
    return TakeInPlan(plan, progress);
}

}  // namespace pellumo
