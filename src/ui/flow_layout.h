// SPDX-License-Identifier: GPL-3.0-or-later
// A layout that puts its items in a row and wraps to more rows when the
// width runs out, so the options stay reachable on a small or scaled screen.
#pragma once

#include <QLayout>
#include <QList>

namespace orvane::ui {

class FlowLayout : public QLayout {
public:
    explicit FlowLayout(int spacing = 10) { setSpacing(spacing); }
    ~FlowLayout() override;

    void addItem(QLayoutItem* item) override { items_.append(item); }
    int count() const override { return int(items_.size()); }
    QLayoutItem* itemAt(int index) const override { return items_.value(index); }
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return Arrange(QRect(0, 0, width, 0), false); }
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    int Arrange(const QRect& rect, bool place) const;

    QList<QLayoutItem*> items_;
};

}  // namespace orvane::ui
