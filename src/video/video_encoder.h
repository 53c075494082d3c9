#pragma once

#include <cstdint>
#include <vector>

#include "authoring/show_video.h"
#include "raster/bitmap.h"
#include "video/av_encoding.h"
#include "video/av_handles.h"
#include "video/video_codecs.h"

namespace pellumo {

// The picture track's encoder: 32-bit frames of the format's size in, packets out, one frame
// every 1/fps second. Pictures are sRGB; they are coded as BT.709 limited-range 4:2:0, and
// tagged so, which every player reads the same.
class TVideoEncoder {
public:
    // `globalHeader`: the container keeps the codec's set-up apart from the packets.
    TVideoEncoder(const TVideoCodecs& codecs, const TVideoFormat& format, int quality, bool globalHeader);

    const AVCodecContext& Context() const { return *context_; }

    // Sends frame `index` (counted from 0, in order); the packets ready go to the sink.
    void Send(const TBitmap& picture, std::int64_t index, const TPacketSink& sink);
    // The packets the encoder still holds.
    void Finish(const TPacketSink& sink);

private:
    TCodecContext context_;
    TSwsContext converter_;
    TFrame frame_;
    std::vector<std::uint8_t> last_;  // the pixels frame_ holds
};

}  // namespace pellumo
