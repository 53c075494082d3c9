#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/exceptions.h"
#include "platform/notify_window.h"
#include "platform/object.h"

namespace pellumo {

enum TMPModes { mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen };

// The music device failed: a file that cannot be opened or played, no audio output, a command
// without an open file.
class EMCIDeviceError : public Exception {
public:
    using Exception::Exception;
};

// Background music from a file (WAV, OGG, MP3, FLAC). The process has a single music channel:
// a player that starts playing stops whatever another player was playing.
//
// Notifications: a Play or a Close issued while Notify is true asks for exactly one
// notification. For a Play it comes when that playback ends, or when it is cut short: by
// another Play of any player, or by an Open or a Close of this one. For a Close, once the file
// is closed. Notifications are posted to the user-interface thread and call OnNotify if it is
// set when they arrive; those still pending when the player is destroyed are dropped.
//
// Every method is for the user-interface thread.
class TMediaPlayer : public TObject {
public:
    TMediaPlayer();  // after the application object exists
    ~TMediaPlayer() override;
    TMediaPlayer(const TMediaPlayer&) = delete;
    TMediaPlayer& operator=(const TMediaPlayer&) = delete;

    // A UTF-8 path, taken by the next Open.
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }

    // Closes the file still open, then opens FileName; raises EMCIDeviceError when it cannot.
    void Open();
    // Starts playing and returns at once: from the start when the last playback reached the
    // end, else from where it stood. Raises EMCIDeviceError when no file is open or the music
    // cannot start; such a Play asks for no notification.
    void Play();
    // Stops and closes; nothing open is no error.
    void Close();

    // mpNotReady with no file open, mpPlaying while this player's music plays, else mpStopped.
    TMPModes Mode() const;

    // Stays as set across commands.
    bool Notify() const { return notify_; }
    void SetNotify(bool notify) { notify_ = notify; }

    TNotifyEvent OnNotify;

private:
    class TMusic;

    // Stops this player's playback if it still holds the channel, notifying as it asked.
    void StopOwnPlayback();
    void PostNotification();
    void DeliverNotification();

    std::string fileName_;
    bool notify_ = false;
    std::unique_ptr<TMusic> music_;  // the open file; none when nothing is open
    // Identifies this player's latest playback on the channel; 0 before the first.
    std::uint64_t generation_ = 0;
    // Where the next Play resumes, in seconds; set when another player interrupts this one.
    double resumeAt_ = 0.0;
    TNotifyWindow window_;
};

}  // namespace pellumo
