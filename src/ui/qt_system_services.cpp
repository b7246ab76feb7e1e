// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/system_services.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace orvane::ui {
namespace {

class QtSystemServices final : public SystemServices {
public:
    QString EnvironmentVariable(const QString& name) const override {
        return qEnvironmentVariable(name.toLocal8Bit().constData());
    }

    QString ProgramDir() const override {
        return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    }

    QString HomeDir() const override { return QDir::toNativeSeparators(QDir::homePath()); }

    QString UserCacheDir() const override {
        return QDir::toNativeSeparators(
            QStandardPaths::writableLocation(QStandardPaths::CacheLocation));
    }

    // Permission bits do not tell the whole story (read-only mounts, access
    // lists), so try to create a file there.
    bool IsWritableDir(const QString& dir) const override {
        QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".orvane-probe-XXXXXX")));
        return probe.open();
    }

    bool MakePath(const QString& dir) const override { return QDir().mkpath(dir); }

    // The platform's usual place: the registry on Windows, ~/.config elsewhere.
    std::unique_ptr<QSettings> OpenSettings() const override {
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           QStringLiteral("Orvane"), QStringLiteral("orvane"));
    }
};

}  // namespace

std::unique_ptr<SystemServices> MakeQtSystemServices() {
    return std::make_unique<QtSystemServices>();
}

}  // namespace orvane::ui
