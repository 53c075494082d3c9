#include "video/sound_encoder.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "base/format.h"
#include "video/av_failure.h"
#include "video/video_messages.h"

namespace pellumo {
namespace {

constexpr int kFrameSizeWhenFree = 1024;  // for an encoder that takes frames of any size
constexpr std::int64_t kBitRate = 160'000;

// The first of the sample formats the encoder takes that the samples convert to directly.
AVSampleFormat SampleFormatFor(const AVCodec& codec) {
    for (const AVSampleFormat wanted : {AV_SAMPLE_FMT_FLTP, AV_SAMPLE_FMT_FLT, AV_SAMPLE_FMT_S16})
        for (const AVSampleFormat* format = codec.sample_fmts; format && *format != AV_SAMPLE_FMT_NONE; ++format)
            if (*format == wanted) return wanted;
    throw EVideoError(Format(video_messages::kNoSampleFormat, {codec.name}));
}

void Convert(std::span<const float> samples, AVFrame& frame) {
    const std::size_t count = samples.size() / kSoundChannels;
    switch (frame.format) {
        case AV_SAMPLE_FMT_FLTP:
            for (int channel = 0; channel < kSoundChannels; ++channel) {
                auto* plane = reinterpret_cast<float*>(frame.extended_data[channel]);
                for (std::size_t i = 0; i < count; ++i) plane[i] = samples[i * kSoundChannels + channel];
            }
            break;
        case AV_SAMPLE_FMT_FLT:
            std::memcpy(frame.data[0], samples.data(), samples.size_bytes());
            break;
        default: {
            auto* interleaved = reinterpret_cast<std::int16_t*>(frame.data[0]);
            for (std::size_t i = 0; i < samples.size(); ++i)
                interleaved[i] = static_cast<std::int16_t>(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f);
        }
    }
}

}  // namespace

TSoundEncoder::TSoundEncoder(const char* encoderName, bool globalHeader)
    : context_(NewCodecContext(FindEncoder(encoderName))), frame_(NewFrame()) {
    AVCodecContext& context = *context_;
    context.sample_fmt = SampleFormatFor(*context.codec);
    context.sample_rate = kSoundRate;
    av_channel_layout_default(&context.ch_layout, kSoundChannels);
    context.bit_rate = kBitRate;
    context.time_base = AVRational{1, kSoundRate};
    if (globalHeader) context.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    CheckEncoding(avcodec_open2(&context, context.codec, nullptr), encoderName);

    frame_->format = context.sample_fmt;
    frame_->sample_rate = kSoundRate;
    CheckEncoding(av_channel_layout_copy(&frame_->ch_layout, &context.ch_layout), "son");
    const bool anySize = (context.codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) != 0;
    frameSize_ = anySize || context.frame_size <= 0 ? kFrameSizeWhenFree : context.frame_size;
    frame_->nb_samples = frameSize_;
    CheckEncoding(av_frame_get_buffer(frame_.get(), 0), "son");
}

void TSoundEncoder::Send(std::span<const float> samples, const TPacketSink& sink) {
    const int frames = static_cast<int>(samples.size() / kSoundChannels);
    if (frames == 0) return;
    if (frames > FrameSize() || samples.size() % kSoundChannels != 0)
        throw std::logic_error("trame de son plus longue que celle de l'encodeur");
    // The encoder may still hold the last frame's samples; the buffer keeps its full size.
    frame_->nb_samples = frameSize_;
    CheckEncoding(av_frame_make_writable(frame_.get()), "son");
    frame_->nb_samples = frames;
    Convert(samples, *frame_);
    frame_->pts = next_;
    next_ += frames;
    Encode(*context_, frame_.get(), sink);
}

void TSoundEncoder::Finish(const TPacketSink& sink) { Encode(*context_, nullptr, sink); }

}  // namespace pellumo
