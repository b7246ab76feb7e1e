// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/opening_search_panel.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QMetaObject>

#include "engine/retime.h"
#include "engine/shift_settings.h"
#include "engine/timecode.h"
#include "textio/text_file.h"
#include "ui/align_job.h"
#include "ui/dialogs.h"
#include "ui/elided_label.h"
#include "ui/form1_view.h"
#include "ui/input_encoding.h"
#include "ui/options_panel.h"
#include "ui/run_presenter.h"

namespace orvane::ui {
namespace {

const QString kEpisodePatterns =
    QString::fromUtf8(media::kOpeningVideoPatterns) + QStringLiteral(";*.mov;*.webm;*.ts;*.m2ts");

// Seconds in whole milliseconds, as the span is shown and cut.
double WholeMilliseconds(double seconds) {
    return engine::RoundToWhole(seconds * 1000) / 1000;
}

// "00:01:35.000".
QString Time(double seconds) {
    return QString::fromStdString(engine::FormatSrtTime(seconds))
        .replace(QLatin1Char(','), QLatin1Char('.'));
}

}  // namespace

OpeningSearchPanel::OpeningSearchPanel(Form1View& view, Dialogs& dialogs, QWidget* owner,
                                       Rooms rooms)
    : QObject(owner),
      view_(view),
      dialogs_(dialogs),
      owner_(owner),
      rooms_(rooms),
      finder_([](const media::OpeningSearch& search, const media::AudioProgress& progress,
                 const std::atomic<bool>* stop) {
          return media::FindOpening(search, progress, stop);
      }) {
    setObjectName(QStringLiteral("OpeningSearchPanel"));
    menuFind_ = new QAction(QStringLiteral("找到片头位置(&F)..."), view_.MenuFiles);
    menuFind_->setObjectName(QStringLiteral("MenuFindHead"));
    menuFind_->setToolTip(QStringLiteral("在正片视频的开头找到片头的位置，并从字幕中剪掉这一段"));
    const QList<QAction*> items = view_.MenuFiles->actions();
    const qsizetype head = items.indexOf(view_.MenuHead);
    view_.MenuFiles->insertAction(head + 1 < items.size() ? items[head + 1] : nullptr, menuFind_);
    connect(menuFind_, &QAction::triggered, this, &OpeningSearchPanel::Search);
}

OpeningSearchPanel::~OpeningSearchPanel() {
    if (stop_) {
        stop_->store(true);
    }
    if (worker_.joinable()) {
        worker_.join();
    }
}

void OpeningSearchPanel::Search() {
    if (searching_ || rooms_.run->IsBusy()) {
        dialogs_.Beep();
        return;
    }
    const OpeningClip& clip = rooms_.options->Opening();
    if (clip.path.isEmpty() || !QFileInfo::exists(clip.path)) {
        dialogs_.Ask(owner_, {QStringLiteral("请指定片头视频文件！"), MessageIcon::Error});
        return;
    }
    if (view_.List1->count() == 0) {
        dialogs_.Ask(owner_, {QStringLiteral("请先加载字幕文件列表！"), MessageIcon::Error});
        return;
    }
    const QStringList chosen = dialogs_.GetOpenFileNames(
        owner_, {QStringLiteral("指定正片视频文件"), QStringLiteral("视频文件"), kEpisodePatterns,
                 false, lastDir_});
    if (chosen.isEmpty()) {
        return;
    }
    lastDir_ = QFileInfo(chosen.front()).absolutePath();
    const QString name = QFileInfo(chosen.front()).fileName();
    const media::OpeningSearch search{textio::PathFromUtf8(clip.path.toStdString()),
                                      textio::PathFromUtf8(chosen.front().toStdString())};
    if (worker_.joinable()) {
        worker_.join();  // the last search has posted its end already
    }
    searching_ = true;
    menuFind_->setEnabled(false);
    stop_ = std::make_shared<std::atomic<bool>>(false);
    emit statusChanged(QStringLiteral("状态：正在查找片头位置：") + name);
    worker_ = std::thread([this, search, name, finder = finder_, stop = stop_] {
        int shown = 0;
        const media::OpeningFound found = finder(
            search,
            [&](double fraction) {
                const int percent = static_cast<int>(fraction * 100);
                if (percent != shown) {
                    shown = percent;
                    QMetaObject::invokeMethod(
                        this,
                        [this, name, percent] {
                            emit statusChanged(QStringLiteral("状态：正在查找片头位置：%1（%2%）")
                                                   .arg(name)
                                                   .arg(percent));
                        },
                        Qt::QueuedConnection);
                }
            },
            stop.get());
        QMetaObject::invokeMethod(
            this, [this, found, name] { OnFound(found, name); }, Qt::QueuedConnection);
    });
}

void OpeningSearchPanel::OnFound(const media::OpeningFound& found, const QString& episodeName) {
    searching_ = false;
    menuFind_->setEnabled(true);
    if (found.audio.error == media::AudioError::kStopped) {
        emit statusChanged(QStringLiteral("状态：已停止查找片头位置"));
        return;
    }
    if (!found.Found()) {
        QString text;
        if (found.unread == media::OpeningFound::Unread::kClip) {
            text = QStringLiteral("片头视频文件") + SoundFailure(found.audio);
        } else if (found.unread == media::OpeningFound::Unread::kEpisode) {
            text = QStringLiteral("正片视频文件") + episodeName + QStringLiteral("：") +
                   SoundFailure(found.audio);
        } else {
            text = QStringLiteral("在%1的前%2分钟内没有找到片头的声音。")
                       .arg(episodeName)
                       .arg(static_cast<int>(media::OpeningSearch{}.searchSeconds / 60));
        }
        emit statusChanged(QStringLiteral("状态：没有找到片头位置"));
        dialogs_.Ask(owner_,
                     {text + QStringLiteral("\r\n未修改任何字幕文件。"), MessageIcon::Warning});
        return;
    }
    const double start = WholeMilliseconds(found.match.start);
    const double end = WholeMilliseconds(found.match.end);
    const QString span = Time(start) + QStringLiteral(" – ") + Time(end);
    emit statusChanged(QStringLiteral("状态：片头位于 ") + span);
    const MessageAnswer answer =
        dialogs_.Ask(owner_, {QStringLiteral("片头位于 %1，要从字幕中剪掉这一段吗？").arg(span),
                              MessageIcon::Information, MessageButtons::YesNo, MessageAnswer::Yes});
    if (answer != MessageAnswer::Yes) {
        return;
    }
    if (rooms_.run->IsBusy() || view_.List1->count() == 0) {
        dialogs_.Ask(owner_, {QStringLiteral("请先加载字幕文件列表！"), MessageIcon::Error});
        return;
    }
    // The span found is cut as cut mode cuts an opening; what is written
    // follows the options as for any run.
    engine::ShiftSettings settings =
        engine::CutSpanOnly(OutputChoices(rooms_.options->Read(),
                                          textio::PathFromUtf8(view_.LDir->text().toStdString())),
                            start, end);
    settings.encoding = ChosenEncoding(view_.CmbEncoding);
    if (!settings.overwrite) {
        // A folder that cannot be made shows up as the files that failed.
        QDir().mkpath(view_.LDir->text());
    }
    rooms_.run->Start(settings);
}

}  // namespace orvane::ui
