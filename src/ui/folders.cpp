// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/folders.h"

#include <QDir>
#include <QFileInfo>

namespace orvane::ui {

WorkDirChoice ChooseWorkDirWindows(const QString& programDir, const WindowsFolders& folders) {
    // An empty variable would be found inside every path; it says nothing.
    const bool underProgramFiles =
        !folders.programFilesDir.isEmpty() && programDir.contains(folders.programFilesDir);
    if (underProgramFiles && folders.HasProgramData() && folders.winDir.size() >= 3) {
        return {folders.winDir.left(3) + QStringLiteral("Temp"), true};
    }
    return {programDir, false};
}

WorkDirChoice ChooseWorkDirElsewhere(const QString& programDir, bool programDirWritable,
                                     const QString& userCacheDir) {
    if (programDirWritable || userCacheDir.isEmpty()) {
        return {programDir, false};
    }
    return {userCacheDir, true};
}

bool IsReadOnlySystemFolderWindows(const QString& path, const WindowsFolders& folders) {
    if (!folders.HasProgramData()) {
        return false;
    }
    const auto contains = [&path](const QString& part) {
        return !part.isEmpty() && path.contains(part);
    };
    return contains(folders.winDir) || contains(folders.programFilesDir);
}

QStringList SystemFoldersElsewhere() {
    QStringList folders = {
        QStringLiteral("/bin"),   QStringLiteral("/boot"),   QStringLiteral("/dev"),
        QStringLiteral("/etc"),   QStringLiteral("/lib"),    QStringLiteral("/lib32"),
        QStringLiteral("/lib64"), QStringLiteral("/libx32"), QStringLiteral("/opt"),
        QStringLiteral("/proc"),  QStringLiteral("/sbin"),   QStringLiteral("/snap"),
        QStringLiteral("/sys"),   QStringLiteral("/usr"),
    };
#ifdef Q_OS_MACOS
    folders << QStringLiteral("/System") << QStringLiteral("/Library")
            << QStringLiteral("/Applications") << QStringLiteral("/private/etc");
#endif
    return folders;
}

namespace {

bool IsAtOrBelow(const QString& path, const QStringList& folders) {
    if (path == QStringLiteral("/")) {
        return true;
    }
    for (const QString& folder : folders) {
        if (path == folder || path.startsWith(folder + QLatin1Char('/'))) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool IsReadOnlySystemFolderElsewhere(const QString& path, const QStringList& systemFolders) {
    if (path.isEmpty()) {
        return false;
    }
    const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(path));
    if (IsAtOrBelow(clean, systemFolders)) {
        return true;
    }
    // A link such as /lib -> /usr/lib, or one of the user's own links into
    // the system, leads to the same place.
    const QString resolved = QFileInfo(clean).canonicalFilePath();
    return !resolved.isEmpty() && IsAtOrBelow(resolved, systemFolders);
}

QString WithOneTrailingSeparator(const QString& path, QChar separator) {
    if (path.isEmpty()) {
        return path;
    }
    const QString doubled(2, separator);
    QString result = path + separator;
    while (result.contains(doubled)) {
        result.replace(doubled, QString(separator));
    }
    if (path.startsWith(doubled)) {
        result.prepend(separator);
    }
    return result;
}

QString DefaultOutputDir(const QString& homeDir) {
#ifdef Q_OS_WIN
    Q_UNUSED(homeDir);
    return QStringLiteral("C:\\Temp");
#else
    return QDir::toNativeSeparators(QDir(homeDir).filePath(QStringLiteral("Temp")));
#endif
}

}  // namespace orvane::ui
