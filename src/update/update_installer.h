// SPDX-License-Identifier: GPL-3.0-or-later
// The steps of installing an update that need no window: the archive is
// downloaded into the working folder, checked against the SHA-256 the
// version file named, and the hand-over for the restart helper is made.
// An archive that does not match is never handed on.
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>
#include <string>

#include "update/downloader.h"

namespace orvane::update {

struct InstallRequest {
    QUrl base;                          // the download server's folder
    QString workDir;                    // where the archive is written
    std::optional<std::string> sha256;  // from the version file, lower-case hex
    std::string title;                  // the program's name, for the helper
    std::string caption;                // the window's caption, for the helper
    DownloadLimits limits = kArchiveLimits;
};

struct PreparedInstall {
    QString refusal;         // why not, for the user; empty when ready
    QString handOver;        // the helper's first argument, when ready
    bool cancelled = false;  // the user ended the download
};

// Downloads the archive in the background and checks it; the caller goes on
// meanwhile.
class InstallDownload : public QObject {
    Q_OBJECT
public:
    explicit InstallDownload(QObject* parent = nullptr);

    // `progress` as bytes come, `done` once at the end (never after this
    // object is gone).
    void Start(const InstallRequest& request, const DownloadProgress& progress,
               const std::function<void(const PreparedInstall&)>& done);
    bool IsRunning() const { return running_; }
    // The download ends as cancelled; nothing is installed.
    void Cancel();

private:
    Downloader* downloader_;
    bool running_ = false;
};

}  // namespace orvane::update
