// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace orvane::ui {
namespace {

QMessageBox::StandardButton ToQt(MessageAnswer answer) {
    switch (answer) {
        case MessageAnswer::Ok:
            return QMessageBox::Ok;
        case MessageAnswer::Cancel:
            return QMessageBox::Cancel;
        case MessageAnswer::Yes:
            return QMessageBox::Yes;
        case MessageAnswer::No:
            return QMessageBox::No;
        case MessageAnswer::Save:
            return QMessageBox::Save;
        case MessageAnswer::Discard:
            return QMessageBox::Discard;
        case MessageAnswer::Retry:
            return QMessageBox::Retry;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButtons ToQt(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
            return QMessageBox::Ok;
        case MessageButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MessageButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::SaveDiscardCancel:
            return QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
        case MessageButtons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon ToQt(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

// The answer a box gives when it is closed without a button: the negative
// one, so that closing a question never confirms it.
MessageAnswer EscapeAnswer(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
            return MessageAnswer::Ok;
        case MessageButtons::OkCancel:
            return MessageAnswer::Cancel;
        case MessageButtons::YesNo:
            return MessageAnswer::No;
        case MessageButtons::SaveDiscardCancel:
        case MessageButtons::RetryCancel:
            return MessageAnswer::Cancel;
    }
    return MessageAnswer::Cancel;
}

class QtDialogs final : public Dialogs {
public:
    MessageAnswer Ask(QWidget* owner, const MessageRequest& box) override {
        QMessageBox message(ToQt(box.icon), box.title, box.text, ToQt(box.buttons), owner);
        message.setDefaultButton(ToQt(box.defaultButton));
        // QMessageBox sizes itself by its text and buttons alone; a spacer
        // across the whole grid keeps it as wide as the title.
        if (auto* grid = qobject_cast<QGridLayout*>(message.layout())) {
            const int width = TitleFittingWidth(box.title, message.font());
            grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                          grid->rowCount(), 0, 1, grid->columnCount());
        }
        if (!box.details.isEmpty()) {
            message.setDetailedText(box.details);
        }
        if (box.buttons == MessageButtons::SaveDiscardCancel) {
            message.button(QMessageBox::Save)->setText(QStringLiteral("保存"));
            message.button(QMessageBox::Discard)->setText(QStringLiteral("不保存"));
            message.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
        }
        switch (message.exec()) {
            case QMessageBox::Ok:
                return MessageAnswer::Ok;
            case QMessageBox::Cancel:
                return MessageAnswer::Cancel;
            case QMessageBox::Yes:
                return MessageAnswer::Yes;
            case QMessageBox::No:
                return MessageAnswer::No;
            case QMessageBox::Save:
                return MessageAnswer::Save;
            case QMessageBox::Discard:
                return MessageAnswer::Discard;
            case QMessageBox::Retry:
                return MessageAnswer::Retry;
            default:
                return EscapeAnswer(box.buttons);
        }
    }

    void Beep() override { QApplication::beep(); }

    QStringList GetOpenFileNames(QWidget* owner, const OpenFileRequest& request) override {
        // Qt writes the patterns of one filter separated by spaces.
        QString patterns = request.patterns;
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString filter =
            request.filterLabel + QStringLiteral(" (") + patterns + QLatin1Char(')');
        if (request.multiple) {
            return QFileDialog::getOpenFileNames(owner, request.title, request.startDir, filter);
        }
        const QString file =
            QFileDialog::getOpenFileName(owner, request.title, request.startDir, filter);
        return file.isEmpty() ? QStringList() : QStringList{file};
    }

    QString BrowseForFolder(QWidget* owner, const QString& title, const QString& startDir,
                            bool /*offerNewFolder: Qt's picker always offers one*/) override {
        return QFileDialog::getExistingDirectory(owner, title, startDir, QFileDialog::ShowDirsOnly);
    }

    bool OpenFolder(const QString& path) override {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }

    void OpenUrl(const QString& url) override { QDesktopServices::openUrl(QUrl(url)); }
};

}  // namespace

int TitleFittingWidth(const QString& title, const QFont& font) {
    QFont face = font;
    face.setBold(true);
    // Title bars often use a larger face than the body.
    if (face.pointSizeF() > 0) {
        face.setPointSizeF(face.pointSizeF() * 1.25);
    } else {
        face.setPixelSize(face.pixelSize() * 5 / 4);
    }
    // The window's icon on the left; minimise, maximise and close on the right.
    constexpr int kFrameRoom = 4 * 40;
    return QFontMetrics(face).horizontalAdvance(title) + kFrameRoom;
}

std::unique_ptr<Dialogs> MakeQtDialogs() {
    return std::make_unique<QtDialogs>();
}

}  // namespace orvane::ui
