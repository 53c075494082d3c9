#include "authoring/show_writer.h"

#include <filesystem>

#include "authoring/option_values.h"
#include "authoring/slide_pictures.h"
#include "base/file_stream.h"
#include "base/replace_file.h"
#include "base/temporary_file.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

// The player finds its music in its own folder, under the stored name.
void CopyMusicBeside(const std::string& musicFile, const std::string& output) {
    TFileStream source(musicFile, fmOpenRead | fmShareDenyNone);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(source.Size()));
    source.ReadBuffer(bytes.data(), bytes.size());
    WriteFileReplacing((fs::path(output).parent_path() / fs::path(musicFile).filename()).string(), bytes);
}

}  // namespace

std::int64_t WriteShow(const TShowPlan& plan, const std::string& player, const std::string& output, bool copyMusic,
                       const TWriteProgress& progress) {
    const std::size_t total = plan.slides.size();
    const auto step = [&](std::size_t done) {
        if (progress.step) progress.step(done, total);
    };
    TTemporaryFile temporary(output);
    TPlanFaults unreadable;
    std::int64_t size = 0;
    {
        TFileStream target(temporary.Path(), fmOpenReadWrite);
        TFileStream source(player, fmOpenRead | fmShareDenyNone);
        target.CopyFrom(source, 0);
        TCatalogueWriter writer(target, plan.header);
        step(0);
        std::size_t done = 0;
        for (const TSlidePlan& slide : plan.slides) {
            if (progress.cancelled && progress.cancelled()) throw EWriteCancelled();
            try {
                const std::vector<std::uint8_t> jpeg =
                    SlideJpegBytes(slide.picture, plan.jpegQuality, slide.settings.BackColor, plan.colorManagement);
                if (unreadable.Empty()) writer.AddSlide(slide.settings, jpeg);
            } catch (const EOptionError& e) {
                unreadable.Add(slide.origin + " : " + e.Message());
            }
            step(++done);
        }
        unreadable.RaiseIfAny();
        writer.Finish();
        size = target.Size();
    }
    if (copyMusic) CopyMusicBeside(plan.musicFile, output);
    temporary.Commit(0755);
    return size;
}

}  // namespace pellumo
