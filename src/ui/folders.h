// SPDX-License-Identifier: GPL-3.0-or-later
// Rules for the output folder and the working folder. The Windows rules and
// those of other systems are both plain functions, so either can be checked
// anywhere.
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

namespace orvane::ui {

// The environment values read at start-up on Windows.
struct WindowsFolders {
    QString winDir;           // "windir", e.g. C:\Windows
    QString programFilesDir;  // "programfiles"
    QString programDataDir;   // "programdata"

    // Set on the Windows versions where the program's folder under Program
    // Files and the Windows folder are read-only for the user.
    bool HasProgramData() const { return !programDataDir.isEmpty(); }
};

struct WorkDirChoice {
    QString dir;
    bool create = false;  // the folder may be missing and must be made
};

// Windows: the program folder, unless it lies under Program Files on a
// system with ProgramData; then Temp at the root of the Windows drive.
WorkDirChoice ChooseWorkDirWindows(const QString& programDir, const WindowsFolders& folders);

// Elsewhere: the program folder when the program may write there, else the
// per-user cache folder.
WorkDirChoice ChooseWorkDirElsewhere(const QString& programDir, bool programDirWritable,
                                     const QString& userCacheDir);

// Windows: a folder that contains the Windows folder or Program Files in its
// path is read-only for the user.
bool IsReadOnlySystemFolderWindows(const QString& path, const WindowsFolders& folders);

// Elsewhere: the root and the folders of the system and of installed
// programs, with everything below them.
QStringList SystemFoldersElsewhere();
bool IsReadOnlySystemFolderElsewhere(const QString& path, const QStringList& systemFolders);

// The picker's answer as the output folder shows it: ending in exactly one
// separator, doubled separators collapsed except the two that open a network
// path (\\server\share). Empty stays empty.
QString WithOneTrailingSeparator(const QString& path, QChar separator);

// C:\Temp on Windows, ~/Temp elsewhere.
QString DefaultOutputDir(const QString& homeDir);

}  // namespace orvane::ui
