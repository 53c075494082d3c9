#include "video/video_encoder.h"

#include <algorithm>
#include <span>
#include <stdexcept>
#include <string>

extern "C" {
#include <libavutil/opt.h>
}

#include "video/av_failure.h"
#include "video/video_messages.h"

namespace pellumo {
namespace {

// Encoder settings are private options of the codec: a name it does not know is a mistake of
// ours, not of the person's.
void SetOption(AVCodecContext& context, const char* key, const std::string& value) {
    CheckEncoding(av_opt_set(context.priv_data, key, value.c_str(), 0), key);
}

TSwsContext Converter(int width, int height) {
    TSwsContext converter(sws_getContext(width, height, AV_PIX_FMT_BGR0, width, height, AV_PIX_FMT_YUV420P,
                                         SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!converter) throw EVideoError(std::string(video_messages::kNoPictureConversion));
    // Full-range sRGB in, BT.709 studio range out, as the stream says.
    const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
    CheckEncoding(sws_setColorspaceDetails(converter.get(), bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16), "swscale");
    return converter;
}

}  // namespace

TVideoEncoder::TVideoEncoder(const TVideoCodecs& codecs, const TVideoFormat& format, int quality, bool globalHeader)
    : context_(NewCodecContext(FindEncoder(codecs.videoEncoder))),
      converter_(Converter(format.width, format.height)),
      frame_(NewFrame()) {
    AVCodecContext& context = *context_;
    context.width = format.width;
    context.height = format.height;
    context.pix_fmt = AV_PIX_FMT_YUV420P;
    context.time_base = AVRational{1, format.framesPerSecond};
    context.framerate = AVRational{format.framesPerSecond, 1};
    context.sample_aspect_ratio = AVRational{1, 1};
    context.gop_size = 10 * format.framesPerSecond;  // a key frame at least every 10 s, to seek
    context.bit_rate = 0;                            // the rate factor alone sets the quality
    context.color_range = AVCOL_RANGE_MPEG;
    context.colorspace = AVCOL_SPC_BT709;
    context.color_primaries = AVCOL_PRI_BT709;
    context.color_trc = AVCOL_TRC_BT709;
    context.thread_count = 0;  // as many as the machine has
    if (globalHeader) context.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    for (const TCodecOption& option : codecs.videoOptions) SetOption(context, option.key, option.value);
    SetOption(context, "crf", std::to_string(CrfOf(codecs, quality)));
    CheckEncoding(avcodec_open2(&context, context.codec, nullptr), codecs.videoEncoder);

    frame_->format = context.pix_fmt;
    frame_->width = context.width;
    frame_->height = context.height;
    CheckEncoding(av_frame_get_buffer(frame_.get(), 0), "image");
}

void TVideoEncoder::Send(const TBitmap& picture, std::int64_t index, const TPacketSink& sink) {
    if (picture.Width() != context_->width || picture.Height() != context_->height ||
        (picture.PixelFormat() != pf32bit && picture.PixelFormat() != pfDevice))
        throw std::logic_error("image vidéo d'une autre taille ou d'un autre format que la vidéo");
    // A slide stands still most of its time: the same picture is not converted again.
    const std::span<const std::uint8_t> pixels(picture.ScanLine(0), picture.RowBytes() * picture.Height());
    if (!std::equal(pixels.begin(), pixels.end(), last_.begin(), last_.end())) {
        last_.assign(pixels.begin(), pixels.end());
        // The encoder may still hold the last frame's pixels.
        CheckEncoding(av_frame_make_writable(frame_.get()), "image");
        const std::uint8_t* const rows[] = {pixels.data()};
        const int strides[] = {static_cast<int>(picture.RowBytes())};
        sws_scale(converter_.get(), rows, strides, 0, picture.Height(), frame_->data, frame_->linesize);
    }
    frame_->pts = index;
    Encode(*context_, frame_.get(), sink);
}

void TVideoEncoder::Finish(const TPacketSink& sink) { Encode(*context_, nullptr, sink); }

}  // namespace pellumo
