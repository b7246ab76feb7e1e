// SPDX-License-Identifier: GPL-3.0-or-later
// Makes a widget take files dragged from the desktop. The dropped local
// paths are handed on once the drop itself has finished: the file manager
// waits for it, and what follows may show a message box.
#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QWidget;

namespace orvane::ui {

class FileDrop : public QObject {
    Q_OBJECT
public:
    // Lives as long as `target`.
    FileDrop(QWidget* target, std::function<void(const QStringList&)> onDrop);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QStringList&)> onDrop_;
};

}  // namespace orvane::ui
