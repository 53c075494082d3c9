#pragma once

// FFmpeg's objects owned as C++ objects: each freed by its library's own function, whatever
// way the scope is left.
#include <memory>
#include <new>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace pellumo {

struct TCodecContextFree {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct TFrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct TPacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct TInputFormatClose {
    void operator()(AVFormatContext* input) const { avformat_close_input(&input); }
};
struct TOutputFormatFree {
    void operator()(AVFormatContext* output) const {
        if (output->pb != nullptr) avio_closep(&output->pb);
        avformat_free_context(output);
    }
};
struct TSwsFree {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};
struct TSwrFree {
    void operator()(SwrContext* context) const { swr_free(&context); }
};

// A channel layout, whose custom channel map (if any) is freed with it.
struct TChannelLayout {
    AVChannelLayout value{};
    TChannelLayout() = default;
    ~TChannelLayout() { av_channel_layout_uninit(&value); }
    TChannelLayout(const TChannelLayout&) = delete;
    TChannelLayout& operator=(const TChannelLayout&) = delete;
};

using TCodecContext = std::unique_ptr<AVCodecContext, TCodecContextFree>;
using TFrame = std::unique_ptr<AVFrame, TFrameFree>;
using TPacket = std::unique_ptr<AVPacket, TPacketFree>;
using TInputFormat = std::unique_ptr<AVFormatContext, TInputFormatClose>;
using TOutputFormat = std::unique_ptr<AVFormatContext, TOutputFormatFree>;
using TSwsContext = std::unique_ptr<SwsContext, TSwsFree>;
using TSwrContext = std::unique_ptr<SwrContext, TSwrFree>;

// The libraries' allocators answer null only when memory ran out.
inline TFrame NewFrame() {
    TFrame frame(av_frame_alloc());
    if (!frame) throw std::bad_alloc();
    return frame;
}

inline TPacket NewPacket() {
    TPacket packet(av_packet_alloc());
    if (!packet) throw std::bad_alloc();
    return packet;
}

inline TCodecContext NewCodecContext(const AVCodec* codec) {
    TCodecContext context(avcodec_alloc_context3(codec));
    if (!context) throw std::bad_alloc();
    return context;
}

}  // namespace pellumo
