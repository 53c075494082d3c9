#include "player_launcher.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

namespace pellumo {

PlayerLauncher::PlayerLauncher(QObject* parent) : QObject(parent) {}

PlayerLauncher::~PlayerLauncher() {
    if (process_ == nullptr) return;
    process_->disconnect(this);
    process_->terminate();
    if (!process_->waitForFinished(3000)) {
        process_->kill();
        process_->waitForFinished(3000);
    }
}

QString PlayerLauncher::PrepareShowFile(QString& error) {
    folder_ = std::make_unique<QTemporaryDir>(QDir(QDir::tempPath()).filePath(QStringLiteral("pellumo-lecture-XXXXXX")));
    if (!folder_->isValid()) {
        error = folder_->errorString();
        folder_.reset();
        return {};
    }
    showFile_ = folder_->filePath(QStringLiteral("diaporama"));
    return showFile_;
}

void PlayerLauncher::Abandon() {
    if (!Playing()) folder_.reset();
}

void PlayerLauncher::Start() {
    if (!Prepared() || Playing()) return;
    process_ = new QProcess(this);
    process_->setProgram(showFile_);
    // The player finds its music in its own folder.
    process_->setWorkingDirectory(folder_->path());
    process_->setProcessChannelMode(QProcess::ForwardedChannels);
    connect(process_, &QProcess::started, this, [this] { emit Started(showFile_); });
    connect(process_, &QProcess::finished, this, &PlayerLauncher::Ended);
    connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;  // the others end in finished
        const QString reason = process_->errorString();
        Ended();
        emit FailedToStart(reason);
    });
    process_->start();
}

void PlayerLauncher::Ended() {
    if (process_ == nullptr) return;
    process_->disconnect(this);
    process_->deleteLater();
    process_ = nullptr;
    folder_.reset();  // removes the show and its music
    emit Finished();
}

}  // namespace pellumo
