#include "show_writer.h"

#include <cstdio>
#include <filesystem>

#include "base/file_stream.h"
#include "base/replace_file.h"
#include "option_values.h"
#include "progress_bar.h"
#include "slide_pictures.h"
#include "temporary_output.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

// The player finds its music in its own folder, under the stored name.
void CopyMusicBeside(const std::string& musicFile, const std::string& output) {
    const fs::path target = fs::path(output).parent_path() / fs::path(musicFile).filename();
    std::error_code error;
    if (fs::equivalent(musicFile, target, error)) return;
    TFileStream source(musicFile, fmOpenRead | fmShareDenyNone);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(source.Size()));
    source.ReadBuffer(bytes.data(), bytes.size());
    WriteFileReplacing(target.string(), bytes);
}

}  // namespace

void WriteShow(const TShowPlan& plan, const std::string& player, const std::string& output) {
    TTemporaryOutput temporary(output);
    TPlanFaults unreadable;
    {
        TFileStream target(temporary.Path(), fmOpenReadWrite);
        TFileStream source(player, fmOpenRead | fmShareDenyNone);
        target.CopyFrom(source, 0);
        TCatalogueWriter writer(target, plan.header);
        TProgressBar progress(stderr, "Images", plan.slides.size());
        for (const TSlidePlan& slide : plan.slides) {
            try {
                const std::vector<std::uint8_t> jpeg = SlideJpegBytes(slide.picture, plan.jpegQuality, slide.settings.BackColor);
                if (unreadable.Empty()) writer.AddSlide(slide.settings, jpeg);
            } catch (const EOptionError& e) {
                unreadable.Add(slide.origin + " : " + e.Message());
            }
            progress.Step();
        }
        unreadable.RaiseIfAny();
        writer.Finish();
    }
    if (!plan.musicFile.empty()) CopyMusicBeside(plan.musicFile, output);
    temporary.CommitExecutable();
}

}  // namespace pellumo
