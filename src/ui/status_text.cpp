// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/status_text.h"

#include "textio/text_file.h"

namespace orvane::ui {

QString ProgressText(const textio::Progress& progress) {
    QString text = progress.stage == textio::ProgressStage::Reading
                       ? QStringLiteral("字幕记录读取中...")
                       : QStringLiteral("字幕记录时间轴平移处理中...");
    text += QString::number(progress.current) + QLatin1Char('/') + QString::number(progress.last);
    if (progress.stage == textio::ProgressStage::Reading && progress.forShifter &&
        !progress.suffix.empty()) {
        text += QStringLiteral("；") +
                QString::fromUtf8(progress.suffix.data(), qsizetype(progress.suffix.size()));
    }
    return text;
}

QString FileStatus(std::size_t number, std::size_t count, const std::filesystem::path& file) {
    return QStringLiteral("正在处理第 %1/%2 个文件：%3")
        .arg(number)
        .arg(count)
        .arg(QString::fromStdString(textio::PathToUtf8(file.filename())));
}

}  // namespace orvane::ui
