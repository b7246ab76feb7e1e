// SPDX-License-Identifier: GPL-3.0-or-later
// The steps of installing an update that need no window: the archive is
// downloaded into the working folder, checked against the SHA-256 the
// version file named, and the hand-over for the restart helper is made.
// An archive that does not match is never handed on.
#pragma once

#include <QString>
#include <QUrl>
#include <optional>
#include <string>

namespace orvane::update {

struct InstallRequest {
    QUrl base;                          // the download server's folder
    QString workDir;                    // where the archive is written
    std::optional<std::string> sha256;  // from the version file, lower-case hex
    std::string title;                  // the program's name, for the helper
    std::string caption;                // the window's caption, for the helper
};

struct PreparedInstall {
    QString refusal;   // why not, for the user; empty when ready
    QString handOver;  // the helper's first argument, when ready
};

// Downloads and checks; waits for the download while events go on.
PreparedInstall PrepareInstall(const InstallRequest& request);

}  // namespace orvane::update
