// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/update_installer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include "textio/text_file.h"
#include "update/restart_helper.h"

namespace orvane::update {
namespace {

bool DigestMatches(const QString& path, const std::string& sha256) {
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return file.open(QIODevice::ReadOnly) && hash.addData(&file) &&
           hash.result().toHex().toStdString() == sha256;
}

QString ArchivePath(const InstallRequest& request) {
    return QDir(request.workDir).filePath(QStringLiteral("Velmora.rar"));
}

// What a finished download leads to: a refusal, or the hand-over.
PreparedInstall Checked(const InstallRequest& request, const DownloadResult& download) {
    PreparedInstall prepared;
    if (!download.ok) {
        prepared.cancelled = download.cancelled;
        prepared.refusal =
            QStringLiteral("下载更新文件失败（%1），未安装任何内容。").arg(download.error);
        return prepared;
    }
    if (!request.sha256) {
        prepared.refusal = QStringLiteral("服务器没有给出更新文件的校验码，为安全起见未安装。");
        return prepared;
    }
    const QString archive = ArchivePath(request);
    if (!DigestMatches(archive, *request.sha256)) {
        prepared.refusal =
            QStringLiteral("更新文件的校验码不符（文件可能已损坏或被改动），未安装任何内容。");
        return prepared;
    }
    prepared.handOver = QString::fromStdString(MakeHandOver(
        {textio::PathFromUtf8(archive.toStdString()), request.title, request.caption}));
    return prepared;
}

}  // namespace

InstallDownload::InstallDownload(QObject* parent)
    : QObject(parent), downloader_(new Downloader(this)) {}

void InstallDownload::Start(const InstallRequest& request, const DownloadProgress& progress,
                            const std::function<void(const PreparedInstall&)>& done) {
    running_ = true;
    downloader_->Fetch(
        request.base.resolved(QUrl(QStringLiteral("Velmora.rar"))),
        textio::PathFromUtf8(ArchivePath(request).toStdString()), request.limits,
        [this, request, done](const DownloadResult& download) {
            running_ = false;
            done(Checked(request, download));
        },
        progress);
}

void InstallDownload::Cancel() {
    downloader_->Cancel();
}

}  // namespace orvane::update
