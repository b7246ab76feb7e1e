// SPDX-License-Identifier: GPL-3.0-or-later
// The Help menu of the window: the update found at start-up downloaded in
// the background and installed on request, the about box and the home page.
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include "orvane_version.h"
#include "ui/dialogs.h"
#include "ui/form1.h"

#include <QAction>
#include <QLineEdit>
#include <QPointer>

#include "textio/text_file.h"
#include "ui/run_presenter.h"
#include "ui/system_services.h"
#include "ui/update_download.h"
#include "update/downloader.h"
#include "update/restart_helper.h"
#include "update/update_installer.h"

namespace orvane::ui {

void Form1::OnUpdateChecked(const update::UpdateCheckResult& check) {
    lastCheck_ = check;
    if (check.newerVersionFound && !updateAnnounced_) {
        ui_.MenuUpdate->setEnabled(true);
        updateAnnounced_ = true;
        UpdateTitle();
    }
}

// The answer comes when it comes; the window does not wait for it. By hand,
// the answer is also said when no other version is offered.
void Form1::CheckForUpdate(bool byHand) {
    updates_.Check(
        ui_.TV->text().toStdString(), textio::PathFromUtf8(workDir_.toStdString()),
        [window = QPointer<Form1>(this), byHand](const update::UpdateCheckResult& check) {
            if (!window) {
                return;
            }
            window->OnUpdateChecked(check);
            if (byHand) {
                window->SetStatus(check.newerVersionFound
                                      ? QStringLiteral("状态：发现其他版本，可用“检查更新”安装")
                                      : QStringLiteral("状态：当前已是服务器上的版本"));
            }
        });
}

void Form1::CheckNowCommand() {
    SetStatus(QStringLiteral("状态：正在检查更新……"));
    CheckForUpdate(true);
}

void Form1::SetUpdateServices(std::unique_ptr<ArchiveTool> tool,
                              std::unique_ptr<RestartLauncher> launcher) {
    archiveTool_ = std::move(tool);
    restartLauncher_ = std::move(launcher);
}

// Until the archive tool is there: the user is asked to install it, given a
// minute to do so, then asked to retry or give up.
bool Form1::EnsureArchiveTool() {
    while (!archiveTool_->Installed()) {
        if (!archiveTool_->CanInstall()) {
            dialogs_.Ask(this, {QStringLiteral("找不到更新程序Tarrow（应与本程序在同一文件夹），"
                                               "无法自动更新！"),
                                MessageIcon::Error});
            return false;
        }
        archiveTool_->StartInstaller();
        dialogs_.Ask(
            this,
            {QStringLiteral("资源文件缺失，请先安装默认经典的WinRAR解压缩应用程序！\r\n"
                            "对不起！有意不支持您本机安装的非经典的360、2345、便压等等解压缩程序。"
                            "如果您的系统为win7及以上版本，WinRAR安装完毕之后，请务必： \r\n"
                            "右键WinRAR.exe->属性->兼容性->兼容xp3且勾选始终以管理员权限运行")});
        QElapsedTimer waited;
        waited.start();
        while (!archiveTool_->Installed() && waited.elapsed() < installWaitMs_) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
        }
        if (archiveTool_->Installed()) {
            break;
        }
        const MessageAnswer answer = dialogs_.Ask(
            this, {QStringLiteral("资源文件缺失，请先安装WinRAR解压缩应用程序！"),
                   MessageIcon::Information, MessageButtons::RetryCancel, MessageAnswer::Retry});
        if (answer != MessageAnswer::Retry) {
            return false;
        }
    }
    return true;
}

void Form1::UpdateCommand() {
    if (download_ && download_->IsRunning()) {
        return;
    }
    // Any other version counts as an update; the user sees which it is.
    const QString offered = QString::fromStdString(lastCheck_.announcedVersion);
    const MessageAnswer answer =
        dialogs_.Ask(this, {QStringLiteral("服务器上的版本为%1，本机版本为%2。下载并安装？")
                                .arg(offered.isEmpty() ? QStringLiteral("（未知）") : offered,
                                     QString::fromLatin1(kVersionDigits)),
                            MessageIcon::Information, MessageButtons::YesNo, MessageAnswer::Yes});
    if (answer != MessageAnswer::Yes || !EnsureArchiveTool()) {
        return;
    }
    const std::optional<QUrl> base = update::DownloadBase();
    if (!base) {
        dialogs_.Ask(this, {QStringLiteral("未设置下载服务器，无法更新。"), MessageIcon::Error});
        return;
    }
    if (!download_) {
        download_ = new UpdateDownload(statusBar(), this);
        connect(download_, &UpdateDownload::statusChanged, this, &Form1::SetStatus);
    }
    // The window stays in use while the archive comes.
    ui_.MenuUpdate->setEnabled(false);
    download_->Start(
        {*base, workDir_, lastCheck_.sha256, QApplication::applicationName().toStdString(),
         windowTitle().toStdString(), downloadLimits_},
        [this](const update::PreparedInstall& prepared) { OnUpdateDownloaded(prepared); });
}

void Form1::OnUpdateDownloaded(const update::PreparedInstall& prepared) {
    ui_.MenuUpdate->setEnabled(true);
    if (prepared.cancelled) {
        SetStatus(QStringLiteral("状态：") + prepared.refusal);
        return;
    }
    if (!prepared.refusal.isEmpty()) {
        SetStatus(QStringLiteral("状态：就绪"));
        dialogs_.Ask(this, {prepared.refusal, MessageIcon::Error});
        return;
    }
    // The program ends for the helper: rows shifted and not saved are asked
    // about first, as when closing.
    if (!SettleUnsavedRows()) {
        SetStatus(QStringLiteral("状态：更新已下载，未安装"));
        return;
    }
    const QString programDir = system_.ProgramDir();
    const QStringList arguments{prepared.handOver,
                                QString::number(QCoreApplication::applicationPid()), programDir,
                                QFileInfo(QCoreApplication::applicationFilePath()).fileName()};
    if (!restartLauncher_->Start(RestartHelperPath(programDir), arguments)) {
        dialogs_.Ask(
            this, {QStringLiteral("无法启动更新程序Tarrow，未安装任何内容。"), MessageIcon::Error});
        return;
    }
    // The helper replaces the program's files once it has ended.
    closeConfirmed_ = true;
    run_->Stop();
    hide();
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void Form1::AboutCommand() {
    dialogs_.Ask(this, {QStringLiteral("本软件由【澜帆数码科技有限公司】旗下【Orvane字幕工作室】"
                                       "出品，版本 %1\r\n"
                                       "技术支持QQ：80231546/80231547/80231548！")
                            .arg(QString::fromLatin1(kVersion))});
}

void Form1::HomePageCommand() {
    const std::optional<QUrl> base = update::DownloadBase();
    if (!base) {
        dialogs_.Ask(this, {QStringLiteral("未设置下载服务器，无法打开主页。")});
        return;
    }
    dialogs_.OpenUrl(base->resolved(QUrl(QStringLiteral("Index.html"))).toString());
}

}  // namespace orvane::ui
