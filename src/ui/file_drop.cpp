// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/file_drop.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace orvane::ui {

FileDrop::FileDrop(QWidget* target, std::function<void(const QStringList&)> onDrop)
    : QObject(target), onDrop_(std::move(onDrop)) {
    target->setAcceptDrops(true);
    target->installEventFilter(this);
}

bool FileDrop::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!drag->mimeData()->hasUrls()) {
                return false;
            }
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            QStringList paths;
            for (const QUrl& url : drop->mimeData()->urls()) {
                if (url.isLocalFile()) {
                    paths << url.toLocalFile();
                }
            }
            drop->acceptProposedAction();
            QTimer::singleShot(0, this, [this, paths] { onDrop_(paths); });
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}

}  // namespace orvane::ui
