#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/show_document.h"
#include "authoring/show_writer.h"

namespace pellumo {

// What taking a show apart into a folder gives: the document that builds the show again, its
// paths inside the folder, and where the bytes of its files come from.
struct TExtractedShow {
    // Where a slide's JPEG lies in the show file.
    struct TByteRange {
        std::int64_t offset = 0;
        std::int64_t size = 0;
    };

    std::string showFile;
    std::string folder;
    TShowDocument document;
    std::vector<TByteRange> pictures;  // one for each slide of the document, in order
    std::string musicFile;             // the music beside the show, to be copied; empty when none is there
    TByteRange carriedMusic;           // else the music a portable show carries, when its size is not 0
    std::string missingMusic;          // the music the show names (UTF-8) when it is not beside it
    // The numbers (from 1) of the records without a picture: they play nothing, and a manifest
    // cannot say so, so they are left out.
    std::vector<std::size_t> omittedSlides;
};

// The manifest that extraction writes beside the pictures.
inline constexpr const char* kExtractedManifestName = "show.toml";

// Reads the show a file carries and plans its extraction into `folder`: each slide's JPEG as
// slide-001.jpg, ... with every value spelled out in its [[slides]] table, the music under its
// own name (beside the show, else the one a portable show carries), and `portable` set for a
// portable show. Reads no picture yet. Raises ECatalogueError when the file carries no show or a
// slide's picture lies outside the file.
TExtractedShow ExtractShow(const std::string& showFile, const std::string& folder);

// Writes the pictures, the music and the manifest (ManifestText) into the folder, made when
// missing. Refuses (EOptionError naming them), writing nothing, when any of these files is
// there already; a failure part way, or a cancel (EWriteCancelled), takes back what was
// written, the folder too when it was made for them: all of the files appear or none.
void WriteExtractedShow(const TExtractedShow& show, const TWriteProgress& progress = {});

}  // namespace pellumo
