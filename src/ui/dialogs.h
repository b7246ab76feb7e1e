// SPDX-License-Identifier: GPL-3.0-or-later
// Everything the window asks of the desktop: message boxes, the beep, the
// file and folder pickers, opening a folder or a web address. The window
// talks only to this interface, so tests can answer every dialog.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QFont;
class QWidget;

namespace orvane::ui {

// Every message box of the program carries this title.
inline const QString kMessageTitle = QStringLiteral("消息");

enum class MessageIcon { Information, Warning, Error };
enum class MessageButtons { Ok, OkCancel, YesNo, SaveDiscardCancel, RetryCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No, Save, Discard, Retry };

struct MessageRequest {
    QString text;
    MessageIcon icon = MessageIcon::Information;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer defaultButton = MessageAnswer::Ok;  // what Enter answers
    QString title = kMessageTitle;
    QString details = {};  // long lists, behind the box's "details" button
};

struct OpenFileRequest {
    QString title;
    QString filterLabel;  // "字幕文件"
    QString patterns;     // "*.srt" or "*.ass;*.ssa"
    bool multiple = false;
    QString startDir = {};  // where the dialog opens; empty: the desktop's choice
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Modal; returns the button the user chose (the default one for Enter).
    virtual MessageAnswer Ask(QWidget* owner, const MessageRequest& box) = 0;
    virtual void Beep() = 0;

    // Full paths of the chosen existing files; empty when cancelled.
    virtual QStringList GetOpenFileNames(QWidget* owner, const OpenFileRequest& request) = 0;

    // The chosen folder as the picker returns it; empty when cancelled.
    virtual QString BrowseForFolder(QWidget* owner, const QString& title, const QString& startDir,
                                    bool offerNewFolder) = 0;

    // Hands a folder or a web address to the desktop's programs and returns
    // at once. False when no program would take the folder.
    virtual bool OpenFolder(const QString& path) = 0;
    virtual void OpenUrl(const QString& url) = 0;
};

// The real dialogs: QMessageBox, QFileDialog, QDesktopServices. A message
// box is at least as wide as its title needs, so no desktop cuts it short.
std::unique_ptr<Dialogs> MakeQtDialogs();

// That width: the title in a title bar's (bold) face, and room for the
// window's icon and its buttons on either side.
int TitleFittingWidth(const QString& title, const QFont& font);

}  // namespace orvane::ui
