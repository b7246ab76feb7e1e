// SPDX-License-Identifier: GPL-3.0-or-later
// A one-line label for long paths: it shows as much as fits, with "…" in the
// middle, and never asks the window to grow. It also carries a tag text
// beside its caption.
#pragma once

#include <QLabel>
#include <QString>

namespace orvane::ui {

class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(const QString& text, QWidget* parent = nullptr);

    const QString& tag() const { return tag_; }
    void setTag(const QString& tag) { tag_ = tag; }

    // The text as painted at the current width.
    QString shownText() const;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString tag_;
};

}  // namespace orvane::ui
