// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/update_download.h"

#include <QHBoxLayout>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

namespace orvane::ui {
namespace {

QString Size(qint64 bytes) {
    return QLocale(QLocale::English).formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

}  // namespace

QString DownloadProgressText(qint64 received, qint64 total) {
    if (total <= 0) {
        return Size(received);
    }
    return QStringLiteral("%1 / %2（%3%）")
        .arg(Size(received), Size(total))
        .arg(received * 100 / total);
}

UpdateDownload::UpdateDownload(QStatusBar* bar, QObject* owner)
    : QObject(owner),
      download_(new update::InstallDownload(this)),
      panel_(new QWidget),
      progress_(new QProgressBar),
      cancel_(new QPushButton(QStringLiteral("取消下载"))) {
    setObjectName(QStringLiteral("UpdateDownload"));
    progress_->setObjectName(QStringLiteral("UpdateProgress"));
    cancel_->setObjectName(QStringLiteral("CmdCancelUpdate"));
    progress_->setMaximumWidth(160);
    auto* row = new QHBoxLayout(panel_);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(progress_);
    row->addWidget(cancel_);
    bar->addPermanentWidget(panel_);
    panel_->setVisible(false);
    connect(cancel_, &QPushButton::clicked, this, &UpdateDownload::Cancel);
}

void UpdateDownload::Start(const update::InstallRequest& request,
                           std::function<void(const update::PreparedInstall&)> done) {
    progress_->setRange(0, 0);  // busy until the size is known
    cancel_->setEnabled(true);
    panel_->setVisible(true);
    emit statusChanged(QStringLiteral("状态：正在下载更新……"));
    download_->Start(
        request, [this](qint64 received, qint64 total) { ShowProgress(received, total); },
        [this, done = std::move(done)](const update::PreparedInstall& prepared) {
            panel_->setVisible(false);
            done(prepared);
        });
}

void UpdateDownload::Cancel() {
    if (download_->IsRunning()) {
        cancel_->setEnabled(false);
        download_->Cancel();
    }
}

void UpdateDownload::ShowProgress(qint64 received, qint64 total) {
    if (total > 0) {
        // Percent steps: sizes past the bar's int range fit as well.
        progress_->setRange(0, 100);
        progress_->setValue(int(received * 100 / total));
    }
    emit statusChanged(QStringLiteral("状态：正在下载更新：") +
                       DownloadProgressText(received, total));
}

}  // namespace orvane::ui
