// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/update_command.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>

namespace orvane::ui {
namespace {

#ifdef Q_OS_WIN
class WinRar final : public ArchiveTool {
public:
    explicit WinRar(QString workDir) : workDir_(std::move(workDir)) {}
    bool Installed() const override {
        const QSettings key(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\"
                                           "CurrentVersion\\App Paths\\WinRAR.exe"),
                            QSettings::NativeFormat);
        return !key.value(QStringLiteral(".")).toString().isEmpty();
    }
    bool CanInstall() const override { return true; }
    void StartInstaller() const override {
        QProcess::startDetached(QDir(workDir_).filePath(QStringLiteral("WinRAR.exe")), {});
    }

private:
    QString workDir_;
};
#endif

// The restart helper reads the archive itself (libarchive).
class HelperBesideProgram final : public ArchiveTool {
public:
    explicit HelperBesideProgram(QString programDir) : programDir_(std::move(programDir)) {}
    bool Installed() const override {
        return QFileInfo(RestartHelperPath(programDir_)).isExecutable();
    }
    bool CanInstall() const override { return false; }
    void StartInstaller() const override {}

private:
    QString programDir_;
};

class DetachedLauncher final : public RestartLauncher {
public:
    bool Start(const QString& program, const QStringList& arguments) override {
        return QProcess::startDetached(program, arguments, QFileInfo(program).absolutePath());
    }
};

}  // namespace

QString RestartHelperPath(const QString& programDir) {
#ifdef Q_OS_WIN
    return QDir(programDir).filePath(QStringLiteral("Tarrow.exe"));
#else
    return QDir(programDir).filePath(QStringLiteral("tarrow"));
#endif
}

std::unique_ptr<ArchiveTool> MakeArchiveTool(const QString& programDir, const QString& workDir) {
#ifdef Q_OS_WIN
    (void)programDir;
    return std::make_unique<WinRar>(workDir);
#else
    (void)workDir;
    return std::make_unique<HelperBesideProgram>(programDir);
#endif
}

std::unique_ptr<RestartLauncher> MakeRestartLauncher() {
    return std::make_unique<DetachedLauncher>();
}

}  // namespace orvane::ui
