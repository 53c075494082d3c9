#include "authoring/show_extraction.h"

#include <algorithm>
#include <filesystem>
#include <span>

#include "authoring/manifest_writer.h"
#include "authoring/option_values.h"
#include "authoring/show_reading.h"
#include "base/ansi_text.h"
#include "base/file_stream.h"
#include "base/format.h"
#include "base/replace_file.h"
#include "player/portable_sections.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

std::string PictureName(std::size_t index, std::size_t count) {
    const std::size_t digits = std::max<std::size_t>(3, std::to_string(count).size());
    std::string number = std::to_string(index + 1);
    number.insert(0, digits - number.size(), '0');
    return "slide-" + number + ".jpg";
}

std::vector<std::uint8_t> ReadRange(TFileStream& file, std::int64_t offset, std::int64_t size) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    file.SetPosition(offset);
    file.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

// Every value spelled out, so that the manifest says all that the show does.
TDocumentSlide DocumentSlide(const TSlideEntry& entry, std::string picture) {
    TDocumentSlide slide;
    slide.picture = std::move(picture);
    const std::uint8_t style = SlideStyle(entry.TransitionStyle);
    slide.values.duration = entry.Duration;
    slide.values.style = style;
    slide.values.caption = AnsiToUtf8(entry.Caption.Text());
    slide.values.captionColor = entry.CaptionColor;
    slide.values.backColor = entry.BackColor;
    slide.values.frameColor = entry.Framed ? TFrameColor::Of(entry.FrameColor) : TFrameColor::None();
    if (entry.TransitionStyle != style) slide.source.storedStyle = entry.TransitionStyle;
    return slide;
}

}  // namespace

TExtractedShow ExtractShow(const std::string& showFile, const std::string& folder) {
    const TCatalogue show = ReadShowFile(showFile);
    TFileStream file(showFile, fmOpenRead | fmShareDenyNone);
    const std::int64_t fileSize = file.Size();

    TExtractedShow extracted;
    extracted.showFile = showFile;
    extracted.folder = folder;
    std::vector<const TSlideEntry*> kept;
    for (std::size_t i = 0; i < show.Slides.size(); ++i) {
        const TSlideEntry& slide = show.Slides[i];
        if (slide.DataSize <= 0) {
            extracted.omittedSlides.push_back(i + 1);
            continue;
        }
        if (slide.DataOffset < 0 || std::int64_t{slide.DataOffset} + slide.DataSize > fileSize)
            throw ECatalogueError(Format("%s : l'image de la diapositive %s sort du fichier",
                                         {showFile, std::to_string(i + 1)}));
        kept.push_back(&slide);
    }

    const fs::path target(folder);
    std::vector<TDocumentSlide> slides;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        slides.push_back(DocumentSlide(*kept[i], (target / PictureName(i, kept.size())).string()));
        extracted.pictures.push_back({kept[i]->DataOffset, kept[i]->DataSize});
    }
    TShowSettings settings;
    settings.loop = show.LoopShow;
    settings.copyAllowed = show.CopyAllowed;
    settings.fineResize = show.FineResize;
    // The stored pictures are what the show shows: a rebuild must store them as they are.
    settings.colorManagement = false;
    const std::optional<TPortableSections> portable = ReadPortableSections(file);
    settings.portable = portable.has_value();
    if (!show.MusicFileName.empty()) {
        const std::string name = AnsiToUtf8(show.MusicFileName);
        const fs::path music = fs::path(showFile).parent_path() / name;
        settings.music = (target / name).string();
        if (fs::is_regular_file(music))
            extracted.musicFile = music.string();
        else if (portable && portable->music)
            extracted.carriedMusic = {portable->music->offset, portable->music->size};
        else
            extracted.missingMusic = name;
    }
    extracted.document.SetSettings(settings);
    extracted.document.InsertSlides(0, std::move(slides));
    return extracted;
}

void WriteExtractedShow(const TExtractedShow& show, const TWriteProgress& progress) {
    const fs::path target(show.folder);
    const std::vector<TDocumentSlide>& slides = show.document.Slides();
    // The music keeps the name the show stores, whether it lay beside the show or inside it.
    const bool withMusic = !show.musicFile.empty() || show.carriedMusic.size > 0;
    const fs::path music = fs::path(show.document.Settings().music).filename();
    std::vector<std::string> planned;
    for (const TDocumentSlide& slide : slides) planned.push_back(fs::path(slide.picture).filename().string());
    planned.push_back(kExtractedManifestName);
    if (withMusic) planned.push_back(music.string());
    std::string existing;
    for (const std::string& name : planned)
        if (fs::exists(target / name)) existing += " " + name;
    if (!existing.empty())
        throw EOptionError(Format("%s : ces fichiers existent déjà, rien n'est écrit :%s", {show.folder, existing}));

    // A failure part way (a full disk) takes back what was written, the folder too when it
    // was made for them: the command leaves all of its files or none.
    std::error_code error;
    const bool folderExisted = fs::exists(target, error);
    std::vector<fs::path> written;
    try {
        fs::create_directories(target);
        const auto write = [&](const fs::path& path, std::span<const std::uint8_t> bytes) {
            if (progress.cancelled && progress.cancelled()) throw EWriteCancelled();
            WriteFileReplacing(path.string(), bytes);
            written.push_back(path);
            if (progress.step) progress.step(written.size(), planned.size());
        };
        if (progress.step) progress.step(0, planned.size());
        TFileStream file(show.showFile, fmOpenRead | fmShareDenyNone);
        for (std::size_t i = 0; i < slides.size() && i < show.pictures.size(); ++i)
            write(slides[i].picture, ReadRange(file, show.pictures[i].offset, show.pictures[i].size));
        if (!show.musicFile.empty()) {
            TFileStream musicFile(show.musicFile, fmOpenRead | fmShareDenyNone);
            write(target / music, ReadRange(musicFile, 0, musicFile.Size()));
        } else if (withMusic) {
            write(target / music, ReadRange(file, show.carriedMusic.offset, show.carriedMusic.size));
        }
        const std::string manifest = ManifestText(show.document, show.folder);
        write(target / kExtractedManifestName,
              std::span(reinterpret_cast<const std::uint8_t*>(manifest.data()), manifest.size()));
    } catch (...) {
        for (const fs::path& done : written) fs::remove(done, error);
        if (!folderExisted) fs::remove(target, error);
        throw;
    }
}

}  // namespace pellumo
