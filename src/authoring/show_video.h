#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "authoring/show_document.h"
#include "authoring/show_writer.h"
#include "player/catalogue.h"
#include "raster/bitmap.h"

namespace pellumo {

// The screen a video shows the show on, and how long a resting slide (duration 0) stays.
// TShowVideoFrames refuses (EOptionError) a size outside 16x16..7680x4320, a rate outside
// 1..120 frames a second and a rest outside 1..3600 seconds.
struct TVideoFormat {
    int width = 1920;
    int height = 1080;
    int framesPerSecond = 30;
    int restSeconds = 5;
};

// What a video may be: 16 x 16 to 7680 x 4320 pixels, 1 to 120 frames a second, a resting
// slide shown 1 to 3600 seconds.
constexpr int kMinVideoSide = 16, kMaxVideoWidth = 7680, kMaxVideoHeight = 4320;
constexpr int kMaxVideoFramesPerSecond = 120;
constexpr int kMaxVideoRestSeconds = 3600;
// Raises EOptionError, naming the command's option, for a format beyond those limits.
void CheckVideoFormat(const TVideoFormat& format);

// A show ready to be filmed: its slides as the player reads them, each with its JPEG bytes,
// and the music that plays with it (a path, empty for none).
struct TVideoShow {
    TCatalogue catalogue;
    std::vector<std::vector<std::uint8_t>> pictures;  // one per catalogue slide
    std::string musicPath;  // UTF-8; the music lying beside the show or manifest, if any
};

// Reads a show file, or a manifest (a name ending in .toml) whose pictures are taken in as a
// build takes them (in memory, nothing written). Progress and cancel as for a build. The music
// is the file the player would play beside the show, or the manifest's music file; none when
// it is not there.
TVideoShow LoadVideoShow(const std::string& showOrManifest, const TWriteProgress& progress = {});
// The same for a document as it stands (the editor's, perhaps unsaved): planned and taken in
// as a build of it would be.
TVideoShow LoadVideoShow(const TShowDocument& document, const TWriteProgress& progress = {});

// The frames of one pass through the show as the player shows it on a screen of the format's
// size: each slide fitted, framed and captioned for its duration, the transition into it at
// the control's pace. A slide's duration counts from the start of its transition, so the video
// lasts the sum of the slides' durations; a slide whose picture does not decode leaves the
// screen as it was for its time, as in the player. Raises EOptionError for a format out of
// range, a show without slides, or a video beyond kMaxVideoFrames (video_timeline.h).
//
// The show is read, not copied: it must outlive the frames.
class TShowVideoFrames {
public:
    TShowVideoFrames(const TVideoShow& show, const TVideoFormat& format);
    TShowVideoFrames(TVideoShow&& show, const TVideoFormat& format) = delete;
    ~TShowVideoFrames();

    std::int64_t FrameCount() const;
    // Frame `index` (0 <= index < FrameCount()) as a 32-bit bitmap of the format's size (rows
    // blue-green-red-unused, the fourth byte meaning nothing). Asked in increasing order, each
    // costs at most one frame's composition, and a frame of a slide after its transition none
    // at all; asked out of order, the show is played again from its start up to the index
    // (each slide's picture decoded, no frame composed on the way). The bitmap stays valid
    // until the next call.
    const TBitmap& Frame(std::int64_t index);
    // Things a person should know about the video, one line each, in French like the rest of
    // the tool's messages: resting slides shown for restSeconds (known from the start), and
    // slides whose picture does not decode (known once their frames have been asked for).
    const std::vector<std::string>& Notes() const;

private:
    struct TState;
    std::unique_ptr<TState> state_;
};

}  // namespace pellumo
