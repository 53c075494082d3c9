#include "music_listening.h"

#include <exception>

#include "platform/media_player.h"

namespace pellumo {

MusicListening::MusicListening(QObject* parent) : QObject(parent) {}

MusicListening::~MusicListening() = default;

bool MusicListening::Play(const QString& file, QString& error) {
    Stop();
    auto player = std::make_unique<TMediaPlayer>();
    try {
        player->SetFileName(file.toStdString());
        player->Open();
        player->SetNotify(true);
        player->Play();
    } catch (const std::exception& e) {
        error = QString::fromStdString(e.what());
        return false;
    }
    // The player stays until the next Play or Stop: it is still at work as it notifies.
    player->OnNotify = [this](TObject*) {
        ended_ = true;
        emit Finished();
    };
    player_ = std::move(player);
    ended_ = false;
    return true;
}

// A new player for each play: the notifications of one stopped are dropped with it.
void MusicListening::Stop() {
    player_.reset();
    ended_ = false;
}

}  // namespace pellumo
