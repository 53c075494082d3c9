#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "authoring/show_document.h"
#include "player/catalogue.h"

namespace pellumo {

// One slide to be: where its picture comes from and how it plays. `origin` says where it was
// asked for ("show.toml:12", or the picture's own name on the command line) for messages.
struct TSlidePlan {
    std::string picture;
    TSlideEntry settings;
    std::string origin;
};

// A whole show to be written, every value already checked. The music is a file to copy beside
// the show; the show stores its name only, since the player looks for it in its own folder.
struct TShowPlan {
    // A show loops and lets its pictures be copied unless told otherwise.
    TShowPlan() {
        header.LoopShow = true;
        header.CopyAllowed = true;
    }

    TCatalogue header;  // MusicFileName, LoopShow, CopyAllowed, FineResize; no slides
    std::string musicFile;
    int jpegQuality = 90;
    bool colorManagement = true;  // pictures are converted to sRGB by their colour profiles
    bool portable = false;  // the show carries the player's libraries and its music (see WriteShow)
    std::vector<TSlidePlan> slides;
};

// What a slide plays with unless told otherwise: five seconds, style 56, a white caption (when
// there is one) on black, no frame.
TSlideEntry DefaultSlideSettings();

// Collects every fault of a request so they are reported together, each on its own line.
// Faults of a manifest carry their line and are told in line order.
class TPlanFaults {
public:
    void Add(std::string message, std::int64_t line = 0) { faults_.push_back({line, std::move(message)}); }
    bool Empty() const { return faults_.empty(); }
    // Raises EOptionError with all the messages when there is any.
    void RaiseIfAny();

private:
    struct TFault {
        std::int64_t line;
        std::string message;
    };
    std::vector<TFault> faults_;
};

// The stored name of a music file, which must be a readable regular file: its file name in
// Windows-1252, 80 bytes at most. Faults go to `faults`, prefixed with `origin`.
std::string MusicNameOf(const std::string& musicFile, const std::string& origin, TPlanFaults& faults,
                        std::int64_t line = 0);

// The values the slide at `index` plays with, every one given: the slide's own, else the
// defaults', else DefaultSlideSettings (no caption, no frame).
TSlideValues EffectiveSlideValues(const TShowDocument& document, std::size_t index);

// The show a document describes, ready for WriteShow: every slide value resolved (the slide's
// own, else the defaults', else DefaultSlideSettings) and checked (music readable and named in
// 80 bytes, captions Windows-1252 holds in 80 bytes, values in range), a folder's slide
// expanded into one slide per picture in it. Faults go to `faults`, named by the manifest's
// file and line when the document was read from one, else by the slide or the folder. The
// pictures themselves are read, and their faults told together, by WriteShow.
TShowPlan PlanShow(const TShowDocument& document, TPlanFaults& faults);
// The same, raising every fault together as EOptionError.
TShowPlan PlanShow(const TShowDocument& document);

}  // namespace pellumo
