#include "background_job.h"

#include <algorithm>
#include <exception>
#include <limits>

#include <QProgressDialog>
#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

#include "authoring/show_writer.h"

namespace pellumo {
namespace {

int ProgressNumber(std::size_t value) {
    return static_cast<int>(std::min<std::size_t>(value, std::numeric_limits<int>::max()));
}

}  // namespace

BackgroundJob::BackgroundJob(QWidget* window, QObject* parent)
    : QObject(parent), progress_(new QProgressDialog(window)), ownsDialog_(window == nullptr) {
    // The dialog starts its timer as it is made: reset it so that it waits for a job.
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setAutoClose(true);
    progress_->setAutoReset(true);
    progress_->reset();
    connect(progress_, &QProgressDialog::canceled, this, [this] {
        if (!cancel_) return;
        cancelled_ = true;
        cancel_->store(true);
    });
    connect(&watcher_, &QFutureWatcherBase::progressRangeChanged, this, [this](int minimum, int maximum) {
        if (!cancelled_ && Busy()) progress_->setRange(minimum, maximum);
    });
    connect(&watcher_, &QFutureWatcherBase::progressValueChanged, this, [this](int value) {
        if (!cancelled_ && Busy()) progress_->setValue(value);
    });
    connect(&watcher_, &QFutureWatcherBase::finished, this, &BackgroundJob::Finished);
}

BackgroundJob::~BackgroundJob() {
    if (cancel_) cancel_->store(true);
    watcher_.disconnect(this);
    watcher_.waitForFinished();
    if (ownsDialog_) delete progress_;
}

bool BackgroundJob::Start(const QString& label, bool cancellable, Work work, Then then) {
    if (Busy()) return false;
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    cancelled_ = false;
    then_ = std::move(then);

    progress_->reset();
    progress_->setLabelText(label);
    if (cancellable)
        progress_->setCancelButtonText(tr("Annuler"));
    else
        progress_->setCancelButton(nullptr);
    progress_->setMinimumDuration(progressDelay_);
    // Its minimum starts the delay after which the dialog shows (an empty range would not);
    // then it is busy until the work tells how far it is.
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setRange(0, 0);
    emit Started();

    // The flag is shared, so that it outlives either side.
    watcher_.setFuture(QtConcurrent::run([work = std::move(work), cancel = cancel_](QPromise<Outcome>& promise) {
        TWriteProgress progress;
        progress.step = [&promise](std::size_t done, std::size_t total) {
            promise.setProgressRange(0, ProgressNumber(total));
            promise.setProgressValue(ProgressNumber(done));
        };
        progress.cancelled = [cancel] { return cancel->load(); };
        Outcome outcome;
        try {
            outcome.size = work(progress);
            outcome.kind = Outcome::jbDone;
        } catch (const EWriteCancelled&) {
            outcome.kind = Outcome::jbCancelled;
        } catch (const std::exception& e) {
            outcome.message = QString::fromStdString(e.what());
        }
        promise.addResult(outcome);
    }));
    return true;
}

void BackgroundJob::Finished() {
    progress_->reset();
    const Outcome outcome = watcher_.future().resultCount() > 0 ? watcher_.result() : Outcome{};
    const Then then = std::move(then_);
    then_ = nullptr;
    cancel_.reset();
    then(outcome);
    emit Ended();
}

}  // namespace pellumo
