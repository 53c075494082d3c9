#include "build_command.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "base/file_stream.h"
#include "base/format.h"
#include "base/memory_stream.h"
#include "option_values.h"
#include "player/catalogue.h"
#include "raster/jpeg_image.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

// The output under construction: a hidden file in the output's own folder, so the final
// rename stays on one file system and is atomic; removed unless committed.
class TTemporaryOutput {
public:
    explicit TTemporaryOutput(const std::string& output) : output_(output) {
        const fs::path folder = fs::path(output).parent_path();
        std::string pattern = ((folder.empty() ? fs::path(".") : folder) / ".pellumo-pack-XXXXXX").string();
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) throw EFCreateError(output);
        ::close(fd);
        path_ = pattern;
    }
    ~TTemporaryOutput() {
        if (!committed_) ::unlink(path_.c_str());
    }
    TTemporaryOutput(const TTemporaryOutput&) = delete;
    TTemporaryOutput& operator=(const TTemporaryOutput&) = delete;

    const std::string& Path() const { return path_; }

    void Commit() {
        std::error_code error;
        fs::permissions(path_, fs::perms(0755), fs::perm_options::replace, error);
        if (error || ::rename(path_.c_str(), output_.c_str()) != 0) throw EFCreateError(output_);
        committed_ = true;
    }

private:
    std::string output_;
    std::string path_;
    bool committed_ = false;
};

std::string DefaultPlayer() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) throw EOptionError("Impossible de trouver le lecteur pellumo ; indiquez-le avec --player");
    return (self.parent_path() / "pellumo").string();
}

// The file's bytes, once its header has been read as JPEG; anything else is refused here
// rather than failing when the show plays.
std::vector<std::uint8_t> ReadJpeg(const std::string& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyNone);
    const std::int64_t size = file.Size();
    // A show addresses at most 2 GiB; checking first keeps a huge file from being loaded.
    if (size > std::int64_t{0x7FFFFFFF})
        throw ECatalogueError(Format("%s : fichier trop grand pour un diaporama", {fileName}));
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    file.ReadBuffer(bytes.data(), bytes.size());
    try {
        TMemoryStream stream(bytes);
        TJPEGImage image;
        image.LoadFromStream(stream);
    } catch (const Exception& e) {
        throw EOptionError(Format("%s : ce n'est pas une image JPEG lisible (%s)", {fileName, e.Message()}));
    }
    return bytes;
}

}  // namespace

void RunBuild(const TBuildRequest& request) {
    TCatalogue header;
    header.MusicFileName = ParseShowText(request.music, "--music");
    header.LoopShow = request.loop;
    header.CopyAllowed = request.copyAllowed;
    header.FineResize = request.fineResize;

    TSlideEntry settings;
    settings.Duration = ParseDuration(request.duration, "--duration");
    settings.TransitionStyle = ParseStyle(request.style, "--style");
    settings.Caption.Assign(ParseShowText(request.caption, "--caption"));
    settings.CaptionColor = ParseColor(request.captionColor, "--caption-color");
    settings.BackColor = ParseColor(request.backColor, "--back-color");
    if (request.frameColor) {
        settings.FrameColor = ParseColor(*request.frameColor, "--frame-color");
        settings.Framed = true;
    }

    const std::string player = request.player.empty() ? DefaultPlayer() : request.player;
    TTemporaryOutput output(request.output);
    {
        TFileStream target(output.Path(), fmOpenReadWrite);
        TFileStream source(player, fmOpenRead | fmShareDenyNone);
        target.CopyFrom(source, 0);
        TCatalogueWriter writer(target, header);
        for (const std::string& picture : request.pictures) writer.AddSlide(settings, ReadJpeg(picture));
        writer.Finish();
    }
    output.Commit();
}

}  // namespace pellumo
