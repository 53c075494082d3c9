#include "extract_command.h"

#include <algorithm>
#include <filesystem>

#include "base/ansi_text.h"
#include "base/file_stream.h"
#include "base/format.h"
#include "base/replace_file.h"
#include "manifest_writer.h"
#include "option_values.h"
#include "show_reading.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

constexpr const char* kManifestName = "show.toml";

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

}  // namespace

void RunExtract(const std::string& showFile, const std::string& folder, std::ostream& notes) {
    TCatalogue show = ReadShowFile(showFile);
    TFileStream file(showFile, fmOpenRead | fmShareDenyNone);
    const std::int64_t fileSize = file.Size();

    // A record without a picture plays nothing; a manifest cannot say so, so it is left out.
    TCatalogue kept = show;
    kept.Slides.clear();
    for (std::size_t i = 0; i < show.Slides.size(); ++i) {
        const TSlideEntry& slide = show.Slides[i];
        if (slide.DataSize <= 0) {
            notes << Format("diapositive %s sans image : omise\n", {std::to_string(i + 1)});
            continue;
        }
        if (slide.DataOffset < 0 || std::int64_t{slide.DataOffset} + slide.DataSize > fileSize)
            throw ECatalogueError(Format("%s : l'image de la diapositive %s sort du fichier",
                                         {showFile, std::to_string(i + 1)}));
        kept.Slides.push_back(slide);
    }

    const fs::path target(folder);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < kept.Slides.size(); ++i) names.push_back(PictureName(i, kept.Slides.size()));
    const fs::path music = fs::path(showFile).parent_path() / AnsiToUtf8(show.MusicFileName);
    const bool musicBeside = !show.MusicFileName.empty() && fs::is_regular_file(music);

    std::vector<std::string> planned = names;
    planned.push_back(kManifestName);
    if (musicBeside) planned.push_back(music.filename().string());
    std::string existing;
    for (const std::string& name : planned)
        if (fs::exists(target / name)) existing += " " + name;
    if (!existing.empty())
        throw EOptionError(Format("%s : ces fichiers existent déjà, rien n'est écrit :%s", {folder, existing}));

    // A failure part way (a full disk) takes back what was written, the folder too when it
    // was made for them: the command leaves all of its files or none.
    std::error_code error;
    const bool folderExisted = fs::exists(target, error);
    std::vector<fs::path> written;
    try {
        fs::create_directories(target);
        const auto write = [&](const fs::path& path, std::span<const std::uint8_t> bytes) {
            WriteFileReplacing(path.string(), bytes);
            written.push_back(path);
        };
        for (std::size_t i = 0; i < kept.Slides.size(); ++i)
            write(target / names[i], ReadRange(file, kept.Slides[i].DataOffset, kept.Slides[i].DataSize));
        if (musicBeside) {
            TFileStream musicFile(music.string(), fmOpenRead | fmShareDenyNone);
            write(target / music.filename(), ReadRange(musicFile, 0, musicFile.Size()));
        }
        const std::string manifest = ShowManifestText(kept, names);
        write(target / kManifestName,
              std::span(reinterpret_cast<const std::uint8_t*>(manifest.data()), manifest.size()));
    } catch (...) {
        for (const fs::path& done : written) fs::remove(done, error);
        if (!folderExisted) fs::remove(target, error);
        throw;
    }
    if (!musicBeside && !show.MusicFileName.empty())
        notes << Format("musique « %s » absente à côté du diaporama : le manifeste la nomme, mettez-la à côté\n",
                        {AnsiToUtf8(show.MusicFileName)});
}

}  // namespace pellumo
