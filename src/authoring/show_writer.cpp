#include "authoring/show_writer.h"

#include <filesystem>

#include "authoring/option_values.h"
#include "authoring/planned_pictures.h"
#include "base/file_stream.h"
#include "base/replace_file.h"
#include "base/temporary_file.h"
#include "player/portable_sections.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> FileBytes(const std::string& file) {
    TFileStream source(file, fmOpenRead | fmShareDenyNone);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(source.Size()));
    source.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

// The player finds its music in its own folder, under the stored name.
void CopyMusicBeside(const std::string& musicFile, const std::string& output) {
    WriteFileReplacing((fs::path(output).parent_path() / fs::path(musicFile).filename()).string(), FileBytes(musicFile));
}

}  // namespace

std::string PortableRuntimeNear(const std::string& programFolder) {
    const fs::path folder(programFolder);
    std::error_code error;
    for (const fs::path& candidate : {folder / kPortableRuntimeName, folder / ".." / "lib" / "pellumo" / kPortableRuntimeName})
        if (fs::is_regular_file(candidate, error)) return candidate.lexically_normal().string();
    return {};
}

std::int64_t WriteShow(const TShowPlan& plan, const std::string& player, const std::string& output, bool copyMusic,
                       const TWriteProgress& progress) {
    TTemporaryFile temporary(output);
    std::int64_t size = 0;
    {
        TFileStream target(temporary.Path(), fmOpenReadWrite);
        TFileStream source(player, fmOpenRead | fmShareDenyNone);
        if (plan.portable && !ReadPortableSections(source))
            throw EOptionError(player + " : ce n'est pas le lecteur des diaporamas portables (pellumo-portable)");
        target.CopyFrom(source, 0);
        if (plan.portable && !plan.musicFile.empty())
            WriteCarriedMusic(target, fs::path(plan.musicFile).filename().string(), FileBytes(plan.musicFile));
        TCatalogueWriter writer(target, plan.header);
        TakeInPictures(plan, progress, [&writer](const TSlidePlan& slide, std::vector<std::uint8_t> jpeg) {
            writer.AddSlide(slide.settings, jpeg);
        });
        writer.Finish();
        size = target.Size();
    }
    if (copyMusic && !plan.portable) CopyMusicBeside(plan.musicFile, output);
    temporary.Commit(0755);
    return size;
}

}  // namespace pellumo
