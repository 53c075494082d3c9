#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include <QFutureWatcher>
#include <QObject>
#include <QString>

class QProgressDialog;
class QWidget;

namespace pellumo {

struct TWriteProgress;

// Slow work (building, extracting, preparing a play) run on a worker thread behind a progress
// dialog that shows when it lasts, one job at a time. The work holds copies only, never the
// document. Interface thread only.
class BackgroundJob : public QObject {
    Q_OBJECT

public:
    struct Outcome {
        enum Kind { jbDone, jbCancelled, jbFailed };
        Kind kind = jbFailed;
        QString message;        // why it failed
        std::int64_t size = 0;  // what the work returned
    };
    // Runs on the worker: tells its progress, asks whether to stop (then throws
    // EWriteCancelled), returns a size for the outcome.
    using Work = std::function<std::int64_t(const TWriteProgress& progress)>;
    // Runs here when the work has ended.
    using Then = std::function<void(const Outcome& outcome)>;

    // The dialog is parented to `window`; without one, the job owns it.
    BackgroundJob(QWidget* window, QObject* parent);
    // Stops the work under way and waits for it; its Then is not called.
    ~BackgroundJob() override;
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Starts `work` unless a job is running (false then).
    bool Start(const QString& label, bool cancellable, Work work, Then then);
    bool Busy() const { return static_cast<bool>(then_); }
    // How long work may last before its progress dialog shows (500 ms by default).
    void SetProgressDelay(int milliseconds) { progressDelay_ = milliseconds; }

signals:
    void Started();
    // After the job's Then has run.
    void Ended();

private:
    void Finished();

    int progressDelay_ = 500;
    // One dialog for every job, kept for the job's life: its setValue runs events, in which
    // the work may end, so it must never be deleted while work uses it.
    QProgressDialog* progress_;
    bool ownsDialog_;
    QFutureWatcher<Outcome> watcher_;
    std::shared_ptr<std::atomic<bool>> cancel_;  // the running work's
    bool cancelled_ = false;                     // the running work was cancelled from the dialog
    Then then_;
};

}  // namespace pellumo
