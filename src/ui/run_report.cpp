// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/run_report.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>

#include "ui/failure_text.h"

namespace orvane::ui {
namespace {

const QString kLineEnd = QStringLiteral("\r\n");

QString FileName(const std::filesystem::path& path) {
    return QString::fromStdString(textio::PathToUtf8(path.filename()));
}

// One section: a heading and the first names, "……等 N 个文件" for the rest.
// The details always get every name.
void AddSection(const QString& heading, const QStringList& lines, QStringList& text,
                QStringList& details) {
    if (lines.isEmpty()) {
        return;
    }
    text << heading;
    text << lines.mid(0, kNamedInMessage);
    if (lines.size() > kNamedInMessage) {
        text << QStringLiteral("……等 %1 个文件").arg(lines.size());
    }
    details << heading << lines;
}

// "处理完毕" only when every file was written.
QString Heading(const engine::BatchSummary& summary) {
    if (summary.stopped) {
        return QStringLiteral("已终止：已处理 %1/%2 个文件")
            .arg(summary.processed)
            .arg(summary.planned);
    }
    if (summary.Written() == 0) {
        return QStringLiteral("未写出任何文件！");
    }
    if (summary.Failed() > 0) {
        return QStringLiteral("部分文件未能处理！");
    }
    return QStringLiteral("处理完毕！");
}

}  // namespace

QString MovedText(std::size_t cues, double largestChange) {
    return QStringLiteral("共移动 %1 条字幕，最大变动 %2 秒")
        .arg(QLocale(QLocale::English).toString(qulonglong(cues)))
        .arg(largestChange, 0, 'f', 3);
}

RunReport MakeRunReport(const engine::BatchSummary& summary, const QString& retiming) {
    QStringList failures;
    for (const textio::Failure& refused : summary.refused) {
        failures << FailureLine(refused);
    }
    QStringList uncertain;
    QStringList lossy;
    QStringList untimed;
    QStringList unusual;
    QStringList replaced;
    for (const engine::FileOutcome& outcome : summary.outcomes) {
        if (outcome.failure && outcome.failure->kind == textio::FailureKind::EncodingUncertain) {
            uncertain << QStringLiteral("%1（可能是%2）")
                             .arg(FileName(outcome.source),
                                  QString::fromStdString(
                                      textio::JoinNames(outcome.failure->names, "、")));
            continue;
        }
        if (outcome.failure) {
            failures << FailureLine(*outcome.failure);
            continue;
        }
        if (outcome.gbk.unencodableCount > 0) {
            lossy << QStringLiteral("%1（%2个）")
                         .arg(FileName(outcome.source))
                         .arg(outcome.gbk.unencodableCount);
        }
        if (outcome.read.unusualCharset) {
            unusual << QStringLiteral("%1（%2）")
                           .arg(FileName(outcome.source),
                                QString::fromStdString(outcome.read.charset));
        }
        if (outcome.read.replacedBytes > 0) {
            replaced << QStringLiteral("%1（第%2行起，%3处）")
                            .arg(FileName(outcome.source))
                            .arg(outcome.read.firstReplacedLine)
                            .arg(outcome.read.replacedBytes);
        }
        if (outcome.stats.untimed > 0) {
            untimed << QStringLiteral("%1（%2处）")
                           .arg(FileName(outcome.source))
                           .arg(outcome.stats.untimed);
        }
    }
    QStringList sameFile;
    for (const engine::SkippedName& skipped : summary.skipped) {
        if (skipped.why == engine::SkippedName::Why::SameFile) {
            sameFile << QStringLiteral("%1（与%2是同一个文件）")
                            .arg(FileName(skipped.path), FileName(skipped.sameAs));
        }
    }

    QStringList text;
    text << Heading(summary);
    if (!retiming.isEmpty()) {
        std::size_t moved = 0;
        double largest = 0;
        for (const engine::FileOutcome& outcome : summary.outcomes) {
            if (!outcome.failure) {
                moved += outcome.stats.shifted;
                largest = std::max(largest, outcome.stats.largestChange);
            }
        }
        text << retiming << MovedText(moved, largest) + QStringLiteral("。");
    }
    const bool clean = failures.isEmpty() && uncertain.isEmpty() && lossy.isEmpty() &&
                       untimed.isEmpty() && replaced.isEmpty();
    if (!clean || summary.stopped) {
        text << QStringLiteral("已写出 %1 个文件。").arg(summary.Written());
    }
    QStringList details;
    AddSection(QStringLiteral("以下文件未能处理："), failures, text, details);
    // The choice holds for every file of a run: these are best run on their own.
    AddSection(QStringLiteral("以下文件无法确定编码，未写出；请在“输入编码”中选定其一后再处理："),
               uncertain, text, details);
    AddSection(QStringLiteral("以下文件含有GB2312无法表示的字符，已写为“?”："), lossy, text,
               details);
    AddSection(QStringLiteral("以下文件有无法识别的时间轴行，已原样保留："), untimed, text,
               details);
    AddSection(QStringLiteral("以下文件中有无法识别的字节，已替换为“\uFFFD”："), replaced, text,
               details);
    AddSection(QStringLiteral("以下文件不是UTF-8或GBK编码，已按检测到的编码读取："), unusual, text,
               details);
    // One file reached by two names needs no attention: only the details say so.
    if (!sameFile.isEmpty()) {
        details << QStringLiteral("以下文件与列表中的另一项是同一个文件，只处理了一次：")
                << sameFile;
    }

    RunReport report;
    report.text = text.join(kLineEnd);
    const bool cut = failures.size() > kNamedInMessage || uncertain.size() > kNamedInMessage ||
                     lossy.size() > kNamedInMessage || untimed.size() > kNamedInMessage ||
                     replaced.size() > kNamedInMessage || unusual.size() > kNamedInMessage ||
                     !sameFile.isEmpty();
    if (cut) {
        report.details = details.join(QStringLiteral("\n"));
    }
    return report;
}

}  // namespace orvane::ui
