#pragma once

#include <memory>

#include <QObject>
#include <QString>

namespace pellumo {

class TMediaPlayer;

// The show's music played once, to hear what was chosen, through the player's own music
// device. Interface thread only.
class MusicListening : public QObject {
    Q_OBJECT

public:
    explicit MusicListening(QObject* parent = nullptr);
    ~MusicListening() override;
    MusicListening(const MusicListening&) = delete;
    MusicListening& operator=(const MusicListening&) = delete;

    // Plays `file` from its start, stopping what was playing. False, with the device's reason
    // in `error`, when it cannot be played.
    bool Play(const QString& file, QString& error);
    // Stops without a Finished signal; nothing playing is no error.
    void Stop();
    bool Playing() const { return player_ && !ended_; }

signals:
    // The music played to its end, or another player took the music device.
    void Finished();

private:
    std::unique_ptr<TMediaPlayer> player_;  // the latest play's
    bool ended_ = false;
};

}  // namespace pellumo
