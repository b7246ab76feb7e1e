// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/file_types.h"

#include <QStringList>

namespace orvane::ui {

bool MatchesFilePatterns(const QString& fileName, const QString& patterns) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) {
        return false;
    }
    const QStringView extension = QStringView(fileName).mid(dot);  // ".srt"
    const QStringList parts = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& pattern : parts) {
        const QString trimmed = pattern.trimmed();
        if (trimmed.startsWith(QLatin1Char('*')) &&
            extension.compare(QStringView(trimmed).mid(1), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace orvane::ui
