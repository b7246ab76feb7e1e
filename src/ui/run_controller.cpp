// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/run_controller.h"

#include <QMetaObject>
#include <QTimer>

#include "textio/text_file.h"
#include "ui/status_text.h"

namespace orvane::ui {
namespace {

// Often enough to look live, rarely enough to cost nothing.
constexpr int kStatusIntervalMs = 100;

}  // namespace

RunController::RunController(QObject* parent) : QObject(parent) {
    qRegisterMetaType<engine::BatchSummary>("orvane::engine::BatchSummary");
    statusTimer_ = new QTimer(this);
    statusTimer_->setInterval(kStatusIntervalMs);
    connect(statusTimer_, &QTimer::timeout, this, &RunController::PublishStatus);
}

RunController::~RunController() {
    RequestStop();
    if (worker_.joinable()) {
        worker_.join();
    }
}

void RunController::RequestStop() {
    const std::lock_guard<std::mutex> lock(pauseMutex_);
    stop_.store(true);
    pauseChanged_.notify_all();
}

void RunController::Pause() {
    const std::lock_guard<std::mutex> lock(pauseMutex_);
    paused_ = true;
}

void RunController::Resume() {
    const std::lock_guard<std::mutex> lock(pauseMutex_);
    paused_ = false;
    pauseChanged_.notify_all();
}

bool RunController::Start(engine::BatchPlan plan) {
    if (worker_.joinable()) {
        return false;
    }
    stop_.store(false);
    statusTimer_->start();
    worker_ = std::thread([this, plan = std::move(plan)] { Work(plan); });
    return true;
}

void RunController::Work(const engine::BatchPlan& plan) {
    QString fileText;  // "正在处理第 3/5 个文件：a.srt"; only this thread touches it
    std::size_t calls = 0;
    auto setStatus = [this](QString text) {
        const std::lock_guard<std::mutex> lock(statusMutex_);
        latestStatus_ = std::move(text);
        statusChanged_ = true;
    };

    engine::BatchObserver observer;
    observer.fileStarted = [&](std::size_t number, std::size_t count,
                               const engine::PlannedFile& file) {
        fileText = FileStatus(number, count, file.source);
        setStatus(QStringLiteral("状态：") + fileText);
        const QString source = QString::fromStdString(textio::PathToUtf8(file.source));
        QMetaObject::invokeMethod(
            this,
            [this, number, count, source] { emit fileStarted(int(number), int(count), source); },
            Qt::QueuedConnection);
    };
    observer.progress = [&](const textio::Progress& progress) {
        // Every line reports; the text is made for one line in a thousand
        // and for the last, which is more than the timer shows.
        if ((++calls % 1024) == 0 || progress.current == progress.last) {
            setStatus(QStringLiteral("状态：") + fileText + QStringLiteral("；") +
                      ProgressText(progress));
        }
    };
    observer.fileDone = [this](const engine::FileOutcome& outcome) {
        if (fileDoneHook_) {
            fileDoneHook_(outcome);
        }
        // Between files: a question about the run holds it here.
        std::unique_lock<std::mutex> lock(pauseMutex_);
        pauseChanged_.wait(lock, [this] { return !paused_ || stop_.load(); });
    };
    engine::RunOptions options;
    options.stopRequested = &stop_;

    engine::BatchSummary summary = engine::RunBatch(plan, observer, options);
    QMetaObject::invokeMethod(
        this,
        [this, summary = std::move(summary)] {
            worker_.join();
            statusTimer_->stop();
            PublishStatus();
            emit finished(summary);
        },
        Qt::QueuedConnection);
}

void RunController::PublishStatus() {
    QString text;
    {
        const std::lock_guard<std::mutex> lock(statusMutex_);
        if (!statusChanged_) {
            return;
        }
        statusChanged_ = false;
        text = latestStatus_;
    }
    emit statusChanged(text);
}

}  // namespace orvane::ui
