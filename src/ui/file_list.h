// SPDX-License-Identifier: GPL-3.0-or-later
// The file list (List1) and its count: files added by the dialog, a whole
// folder added by the folder picker, dropped files, removing and clearing.
// Each file is listed once however it is named (the engine's file identity).
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace orvane::ui {

class Dialogs;
struct Form1View;

class FileListController : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        // The window's menus locked (false) or open again (true).
        std::function<void(bool)> setMenusEnabled;
        // A run is under way: drops still add, the menus stay locked.
        std::function<bool()> busy;
        // Unsaved rows: whether clearing may go on.
        std::function<bool()> settleRows;
        // The list was emptied by the user.
        std::function<void()> cleared;
    };
    FileListController(Form1View& view, Dialogs& dialogs, QWidget* owner, Hooks hooks);

    // The files of the chosen type among `paths`; folders and hidden files
    // are passed over.
    void Drop(const QStringList& paths);
    void AddByDialog();
    // The subtitle files of the chosen type directly in one folder.
    void AddFolderByDialog();
    void AddFolder(const QString& folder);
    void RemoveSelected();
    // Right-click: asks, then empties the list.
    void AskToClear();
    void Clear();
    void ShowCount();

    QString lastDir;  // where the file dialogs opened last

signals:
    void statusChanged(const QString& text);

private:
    bool Add(const QString& path);
    void AddAll(const QStringList& files);

    Form1View& view_;
    Dialogs& dialogs_;
    QWidget* owner_;
    Hooks hooks_;
};

}  // namespace orvane::ui
