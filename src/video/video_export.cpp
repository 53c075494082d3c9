#include "video/video_export.h"

#include <filesystem>
#include <memory>
#include <optional>

#include "base/format.h"
#include "base/temporary_file.h"
#include "video/av_failure.h"
#include "video/music_track.h"
#include "video/sound_encoder.h"
#include "video/sound_track.h"
#include "video/video_codecs.h"
#include "video/video_container.h"
#include "video/video_encoder.h"
#include "video/video_messages.h"

namespace pellumo {
namespace {

// The music, or a warning saying why the video is silent.
std::unique_ptr<TMusicTrack> OpenMusic(const std::string& path, std::int64_t length, TVideoExport& result) {
    if (path.empty()) return nullptr;
    try {
        return std::make_unique<TMusicTrack>(path, length);
    } catch (const EVideoError& e) {
        const std::string name = std::filesystem::path(path).filename().string();
        result.warnings.push_back(Format(video_messages::kSilentVideo, {name, e.Message()}));
        return nullptr;
    }
}

}  // namespace

TVideoExport ExportVideo(const TVideoShow& show, const TVideoFormat& format, int quality, const std::string& output,
                         const TWriteProgress& progress) {
    SilenceAvLog();
    const TVideoCodecs& codecs = VideoCodecsFor(output);
    TShowVideoFrames pictures(show, format);
    TVideoExport result;
    result.frames = pictures.FrameCount();
    const std::int64_t soundLength = result.frames * kSoundRate / format.framesPerSecond;
    std::unique_ptr<TMusicTrack> music = OpenMusic(show.musicPath, soundLength, result);

    TTemporaryFile file(output);
    TVideoContainer container(codecs, file.Path(), output);
    TVideoEncoder video(codecs, format, quality, container.NeedsGlobalHeader());
    std::optional<TSoundTrack> sound;
    if (music) sound.emplace(std::move(music), codecs.audioEncoder, container.NeedsGlobalHeader());
    const int videoStream = container.AddStream(video.Context());
    const int soundStream = sound ? container.AddStream(sound->Context()) : -1;
    container.Start();
    const TPacketSink videoSink = [&](AVPacket& packet) {
        container.Write(videoStream, packet, video.Context().time_base);
    };
    const TPacketSink soundSink = [&](AVPacket& packet) {
        container.Write(soundStream, packet, sound->Context().time_base);
    };

    const auto total = static_cast<std::size_t>(result.frames);
    if (progress.step) progress.step(0, total);
    for (std::int64_t frame = 0; frame < result.frames; ++frame) {
        if (progress.cancelled && progress.cancelled()) throw EWriteCancelled();
        if (sound) sound->CodeUntil((frame + 1) * kSoundRate / format.framesPerSecond, soundSink);
        video.Send(pictures.Frame(frame), frame, videoSink);
        if (progress.step) progress.step(static_cast<std::size_t>(frame + 1), total);
    }
    video.Finish(videoSink);
    if (sound) sound->Finish(soundSink);
    container.Finish();
    file.Commit(NewFileMode());
    result.bytes = static_cast<std::int64_t>(std::filesystem::file_size(output));
    result.withSound = sound.has_value();
    // Complete only now: a picture that did not decode is told once its frames were made.
    result.notes = pictures.Notes();
    return result;
}

std::string LengthText(std::int64_t seconds) {
    const auto twoDigits = [](std::int64_t value) {
        std::string digits = std::to_string(value);
        if (digits.size() < 2) digits.insert(digits.begin(), '0');
        return digits;
    };
    const std::string minutes = seconds >= 3600 ? std::to_string(seconds / 3600) + ":" + twoDigits(seconds / 60 % 60)
                                                : std::to_string(seconds / 60);
    return minutes + ":" + twoDigits(seconds % 60);
}

}  // namespace pellumo
