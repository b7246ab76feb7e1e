// SPDX-License-Identifier: GPL-3.0-or-later
// The work behind 自动对齐, off the window's thread: the reference read (a
// subtitle's cues, or the speech in a video's sound, which takes seconds to
// decode), then each file aligned to it on its own. Progress comes back as
// status text; Stop is seen while the sound is decoded and between files.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "engine/align.h"
#include "media/audio.h"
#include "textio/failure.h"

namespace orvane::ui {

// One file's proposed alignment, or why it has none.
struct AlignedFile {
    std::filesystem::path source;
    std::optional<textio::Failure> failure;
    engine::AlignReport report;
};

struct AlignOutcome {
    bool stopped = false;
    QString referenceError;  // the reference could not be used: why, in the window's words
    std::vector<AlignedFile> files;
};

struct AlignRequest {
    std::filesystem::path reference;
    std::vector<std::filesystem::path> files;
    // Row mode: the loaded file's cues, aligned in place of `files`.
    std::optional<std::vector<engine::Interval>> rows;
    std::filesystem::path rowsSource;
    engine::AlignSettings settings;
};

// Why a video's sound could not be read, in the window's words: "没有音频流".
QString SoundFailure(const media::AudioResult& result);

class AlignJob : public QObject {
    Q_OBJECT
public:
    explicit AlignJob(QObject* parent);
    ~AlignJob() override;  // stops a job under way and waits for it

    bool IsRunning() const { return running_; }
    // False when a job is under way already.
    bool Start(AlignRequest request);
    void RequestStop();

signals:
    // Status-line text ("状态：…") and the share done, 0 to 100.
    void progress(const QString& status, int percent);
    void finished(const orvane::ui::AlignOutcome& outcome);

private:
    void Work(const AlignRequest& request, const std::atomic<bool>& stop);
    std::vector<engine::Interval> ReadReference(const AlignRequest& request,
                                                const std::atomic<bool>& stop,
                                                AlignOutcome& outcome);
    void Post(const QString& status, int percent);

    std::thread worker_;
    std::shared_ptr<std::atomic<bool>> stop_;
    bool running_ = false;
};

}  // namespace orvane::ui
