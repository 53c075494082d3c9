#include "video_command.h"

#include <optional>

#include "authoring/option_values.h"
#include "authoring/output_guard.h"
#include "authoring/show_video.h"
#include "progress_bar.h"
#include "size_text.h"
#include "video/video_export.h"

namespace pellumo {
namespace {

TVideoFormat FormatOf(const TVideoRequest& request) {
    const TSize size = ParseSize(request.size, "--size");
    TVideoFormat format;
    format.width = size.Width;
    format.height = size.Height;
    format.framesPerSecond = request.framesPerSecond;
    format.restSeconds = request.restSeconds;
    CheckVideoFormat(format);  // before the show's pictures are read, which may take a while
    CheckRange(request.quality, kMinVideoQuality, kMaxVideoQuality, "--quality");
    return format;
}

}  // namespace

void RunVideo(const TVideoRequest& request, std::ostream& report, std::ostream& notes) {
    const TVideoFormat format = FormatOf(request);
    VideoCodecsFor(request.output);
    CheckOutputTarget(request.output, {request.input}, request.force);

    std::optional<TProgressBar> bar;
    const TVideoShow show = LoadVideoShow(request.input, ProgressOnBar(bar, "Images"));
    // Music may come in a video container too: never write over it.
    if (!show.musicPath.empty()) CheckOutputTarget(request.output, {request.input, show.musicPath}, request.force);
    bar.reset();
    const TVideoExport video = ExportVideo(show, format, request.quality, request.output, ProgressOnBar(bar, "Vidéo"));
    bar.reset();

    for (const std::string& note : video.notes) notes << note << '\n';
    for (const std::string& warning : video.warnings) notes << "attention : " << warning << '\n';
    report << request.output << " : " << format.width << 'x' << format.height << ", " << format.framesPerSecond
           << " images/s, " << LengthText(video.frames / format.framesPerSecond) << ", "
           << (video.withSound ? "avec musique, " : "sans son, ") << SizeText(video.bytes) << '\n';
}

}  // namespace pellumo
