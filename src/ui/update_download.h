// SPDX-License-Identifier: GPL-3.0-or-later
// The update's download as the window shows it: it runs in the background
// with a bar and a cancel button at the end of the status bar, and the
// window stays usable meanwhile.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "update/update_installer.h"

class QProgressBar;
class QPushButton;
class QStatusBar;
class QWidget;

namespace orvane::ui {

class UpdateDownload : public QObject {
    Q_OBJECT
public:
    // The bar (UpdateProgress) and the button (CmdCancelUpdate) go into
    // `bar`, hidden until a download starts.
    UpdateDownload(QStatusBar* bar, QObject* owner);

    // `done` comes once, on this thread, when the archive is checked, the
    // download failed or the user cancelled it.
    void Start(const update::InstallRequest& request,
               std::function<void(const update::PreparedInstall&)> done);
    bool IsRunning() const { return download_->IsRunning(); }
    void Cancel();

signals:
    void statusChanged(const QString& text);

private:
    void ShowProgress(qint64 received, qint64 total);

    update::InstallDownload* download_;
    QWidget* panel_;
    QProgressBar* progress_;
    QPushButton* cancel_;
};

// "1.2 MB / 3.4 MB（35%）", or the bytes alone when the size is not known.
QString DownloadProgressText(qint64 received, qint64 total);

}  // namespace orvane::ui
