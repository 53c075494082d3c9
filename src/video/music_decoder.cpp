#include "video/music_decoder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "base/format.h"
#include "video/av_failure.h"
#include "video/sound_encoder.h"
#include "video/video_messages.h"

namespace pellumo {
namespace {

// The containers music comes in; a playlist or a concatenation, which would open other files
// or addresses, is not among them.
constexpr const char* kMusicContainers =
    "wav,w64,mp3,ogg,flac,aiff,mov,matroska,aac,asf,wv,ape,caf,au,tta,dsf,ac3,eac3,dts,mpc,mpc8,amr,voc";
constexpr int kMaxChannels = 32;
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 768000;
// What one decoded frame may become once resampled (about 20 s of sound): a frame claiming
// more is skipped rather than allocated.
constexpr int kMaxResampledFrames = 1 << 20;
// Packets read in a row without a sound coming out before the music is taken for ended: a
// file of garbage is not read to its end.
constexpr int kMaxFruitlessPackets = 2000;

[[noreturn]] void Unfit(std::string_view reason) { throw EVideoError(std::string(reason)); }

bool Fits(int channels, int rate) {
    return channels >= 1 && channels <= kMaxChannels && rate >= kMinRate && rate <= kMaxRate;
}

TInputFormat OpenInput(const std::string& path) {
    SilenceAvLog();
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) Unfit(video_messages::kNotAFile);
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "format_whitelist", kMusicContainers, 0);
    AVFormatContext* opened = nullptr;
    const int result = avformat_open_input(&opened, ("file:" + path).c_str(), nullptr, &options);
    av_dict_free(&options);
    if (result < 0) Unfit(AvErrorText(result));
    TInputFormat input(opened);
    if (const int found = avformat_find_stream_info(input.get(), nullptr); found < 0) Unfit(AvErrorText(found));
    return input;
}

}  // namespace

TMusicDecoder::TMusicDecoder(const std::string& path)
    : input_(OpenInput(path)), packet_(NewPacket()), frame_(NewFrame()) {
    const AVCodec* codec = nullptr;
    stream_ = av_find_best_stream(input_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (stream_ < 0 || codec == nullptr) Unfit(video_messages::kNoAudioStream);
    for (unsigned i = 0; i < input_->nb_streams; ++i)
        if (static_cast<int>(i) != stream_) input_->streams[i]->discard = AVDISCARD_ALL;

    const AVCodecParameters& parameters = *input_->streams[stream_]->codecpar;
    if (!Fits(parameters.ch_layout.nb_channels, parameters.sample_rate))
        Unfit(Format(video_messages::kUnfitAudio,
                     {std::to_string(parameters.ch_layout.nb_channels), std::to_string(parameters.sample_rate)}));
    decoder_ = NewCodecContext(codec);
    if (const int copied = avcodec_parameters_to_context(decoder_.get(), &parameters); copied < 0)
        Unfit(AvErrorText(copied));
    decoder_->thread_count = 1;
    if (const int opened = avcodec_open2(decoder_.get(), codec, nullptr); opened < 0) Unfit(AvErrorText(opened));
    if (!Decode()) Unfit(video_messages::kNoSound);
}

std::size_t TMusicDecoder::Read(std::span<float> samples) {
    if (taken_ == pending_.size() && !Decode()) return 0;
    const std::size_t count = std::min(samples.size(), pending_.size() - taken_) / kSoundChannels * kSoundChannels;
    std::copy_n(pending_.begin() + static_cast<std::ptrdiff_t>(taken_), count, samples.begin());
    taken_ += count;
    return count / kSoundChannels;
}

bool TMusicDecoder::Decode() {
    pending_.clear();
    taken_ = 0;
    int fruitless = 0;  // packets read and frames failed since the last sound
    while (pending_.empty() && !decoderEnded_) {
        const int received =
            fruitless > kMaxFruitlessPackets ? AVERROR_EOF : avcodec_receive_frame(decoder_.get(), frame_.get());
        if (received == 0) {
            fruitless = Resample(*frame_) ? 0 : fruitless + 1;
            av_frame_unref(frame_.get());
        } else if (received == AVERROR_EOF || (received == AVERROR(EAGAIN) && inputEnded_)) {
            FlushResampler();
            decoderEnded_ = true;
        } else if (received != AVERROR(EAGAIN)) {
            ++fruitless;  // a damaged frame is skipped
        } else {
            // The decoder wants a packet.
            ++fruitless;
            if (av_read_frame(input_.get(), packet_.get()) < 0) {
                // The end of the file, or a read that failed: what was decoded plays.
                avcodec_send_packet(decoder_.get(), nullptr);
                inputEnded_ = true;
            } else {
                // A packet the decoder refuses is skipped.
                if (packet_->stream_index == stream_) avcodec_send_packet(decoder_.get(), packet_.get());
                av_packet_unref(packet_.get());
            }
        }
    }
    return !pending_.empty();
}

bool TMusicDecoder::Resample(const AVFrame& frame) {
    if (!Fits(frame.ch_layout.nb_channels, frame.sample_rate) || frame.nb_samples <= 0) return false;
    TChannelLayout layout;
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&layout.value, frame.ch_layout.nb_channels);
    else if (av_channel_layout_copy(&layout.value, &frame.ch_layout) < 0)
        return false;
    if (!resampler_ || frame.format != resampledFormat_ || frame.sample_rate != resampledRate_ ||
        av_channel_layout_compare(&layout.value, &resampledLayout_.value) != 0) {
        // A stream may change its rate or channels midway: what the last settings hold plays first.
        FlushResampler();
        resampler_.reset();
        std::swap(resampledLayout_.value, layout.value);
        resampledRate_ = frame.sample_rate;
        resampledFormat_ = frame.format;
        TChannelLayout stereo;
        av_channel_layout_default(&stereo.value, kSoundChannels);
        SwrContext* made = nullptr;
        const int set = swr_alloc_set_opts2(&made, &stereo.value, AV_SAMPLE_FMT_FLT, kSoundRate, &resampledLayout_.value,
                                            static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr);
        TSwrContext resampler(made);
        if (set < 0 || swr_init(resampler.get()) < 0) return false;
        resampler_ = std::move(resampler);
    }
    const int room = swr_get_out_samples(resampler_.get(), frame.nb_samples);
    if (room <= 0 || room > kMaxResampledFrames) return false;
    const std::size_t start = pending_.size();
    pending_.resize(start + static_cast<std::size_t>(room) * kSoundChannels);
    std::uint8_t* out[] = {reinterpret_cast<std::uint8_t*>(pending_.data() + start)};
    const int made = swr_convert(resampler_.get(), out, room, const_cast<const std::uint8_t**>(frame.extended_data),
                                 frame.nb_samples);
    pending_.resize(start + static_cast<std::size_t>(std::max(made, 0)) * kSoundChannels);
    return made >= 0;
}

void TMusicDecoder::FlushResampler() {
    if (!resampler_) return;
    const int room = swr_get_out_samples(resampler_.get(), 0);
    if (room <= 0 || room > kMaxResampledFrames) return;
    const std::size_t start = pending_.size();
    pending_.resize(start + static_cast<std::size_t>(room) * kSoundChannels);
    std::uint8_t* out[] = {reinterpret_cast<std::uint8_t*>(pending_.data() + start)};
    const int made = swr_convert(resampler_.get(), out, room, nullptr, 0);
    pending_.resize(start + static_cast<std::size_t>(std::max(made, 0)) * kSoundChannels);
}

}  // namespace pellumo
