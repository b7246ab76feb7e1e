// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a planned batch on a worker thread, so the window stays responsive
// and its Stop button is answered between files. Progress comes back as
// status-line text, at most a few times a second.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "engine/batch.h"

class QTimer;

namespace orvane::ui {

class RunController : public QObject {
    Q_OBJECT
public:
    explicit RunController(QObject* parent = nullptr);
    ~RunController() override;  // asks a run under way to stop and waits for it

    bool IsRunning() const { return worker_.joinable(); }

    // Starts the run; false when one is already under way.
    bool Start(engine::BatchPlan plan);

    // The current file is finished; no further file starts.
    void RequestStop();
    // While a question about the run is open: once the current file is
    // finished, the next one waits until Resume (or a stop).
    void Pause();
    void Resume();

    // Called on the worker thread after each file; tests use it to act at an
    // exact point of a run.
    void SetFileDoneHook(std::function<void(const engine::FileOutcome&)> hook) {
        fileDoneHook_ = std::move(hook);
    }

signals:
    // A file starts: its number from 1, the count, and the path as planned.
    void fileStarted(int number, int count, const QString& source);
    // The status line: "状态：正在处理第 3/5 个文件：a.srt；…".
    void statusChanged(const QString& text);
    void finished(const engine::BatchSummary& summary);

private:
    void Work(const engine::BatchPlan& plan);
    void PublishStatus();

    std::thread worker_;
    std::atomic<bool> stop_{false};
    std::mutex pauseMutex_;
    std::condition_variable pauseChanged_;
    bool paused_ = false;
    std::function<void(const engine::FileOutcome&)> fileDoneHook_;

    // The latest progress, written by the worker and read by the window's timer.
    std::mutex statusMutex_;
    QString latestStatus_;
    bool statusChanged_ = false;
    QTimer* statusTimer_ = nullptr;
};

}  // namespace orvane::ui
