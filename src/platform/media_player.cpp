#include "platform/media_player.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <utility>

namespace pellumo {

// An open music file, with the name it was opened under (FileName may change meanwhile).
class TMediaPlayer::TMusic {
public:
    TMusic(Mix_Music* music, std::string fileName) : music_(music), fileName_(std::move(fileName)) {}
    ~TMusic() { Mix_FreeMusic(music_); }
    TMusic(const TMusic&) = delete;
    TMusic& operator=(const TMusic&) = delete;

    Mix_Music* Get() const { return music_; }
    const std::string& FileName() const { return fileName_; }

private:
    Mix_Music* music_;
    std::string fileName_;
};

namespace {

constexpr int kFrequency = 44100;
constexpr int kOutputChannels = 2;
constexpr int kChunkSamples = 2048;
constexpr int kDecoders = MIX_INIT_OGG | MIX_INIT_MP3 | MIX_INIT_FLAC;

// One playback on the music channel.
struct TPlayback {
    std::uint64_t generation = 0;
    TMediaPlayer* owner = nullptr;
    Mix_Music* music = nullptr;
    std::function<void()> notify;  // posts the owner's notification; empty when none was asked
};

// The process's audio output and its single music channel.
//
// SDL_mixer reports the end of a music on its audio thread, holding its audio lock. Which
// playback that end belongs to is settled under lock_: commands take a playback off the
// channel before they halt its music, so an end reported late finds nothing to take, and a
// new playback is installed only once nothing plays. The user-interface thread never calls
// SDL_mixer while it holds lock_, as the audio thread takes the two locks in the other order.
class TMusicChannel {
public:
    static TMusicChannel& Instance() {
        static TMusicChannel instance;
        return instance;
    }

    TMusicChannel() = default;
    TMusicChannel(const TMusicChannel&) = delete;
    TMusicChannel& operator=(const TMusicChannel&) = delete;

    ~TMusicChannel() {
        std::lock_guard guard(outputLock_);
        if (!outputOpen_) return;
        Mix_HookMusicFinished(nullptr);
        Mix_HaltMusic();
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    // Opens the output the first time it is needed; after a failure, the next call tries again
    // (a device may have appeared since).
    bool OpenOutput(std::string& failure) {
        std::lock_guard guard(outputLock_);
        if (outputOpen_) return true;
        // The application handles termination signals itself.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            failure = SDL_GetError();
            return false;
        }
        // A decoder this build lacks only means its files fail to open.
        Mix_Init(kDecoders);
        if (Mix_OpenAudio(kFrequency, MIX_DEFAULT_FORMAT, kOutputChannels, kChunkSamples) != 0) {
            failure = Mix_GetError();
            Mix_Quit();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        Mix_HookMusicFinished(&TMusicChannel::OnMusicFinished);
        outputOpen_ = true;
        return true;
    }

    std::uint64_t NextGeneration() {
        std::lock_guard guard(lock_);
        return ++lastGeneration_;
    }

    bool Playing(std::uint64_t generation) const {
        std::lock_guard guard(lock_);
        return generation != 0 && current_ && current_->generation == generation;
    }

    // If the playback `generation` still plays, it goes on as `generation` + `notify`: the
    // notification it had asked for is returned, for the caller to post. Else nothing changes.
    std::optional<std::function<void()>> Continue(std::uint64_t generation, std::uint64_t next,
                                                  std::function<void()>& notify) {
        std::lock_guard guard(lock_);
        if (generation == 0 || !current_ || current_->generation != generation) return std::nullopt;
        current_->generation = next;
        return std::exchange(current_->notify, std::move(notify));
    }

    // Takes the current playback off the channel; its music is the caller's to halt.
    std::optional<TPlayback> Take() {
        std::lock_guard guard(lock_);
        return std::exchange(current_, std::nullopt);
    }

    std::optional<TPlayback> TakeIf(std::uint64_t generation) {
        std::lock_guard guard(lock_);
        if (generation == 0 || !current_ || current_->generation != generation) return std::nullopt;
        return std::exchange(current_, std::nullopt);
    }

    // Installs a playback whose music is about to start; nothing may be playing.
    void Install(TPlayback playback) {
        std::lock_guard guard(lock_);
        current_ = std::move(playback);
    }

private:
    // SDL's audio thread, or a thread halting the music: only posts.
    static void SDLCALL OnMusicFinished() {
        TMusicChannel& channel = Instance();
        std::lock_guard guard(channel.lock_);
        if (!channel.current_) return;  // taken by the command that halted it
        if (channel.current_->notify) channel.current_->notify();
        channel.current_.reset();
    }

    std::mutex outputLock_;
    bool outputOpen_ = false;

    mutable std::mutex lock_;
    std::optional<TPlayback> current_;
    std::uint64_t lastGeneration_ = 0;
};

std::string CannotOpen(const std::string& fileName, const std::string& reason) {
    return "Impossible d'ouvrir le fichier musical « " + fileName + " » : " +
           (reason.empty() ? std::string("raison inconnue") : reason);
}

// SDL would open a pipe or a device as readily as a file, and wait on it or read it without
// end; only regular files go to it.
std::string UnfitFileReason(const std::string& fileName) {
    if (fileName.empty()) return "aucun nom de fichier";
    if (fileName.find('\0') != std::string::npos) return "nom de fichier invalide";
    std::error_code error;
    const auto status = std::filesystem::status(fileName, error);
    if (error) return error.message();
    if (!std::filesystem::is_regular_file(status)) return "ce n'est pas un fichier ordinaire";
    return {};
}

}  // namespace

// Created here so that the channel, a function-local static, outlives any player with static
// storage duration.
TMediaPlayer::TMediaPlayer() { TMusicChannel::Instance(); }

TMediaPlayer::~TMediaPlayer() {
    // Once off the channel, the audio thread no longer reaches this player; the notification
    // window then drops whatever it still holds.
    if (TMusicChannel::Instance().TakeIf(generation_)) Mix_HaltMusic();
}

void TMediaPlayer::Open() {
    StopOwnPlayback();
    music_.reset();
    resumeAt_ = 0.0;

    if (const std::string unfit = UnfitFileReason(fileName_); !unfit.empty())
        throw EMCIDeviceError(CannotOpen(fileName_, unfit));
    std::string failure;
    if (!TMusicChannel::Instance().OpenOutput(failure))
        throw EMCIDeviceError(CannotOpen(fileName_, "aucune sortie audio (" + failure + ")"));
    Mix_Music* music = Mix_LoadMUS(fileName_.c_str());
    if (music == nullptr) throw EMCIDeviceError(CannotOpen(fileName_, Mix_GetError()));
    music_ = std::make_unique<TMusic>(music, fileName_);
}

void TMediaPlayer::Play() {
    if (!music_) throw EMCIDeviceError("Impossible de jouer la musique : aucun fichier musical n'est ouvert");
    TMusicChannel& channel = TMusicChannel::Instance();
    const std::uint64_t generation = channel.NextGeneration();
    std::function<void()> notify;
    if (notify_) notify = [this] { PostNotification(); };

    // Still playing: the music goes on, and this command waits for its end instead.
    if (auto superseded = channel.Continue(generation_, generation, notify)) {
        generation_ = generation;
        if (*superseded) (*superseded)();
        return;
    }

    // Another player's music: it stops here, and resumes from here when played again.
    if (auto interrupted = channel.Take()) {
        const double position = Mix_GetMusicPosition(interrupted->music);
        Mix_HaltMusic();
        interrupted->owner->resumeAt_ = position > 0.0 ? position : 0.0;
        if (interrupted->notify) interrupted->notify();
    }

    const double from = std::exchange(resumeAt_, 0.0);
    Mix_Music* music = music_->Get();
    generation_ = generation;
    // Installed first: a very short music may end before Mix_PlayMusic even returns.
    channel.Install({generation, this, music, std::move(notify)});
    int result = -1;
    if (from > 0.0) result = Mix_FadeInMusicPos(music, 1, 0, from);
    // A format that cannot seek plays from the start instead. (SDL_mixer 2.6 seeks WAV only to
    // whole seconds, so a WAV resumes up to a second early.)
    if (result != 0) result = Mix_PlayMusic(music, 1);
    if (result != 0) {
        const std::string reason = Mix_GetError();
        // The caller hears of the failure through the exception, not through a notification.
        channel.TakeIf(generation);
        throw EMCIDeviceError("Impossible de jouer le fichier musical « " + music_->FileName() + " » : " + reason);
    }
}

void TMediaPlayer::Close() {
    StopOwnPlayback();
    music_.reset();
    resumeAt_ = 0.0;
    if (notify_) PostNotification();
}

TMPModes TMediaPlayer::Mode() const {
    if (!music_) return mpNotReady;
    return TMusicChannel::Instance().Playing(generation_) ? mpPlaying : mpStopped;
}

void TMediaPlayer::StopOwnPlayback() {
    auto playback = TMusicChannel::Instance().TakeIf(generation_);
    if (!playback) return;
    Mix_HaltMusic();
    if (playback->notify) playback->notify();
}

// Any thread.
void TMediaPlayer::PostNotification() {
    window_.Post([this] { DeliverNotification(); });
}

void TMediaPlayer::DeliverNotification() {
    // A copy, so that a handler replacing OnNotify does not destroy itself while it runs.
    const TNotifyEvent handler = OnNotify;
    if (handler) handler(this);
}

}  // namespace pellumo
