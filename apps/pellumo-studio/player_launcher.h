#pragma once

#include <memory>

#include <QObject>
#include <QString>

class QProcess;
class QTemporaryDir;

namespace pellumo {

// The real player, started on a show written into a temporary folder of its own, which goes
// when the player ends. One at a time. Interface thread only.
class PlayerLauncher : public QObject {
    Q_OBJECT

public:
    explicit PlayerLauncher(QObject* parent);
    // Ends a player still running, and removes its folder.
    ~PlayerLauncher() override;
    PlayerLauncher(const PlayerLauncher&) = delete;
    PlayerLauncher& operator=(const PlayerLauncher&) = delete;

    // Makes the folder and returns where the show is to be written, or an empty string with
    // the reason in `error`.
    QString PrepareShowFile(QString& error);
    // Gives up the prepared folder (the show could not be written).
    void Abandon();
    // Starts the show written at the prepared place; Started or FailedToStart follow.
    void Start();
    bool Prepared() const { return static_cast<bool>(folder_); }
    bool Playing() const { return process_ != nullptr; }

signals:
    void Started(const QString& showFile);
    void FailedToStart(const QString& reason);
    // The player ended, or could not start; its folder is gone.
    void Finished();

private:
    void Ended();

    std::unique_ptr<QTemporaryDir> folder_;
    QString showFile_;
    QProcess* process_ = nullptr;
};

}  // namespace pellumo
