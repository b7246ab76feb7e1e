// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/update_installer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include "textio/text_file.h"
#include "update/downloader.h"
#include "update/restart_helper.h"

namespace orvane::update {
namespace {

bool DigestMatches(const QString& path, const std::string& sha256) {
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return file.open(QIODevice::ReadOnly) && hash.addData(&file) &&
           hash.result().toHex().toStdString() == sha256;
}

}  // namespace

PreparedInstall PrepareInstall(const InstallRequest& request) {
    PreparedInstall prepared;
    const QString archive = QDir(request.workDir).filePath(QStringLiteral("Velmora.rar"));
    const std::filesystem::path archivePath = textio::PathFromUtf8(archive.toStdString());
    Downloader downloader;
    const DownloadResult download = downloader.FetchAndWait(
        request.base.resolved(QUrl(QStringLiteral("Velmora.rar"))), archivePath, kArchiveLimits);
    if (!download.ok) {
        prepared.refusal =
            QStringLiteral("下载更新文件失败（%1），未安装任何内容。").arg(download.error);
        return prepared;
    }
    if (!request.sha256) {
        prepared.refusal = QStringLiteral("服务器没有给出更新文件的校验码，为安全起见未安装。");
        return prepared;
    }
    if (!DigestMatches(archive, *request.sha256)) {
        prepared.refusal =
            QStringLiteral("更新文件的校验码不符（文件可能已损坏或被改动），未安装任何内容。");
        return prepared;
    }
    prepared.handOver =
        QString::fromStdString(MakeHandOver({archivePath, request.title, request.caption}));
    return prepared;
}

}  // namespace orvane::update
