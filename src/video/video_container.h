#pragma once

#include <string>

#include "video/av_handles.h"
#include "video/video_codecs.h"

namespace pellumo {

// The container a video's streams are written into, at a path of the file system. Streams are
// added before Start, packets written after it, in any order of streams (they are interleaved
// by time), and Finish completes the file: until then it is not a video. Failures to write
// name the file as `shownName`.
class TVideoContainer {
public:
    TVideoContainer(const TVideoCodecs& codecs, const std::string& path, std::string shownName);

    // Whether encoders must keep their set-up apart from the packets (AV_CODEC_FLAG_GLOBAL_HEADER).
    bool NeedsGlobalHeader() const;
    // A stream coded by the open encoder; returns its index.
    int AddStream(const AVCodecContext& encoder);
    void Start();
    // Takes the packet, its times in the encoder's time base.
    void Write(int stream, AVPacket& packet, AVRational encoderTimeBase);
    void Finish();

private:
    [[noreturn]] void Fail(int code) const;

    std::string shownName_;
    TOutputFormat output_;
};

}  // namespace pellumo
