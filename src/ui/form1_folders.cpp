// SPDX-License-Identifier: GPL-3.0-or-later
// The window's folders: where updates are downloaded (chosen at start-up)
// and the output folder the user picks and opens.
#include <QDir>
#include <QFileInfo>

#include "ui/dialogs.h"
#include "ui/elided_label.h"
#include "ui/folders.h"
#include "ui/form1.h"
#include "ui/system_services.h"

namespace orvane::ui {

void Form1::SetUpWorkDir() {
    const QString programDir = system_.ProgramDir();
#ifdef Q_OS_WIN
    const WorkDirChoice choice =
        ChooseWorkDirWindows(programDir, {winDir_, programFilesDir_, programDataDir_});
#else
    const WorkDirChoice choice = ChooseWorkDirElsewhere(
        programDir, system_.IsWritableDir(programDir), system_.UserCacheDir());
#endif
    if (choice.create) {
        // A folder that cannot be made is met by the first download there.
        system_.MakePath(choice.dir);
    }
    workDir_ = choice.dir;
}

bool Form1::IsReadOnlySystemFolder(const QString& path) const {
#ifdef Q_OS_WIN
    return IsReadOnlySystemFolderWindows(path, {winDir_, programFilesDir_, programDataDir_});
#else
    return IsReadOnlySystemFolderElsewhere(path, SystemFoldersElsewhere());
#endif
}

void Form1::ChooseOutputFolder() {
    const QString picked =
        dialogs_.BrowseForFolder(this, QStringLiteral("指定输出目录"), ui_.LDir->text(), true);
    QString path = WithOneTrailingSeparator(QDir::toNativeSeparators(picked), QDir::separator());
    if (!path.isEmpty() && !QFileInfo(path).isDir()) {
        path = workDir_;
    }
    if (IsReadOnlySystemFolder(path)) {
        dialogs_.Ask(this, {QStringLiteral("禁止指定只读目录作为输出目录！"), MessageIcon::Error});
        return;
    }
    if (!path.isEmpty() && !system_.IsWritableDir(path)) {
        dialogs_.Ask(this,
                     {QStringLiteral("所选文件夹不可写入，请另选输出目录！"), MessageIcon::Error});
        return;
    }
    if (!path.isEmpty()) {
        ui_.LDir->setText(path);
    }
}

// Says so when no file manager takes the folder, rather than nothing.
void Form1::OpenOutputFolder() {
    if (!dialogs_.OpenFolder(ui_.LDir->text())) {
        dialogs_.Ask(this, {QStringLiteral("无法打开输出文件夹（系统中没有可用的文件管理器）：") +
                                ui_.LDir->text(),
                            MessageIcon::Warning});
    }
}

}  // namespace orvane::ui
