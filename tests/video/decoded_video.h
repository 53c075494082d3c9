#pragma once

// Videos read back for the tests: ffprobe's account of a file, and its pictures decoded by
// libavcodec, compared with the pictures they were made from in the video's own colour terms
// (4:2:0 halves the colour detail whatever the quality: comparing in RGB would measure that).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "raster/bitmap.h"

namespace pellumo {

// ffprobe's flat listing of the streams and the container: "streams.stream.0.codec_name" to
// "h264" (quotes taken off), "format.duration" to "3.000000".
inline std::map<std::string, std::string> Probe(const std::string& file) {
    std::map<std::string, std::string> fields;
    const std::string command =
        std::string(PELLUMO_FFPROBE) + " -v error -of flat -show_streams -show_format '" + file + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> out(::popen(command.c_str(), "r"), ::pclose);
    if (!out) return fields;
    char line[4096];
    while (std::fgets(line, sizeof line, out.get()) != nullptr) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos) continue;
        std::string value = text.substr(equals + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        fields[text.substr(0, equals)] = value;
    }
    return fields;
}

// A picture in the video's own terms: BT.709 studio-range Y, then U and V at half the width
// and height.
struct TYuvPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> planes[3];
};

// Picture `index` of the file's video stream, counted in presentation order, as its decoder
// gives it (4:2:0); an empty picture when there is none.
inline TYuvPicture DecodedFrame(const std::string& file, std::int64_t index) {
    TYuvPicture picture;
    AVFormatContext* input = nullptr;
    if (avformat_open_input(&input, file.c_str(), nullptr, nullptr) < 0) return picture;
    std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> closer(input, [](AVFormatContext* c) {
        avformat_close_input(&c);
    });
    const AVCodec* codec = nullptr;
    const int stream = av_find_best_stream(input, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (stream < 0 || avformat_find_stream_info(input, nullptr) < 0) return picture;
    std::unique_ptr<AVCodecContext, void (*)(AVCodecContext*)> decoder(avcodec_alloc_context3(codec),
                                                                       [](AVCodecContext* c) { avcodec_free_context(&c); });
    avcodec_parameters_to_context(decoder.get(), input->streams[stream]->codecpar);
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0) return picture;
    std::unique_ptr<AVPacket, void (*)(AVPacket*)> packet(av_packet_alloc(), [](AVPacket* p) { av_packet_free(&p); });
    std::unique_ptr<AVFrame, void (*)(AVFrame*)> frame(av_frame_alloc(), [](AVFrame* f) { av_frame_free(&f); });
    std::int64_t decoded = 0;
    bool ended = false;
    for (;;) {
        const int received = avcodec_receive_frame(decoder.get(), frame.get());
        if (received == AVERROR_EOF) return picture;
        if (received == 0 && decoded++ == index) break;
        if (received == 0 || ended) continue;
        if (av_read_frame(input, packet.get()) < 0) {
            avcodec_send_packet(decoder.get(), nullptr);
            ended = true;
        } else {
            if (packet->stream_index == stream) avcodec_send_packet(decoder.get(), packet.get());
            av_packet_unref(packet.get());
        }
    }
    EXPECT_EQ(frame->format, AV_PIX_FMT_YUV420P);
    picture.width = frame->width;
    picture.height = frame->height;
    for (int plane = 0; plane < 3; ++plane) {
        const int width = plane == 0 ? frame->width : (frame->width + 1) / 2;
        const int height = plane == 0 ? frame->height : (frame->height + 1) / 2;
        for (int y = 0; y < height; ++y)
            picture.planes[plane].insert(picture.planes[plane].end(), frame->data[plane] + y * frame->linesize[plane],
                                         frame->data[plane] + y * frame->linesize[plane] + width);
    }
    return picture;
}

// A 24- or 32-bit sRGB bitmap in the video's terms, converted on its own here.
inline TYuvPicture Bt709(const TBitmap& bitmap) {
    const AVPixelFormat source = bitmap.PixelFormat() == pf24bit ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_BGR0;
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    SwsContext* converter = sws_getContext(width, height, source, width, height, AV_PIX_FMT_YUV420P,
                                           SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
    sws_setColorspaceDetails(converter, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
    TYuvPicture picture;
    picture.width = width;
    picture.height = height;
    picture.planes[0].resize(static_cast<std::size_t>(width) * height);
    const int halfWidth = (width + 1) / 2;
    for (int plane = 1; plane < 3; ++plane)
        picture.planes[plane].resize(static_cast<std::size_t>(halfWidth) * ((height + 1) / 2));
    const std::uint8_t* const rows[] = {bitmap.ScanLine(0)};
    const int strides[] = {static_cast<int>(bitmap.RowBytes())};
    std::uint8_t* const planes[] = {picture.planes[0].data(), picture.planes[1].data(), picture.planes[2].data()};
    const int planeStrides[] = {width, halfWidth, halfWidth};
    sws_scale(converter, rows, strides, 0, height, planes, planeStrides);
    sws_freeContext(converter);
    return picture;
}

// The peak signal-to-noise ratio of two pictures of one size over all their samples, in dB, as
// video is measured; infinity when they are equal.
inline double Psnr(const TYuvPicture& first, const TYuvPicture& second) {
    EXPECT_EQ(first.width, second.width);
    EXPECT_EQ(first.height, second.height);
    double squares = 0;
    std::size_t count = 0;
    for (int plane = 0; plane < 3; ++plane) {
        if (first.planes[plane].size() != second.planes[plane].size()) return 0;
        for (std::size_t i = 0; i < first.planes[plane].size(); ++i) {
            const double difference = double(first.planes[plane][i]) - double(second.planes[plane][i]);
            squares += difference * difference;
        }
        count += first.planes[plane].size();
    }
    if (count == 0) return 0;
    return squares == 0 ? INFINITY : 10.0 * std::log10(255.0 * 255.0 * double(count) / squares);
}

}  // namespace pellumo
