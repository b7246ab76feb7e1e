// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/file_list.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <optional>

#include "textio/file_system.h"
#include "textio/text_file.h"
#include "ui/dialogs.h"
#include "ui/file_types.h"
#include "ui/form1_view.h"

namespace orvane::ui {
namespace {

std::optional<textio::FileId> IdOf(const QString& path) {
    return textio::InspectPath(textio::PathFromUtf8(path.toStdString())).id;
}

}  // namespace

FileListController::FileListController(Form1View& view, Dialogs& dialogs, QWidget* owner,
                                       Hooks hooks)
    : QObject(owner), view_(view), dialogs_(dialogs), owner_(owner), hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("FileList"));
}

void FileListController::ShowCount() {
    view_.LSubs->setText(QString::number(view_.List1->count()) + QStringLiteral("个字幕文件"));
}

// The list holds each file once, however it is named (links, other spellings).
bool FileListController::Add(const QString& path) {
    const std::optional<textio::FileId> id = IdOf(path);
    for (int i = 0; id && i < view_.List1->count(); ++i) {
        if (IdOf(view_.List1->item(i)->text()) == id) {
            return false;
        }
    }
    view_.List1->addItem(QDir::toNativeSeparators(path));
    return true;
}

void FileListController::AddByDialog() {
    const QStringList files = dialogs_.GetOpenFileNames(
        owner_, {QStringLiteral("添加字幕文件列表"), QStringLiteral("字幕文件"),
                 view_.CmbType->currentText(), true, lastDir});
    if (files.isEmpty()) {
        dialogs_.Beep();
        return;
    }
    lastDir = QFileInfo(files.front()).absolutePath();
    if (files.size() == 1) {
        Add(files.front());
        ShowCount();
        return;
    }
    AddAll(files);
}

void FileListController::AddAll(const QStringList& files) {
    hooks_.setMenusEnabled(false);
    const qsizetype total = files.size();
    for (qsizetype i = 0; i < total; ++i) {
        if (!files[i].trimmed().isEmpty()) {
            Add(files[i]);
        }
        ShowCount();
        emit statusChanged(QStringLiteral("状态：字幕文件加载中...%1/%2").arg(i + 1).arg(total));
        QCoreApplication::processEvents();
    }
    dialogs_.Ask(owner_, {QStringLiteral("字幕文件加载完毕！")});
    emit statusChanged(QStringLiteral("状态：就绪"));
    hooks_.setMenusEnabled(true);
}

void FileListController::AddFolderByDialog() {
    const QString folder =
        dialogs_.BrowseForFolder(owner_, QStringLiteral("添加字幕文件夹"), lastDir, false);
    if (folder.isEmpty()) {
        dialogs_.Beep();
        return;
    }
    lastDir = folder;
    AddFolder(folder);
}

// As orvane-shift reads a folder: its files (not its subfolders), by name.
void FileListController::AddFolder(const QString& folder) {
    const QString patterns = view_.CmbType->currentText();
    QStringList files;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (MatchesFilePatterns(entry.fileName(), patterns)) {
            files << entry.filePath();
        }
    }
    if (files.isEmpty()) {
        dialogs_.Ask(owner_, {QStringLiteral("该文件夹中没有%1类型的字幕文件：").arg(patterns) +
                                  QDir::toNativeSeparators(folder),
                              MessageIcon::Information});
        return;
    }
    AddAll(files);
}

void FileListController::Drop(const QStringList& paths) {
    hooks_.setMenusEnabled(false);
    const QString patterns = view_.CmbType->currentText();
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!info.isFile() || info.isHidden() || !MatchesFilePatterns(info.fileName(), patterns)) {
            continue;
        }
        if (!Add(path)) {
            continue;
        }
        ShowCount();
        emit statusChanged(QStringLiteral("状态：字幕文件加载中...已加载") +
                           QString::number(view_.List1->count()));
        QCoreApplication::processEvents();
    }
    dialogs_.Ask(owner_, {QStringLiteral("字幕文件加载完毕！")});
    const bool busy = hooks_.busy();
    if (!busy) {
        emit statusChanged(QStringLiteral("状态：就绪"));
    }
    // A drop may come while a run holds the menus; they stay locked for it.
    hooks_.setMenusEnabled(!busy);
}

void FileListController::RemoveSelected() {
    const QList<QListWidgetItem*> selected = view_.List1->selectedItems();
    if (hooks_.busy() || selected.isEmpty()) {
        dialogs_.Beep();
        return;
    }
    for (QListWidgetItem* item : selected) {
        delete view_.List1->takeItem(view_.List1->row(item));
    }
    ShowCount();
}

void FileListController::AskToClear() {
    if (hooks_.busy()) {
        return;
    }
    if (view_.List1->count() == 0) {
        dialogs_.Beep();
        return;
    }
    const MessageAnswer answer =
        dialogs_.Ask(owner_, {QStringLiteral("清空字幕文件列表？"), MessageIcon::Warning,
                              MessageButtons::OkCancel, MessageAnswer::Ok});
    if (answer == MessageAnswer::Ok && hooks_.settleRows()) {
        Clear();
        hooks_.cleared();
    }
}

void FileListController::Clear() {
    view_.List1->clear();
    ShowCount();
}

}  // namespace orvane::ui
