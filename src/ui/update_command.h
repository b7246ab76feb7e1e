// SPDX-License-Identifier: GPL-3.0-or-later
// What installing an update needs from the system, behind interfaces so that
// tests can stand in for it: the tool that unpacks the archive, and starting
// the restart helper that does the work once the program has ended.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace orvane::ui {

class ArchiveTool {
public:
    virtual ~ArchiveTool() = default;
    // Whether updates can be unpacked now.
    virtual bool Installed() const = 0;
    // Whether the user can be led to install it (an installer is at hand).
    virtual bool CanInstall() const = 0;
    virtual void StartInstaller() const = 0;
};

class RestartLauncher {
public:
    virtual ~RestartLauncher() = default;
    // Starts `program` detached; true when it really started.
    virtual bool Start(const QString& program, const QStringList& arguments) = 0;
};

// On Windows the archive tool is WinRAR, found through its App Paths entry
// in the registry, with its installer WinRAR.exe in the working folder;
// elsewhere it is the restart helper itself, beside the program.
std::unique_ptr<ArchiveTool> MakeArchiveTool(const QString& programDir, const QString& workDir);
std::unique_ptr<RestartLauncher> MakeRestartLauncher();

// The restart helper's file in the program's folder.
QString RestartHelperPath(const QString& programDir);

}  // namespace orvane::ui
