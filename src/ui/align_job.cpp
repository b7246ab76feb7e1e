// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/align_job.h"

#include <QMetaObject>

#include "engine/alignment_run.h"
#include "engine/cue_intervals.h"
#include "media/speech_read.h"
#include "textio/text_file.h"
#include "ui/failure_text.h"

namespace orvane::ui {
namespace {

QString NameOf(const std::filesystem::path& path) {
    return QString::fromStdString(textio::PathToUtf8(path.filename()));
}

}  // namespace

QString SoundFailure(const media::AudioResult& result) {
    switch (result.error) {
        case media::AudioError::kUnreadable:
            return QStringLiteral("无法作为视频或音频文件读取");
        case media::AudioError::kNoAudio:
            return QStringLiteral("没有音频流");
        case media::AudioError::kNoSuchStream:
            return QStringLiteral("没有所选的音频流");
        case media::AudioError::kNoDecoder:
            return QStringLiteral("其音频无法解码");
        case media::AudioError::kDamaged:
            return QStringLiteral("其音频流已损坏");
        case media::AudioError::kNoLibrary:
            return QStringLiteral("无法读取：未安装FFmpeg的库（%1）")
                .arg(QString::fromStdString(result.detail));
        case media::AudioError::kStopped:
        case media::AudioError::kNone:
            break;
    }
    return QStringLiteral("无法读取");
}

AlignJob::AlignJob(QObject* parent) : QObject(parent) {}

AlignJob::~AlignJob() {
    RequestStop();
    if (worker_.joinable()) {
        worker_.join();
    }
}

bool AlignJob::Start(AlignRequest request) {
    if (running_) {
        return false;
    }
    if (worker_.joinable()) {
        worker_.join();  // the last job has posted its end already
    }
    running_ = true;
    stop_ = std::make_shared<std::atomic<bool>>(false);
    worker_ =
        std::thread([this, request = std::move(request), stop = stop_] { Work(request, *stop); });
    return true;
}

void AlignJob::RequestStop() {
    if (stop_) {
        stop_->store(true);
    }
}

void AlignJob::Post(const QString& status, int percent) {
    QMetaObject::invokeMethod(
        this, [this, status, percent] { emit progress(status, percent); }, Qt::QueuedConnection);
}

std::vector<engine::Interval> AlignJob::ReadReference(const AlignRequest& request,
                                                      const std::atomic<bool>& stop,
                                                      AlignOutcome& outcome) {
    const QString name = NameOf(request.reference);
    if (engine::IsSubtitleReference(request.reference)) {
        Post(QStringLiteral("状态：正在读取参考字幕：") + name, 0);
        engine::CueIntervalsResult read = engine::ReadCueIntervals(request.reference);
        if (read.failure) {
            outcome.referenceError = QStringLiteral("参考字幕") + FailureLine(*read.failure);
            return {};
        }
        return std::move(read.cues);
    }
    Post(QStringLiteral("状态：正在读取参考视频的声音：") + name, 0);
    int shown = 0;
    const media::SpeechRead read = media::ReadSpeech(
        request.reference, media::AudioOptions{},
        [&](double fraction) {
            const int percent = static_cast<int>(fraction * 90);
            if (percent != shown) {
                shown = percent;
                Post(QStringLiteral("状态：正在读取参考视频的声音：%1（%2%）")
                         .arg(name)
                         .arg(static_cast<int>(fraction * 100)),
                     percent);
            }
        },
        &stop);
    if (read.audio.error == media::AudioError::kStopped) {
        outcome.stopped = true;
        return {};
    }
    if (read.audio.error != media::AudioError::kNone) {
        outcome.referenceError =
            QStringLiteral("参考文件") + name + QStringLiteral("：") + SoundFailure(read.audio);
        return {};
    }
    if (read.NoSpeech()) {
        outcome.referenceError =
            QStringLiteral("参考文件") + name + QStringLiteral("：声音中没有找到人声");
        return {};
    }
    std::vector<engine::Interval> speech;
    speech.reserve(read.spans.size());
    for (const media::SpeechSpan& span : read.spans) {
        speech.push_back({span.start, span.end});
    }
    return speech;
}

void AlignJob::Work(const AlignRequest& request, const std::atomic<bool>& stop) {
    AlignOutcome outcome;
    const std::vector<engine::Interval> reference = ReadReference(request, stop, outcome);
    if (!outcome.stopped && outcome.referenceError.isEmpty()) {
        if (request.rows) {
            Post(QStringLiteral("状态：正在对齐当前字幕列表"), 95);
            outcome.files.push_back({request.rowsSource, std::nullopt,
                                     engine::Align(*request.rows, reference, request.settings)});
        }
        const std::size_t count = request.rows ? 0 : request.files.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (stop.load()) {
                outcome.stopped = true;
                break;
            }
            const std::filesystem::path& file = request.files[i];
            Post(QStringLiteral("状态：正在对齐第 %1/%2 个文件：%3")
                     .arg(i + 1)
                     .arg(count)
                     .arg(NameOf(file)),
                 90 + static_cast<int>(10 * i / count));
            engine::FileAlignment aligned = engine::AlignFile(file, reference, request.settings);
            outcome.files.push_back({file, std::move(aligned.failure), std::move(aligned.report)});
        }
    }
    QMetaObject::invokeMethod(
        this,
        [this, outcome = std::move(outcome)] {
            running_ = false;
            emit finished(outcome);
        },
        Qt::QueuedConnection);
}

}  // namespace orvane::ui
