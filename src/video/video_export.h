#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "authoring/show_video.h"
#include "authoring/show_writer.h"

namespace pellumo {

// What an export wrote, and what a person should know about it.
struct TVideoExport {
    std::int64_t bytes = 0;   // the video file's size
    std::int64_t frames = 0;  // its pictures
    bool withSound = false;
    std::vector<std::string> notes;     // about the show's timing (a resting slide's length)
    std::vector<std::string> warnings;  // about the sound (music that does not decode)
};

// Films one pass through the show, as the player shows it on a screen of the format's size,
// into `output`: H.264 and AAC in MP4, or VP9 and Opus in WebM when the name ends in .webm
// (any other name raises EOptionError). `quality` runs from 1 to 100 (see video_codecs.h).
// The show's music plays as in the player, looped, and fades out over the last second; music
// that does not decode gives a warning and a silent video. The file appears whole or not at
// all: it is written beside its name and renamed once complete, so a failure (EVideoError,
// EWriteError...) or a cancel (EWriteCancelled) leaves nothing. Progress counts frames.
TVideoExport ExportVideo(const TVideoShow& show, const TVideoFormat& format, int quality, const std::string& output,
                         const TWriteProgress& progress = {});

// "1:05", "1:02:05": a video's length, as players show it.
std::string LengthText(std::int64_t seconds);

}  // namespace pellumo
