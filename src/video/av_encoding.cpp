#include "video/av_encoding.h"

#include "base/format.h"
#include "video/av_failure.h"
#include "video/video_messages.h"

namespace pellumo {

const AVCodec* FindEncoder(const char* name) {
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (codec == nullptr) throw EVideoError(Format(video_messages::kMissingEncoder, {name}));
    return codec;
}

void Encode(AVCodecContext& encoder, const AVFrame* frame, const TPacketSink& sink) {
    CheckEncoding(avcodec_send_frame(&encoder, frame), encoder.codec->name);
    const TPacket packet = NewPacket();
    for (;;) {
        const int received = avcodec_receive_packet(&encoder, packet.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return;
        CheckEncoding(received, encoder.codec->name);
        sink(*packet);
        av_packet_unref(packet.get());
    }
}

}  // namespace pellumo
