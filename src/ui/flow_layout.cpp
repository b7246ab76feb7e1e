// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/flow_layout.h"

#include <QWidget>
#include <algorithm>

namespace orvane::ui {

FlowLayout::~FlowLayout() {
    while (QLayoutItem* item = takeAt(0)) {
        delete item;
    }
}

QLayoutItem* FlowLayout::takeAt(int index) {
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

// Wide enough for every item in one row: the reference layout.
QSize FlowLayout::sizeHint() const {
    int width = 0;
    int height = 0;
    for (QLayoutItem* item : items_) {
        if (item->widget() && item->widget()->isHidden()) {
            continue;
        }
        width += item->sizeHint().width() + (width > 0 ? spacing() : 0);
        height = std::max(height, item->sizeHint().height());
    }
    return QSize(width, height);
}

QSize FlowLayout::minimumSize() const {
    QSize size;
    for (QLayoutItem* item : items_) {
        size = size.expandedTo(item->minimumSize());
    }
    return size;
}

void FlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    Arrange(rect, true);
}

// Lays the items out left to right, starting a new row where one would not
// fit; returns the height used.
int FlowLayout::Arrange(const QRect& rect, bool place) const {
    int x = rect.x();
    int y = rect.y();
    int rowHeight = 0;
    for (QLayoutItem* item : items_) {
        if (item->widget() && item->widget()->isHidden()) {
            continue;
        }
        const QSize size = item->sizeHint();
        if (x > rect.x() && x + size.width() > rect.right() + 1) {
            x = rect.x();
            y += rowHeight + spacing();
            rowHeight = 0;
        }
        if (place) {
            item->setGeometry(QRect(QPoint(x, y), size));
        }
        x += size.width() + spacing();
        rowHeight = std::max(rowHeight, size.height());
    }
    return y + rowHeight - rect.y();
}

}  // namespace orvane::ui
