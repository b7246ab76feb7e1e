// SPDX-License-Identifier: GPL-3.0-or-later
// What the window reads from the system it runs on: environment variables
// and the folders that decide where the program may write.
#pragma once

#include <QSettings>
#include <QString>
#include <memory>

namespace orvane::ui {

class SystemServices {
public:
    virtual ~SystemServices() = default;

    virtual QString EnvironmentVariable(const QString& name) const = 0;
    virtual QString ProgramDir() const = 0;  // the folder that holds the program file
    virtual QString HomeDir() const = 0;
    virtual QString UserCacheDir() const = 0;  // per-user, for the program's own files
    virtual bool IsWritableDir(const QString& dir) const = 0;
    // Creates `dir` with every missing parent; true when it exists afterwards.
    virtual bool MakePath(const QString& dir) const = 0;
    // Where the window's choices are remembered between starts.
    virtual std::unique_ptr<QSettings> OpenSettings() const = 0;
};

std::unique_ptr<SystemServices> MakeQtSystemServices();

}  // namespace orvane::ui
