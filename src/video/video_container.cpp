#include "video/video_container.h"

#include <new>
#include <utility>

extern "C" {
#include <libavutil/opt.h>
}

#include "base/format.h"
#include "video/av_failure.h"
#include "video/video_messages.h"

namespace pellumo {
namespace {

// Names given to libavformat are URLs: "file:" keeps a ':' in a file name from being read as
// another protocol.
std::string FileUrl(const std::string& path) { return "file:" + path; }

}  // namespace

TVideoContainer::TVideoContainer(const TVideoCodecs& codecs, const std::string& path, std::string shownName)
    : shownName_(std::move(shownName)) {
    AVFormatContext* output = nullptr;
    const int made = avformat_alloc_output_context2(&output, nullptr, codecs.muxer, FileUrl(path).c_str());
    if (made < 0 || output == nullptr) Fail(made < 0 ? made : AVERROR(ENOMEM));
    output_.reset(output);
    for (const TCodecOption& option : codecs.muxerOptions)
        CheckEncoding(av_opt_set(output_->priv_data, option.key, option.value, 0), option.key);
}

bool TVideoContainer::NeedsGlobalHeader() const { return (output_->oformat->flags & AVFMT_GLOBALHEADER) != 0; }

int TVideoContainer::AddStream(const AVCodecContext& encoder) {
    AVStream* stream = avformat_new_stream(output_.get(), nullptr);
    if (stream == nullptr) throw std::bad_alloc();
    CheckEncoding(avcodec_parameters_from_context(stream->codecpar, &encoder), "flux");
    stream->time_base = encoder.time_base;
    if (encoder.codec_type == AVMEDIA_TYPE_VIDEO) stream->avg_frame_rate = stream->r_frame_rate = encoder.framerate;
    return stream->index;
}

void TVideoContainer::Start() {
    if (const int opened = avio_open(&output_->pb, output_->url, AVIO_FLAG_WRITE); opened < 0) Fail(opened);
    if (const int written = avformat_write_header(output_.get(), nullptr); written < 0) Fail(written);
}

void TVideoContainer::Write(int stream, AVPacket& packet, AVRational encoderTimeBase) {
    packet.stream_index = stream;
    av_packet_rescale_ts(&packet, encoderTimeBase, output_->streams[stream]->time_base);
    if (const int written = av_interleaved_write_frame(output_.get(), &packet); written < 0) Fail(written);
}

void TVideoContainer::Finish() {
    if (const int written = av_write_trailer(output_.get()); written < 0) Fail(written);
    // Bytes still buffered are written by the close, where a full disk shows.
    if (const int closed = avio_closep(&output_->pb); closed < 0) Fail(closed);
}

void TVideoContainer::Fail(int code) const {
    throw EVideoError(Format(video_messages::kWritingFailed, {shownName_, AvErrorText(code)}));
}

}  // namespace pellumo
