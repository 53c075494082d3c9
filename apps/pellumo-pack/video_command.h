#pragma once

#include <ostream>
#include <string>

#include "video/video_codecs.h"

namespace pellumo {

// What `pellumo-pack video` was asked for, as typed; RunVideo checks every value before any
// work.
struct TVideoRequest {
    std::string input;  // a show file, or a manifest (.toml)
    std::string output;
    std::string size = "1920x1080";
    int framesPerSecond = 30;
    int quality = kDefaultVideoQuality;
    int restSeconds = 5;
    bool force = false;  // replace an existing file
};

// Films the show into a video file, which appears whole or not at all: refuses before any
// work an output that is not .mp4 or .webm, the show's file, or an existing file unless
// forced; and, once the show is read, its music. Draws a bar on a terminal while it works,
// tells its notes and warnings on `notes` and what it wrote in one line on `report`.
void RunVideo(const TVideoRequest& request, std::ostream& report, std::ostream& notes);

}  // namespace pellumo
