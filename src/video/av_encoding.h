#pragma once

#include <functional>

#include "video/av_handles.h"

namespace pellumo {

// Takes each packet an encoder gives, its times in the encoder's time base.
using TPacketSink = std::function<void(AVPacket& packet)>;

// The encoder of that name; raises EVideoError when this FFmpeg lacks it.
const AVCodec* FindEncoder(const char* name);

// Sends the frame to the encoder, or the end of the stream when null, and hands the sink every
// packet the encoder has ready. Raises EVideoError.
void Encode(AVCodecContext& encoder, const AVFrame* frame, const TPacketSink& sink);

}  // namespace pellumo
