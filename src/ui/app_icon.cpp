// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/app_icon.h"

#include <QApplication>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace orvane::ui {
namespace {

QPixmap DrawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    // Same shapes as data/orvane.svg, on a 64 x 64 grid.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x5f, 0xa8));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    p.setBrush(QColor(0xff, 0xff, 0xff));
    p.drawRoundedRect(QRectF(12, 14, 40, 8), 3, 3);
    p.setBrush(QColor(0xc8, 0xdc, 0xf4));
    p.drawRoundedRect(QRectF(18, 26, 28, 6), 3, 3);
    p.setBrush(QColor(0xff, 0xc1, 0x3d));
    p.drawRect(QRectF(10, 43, 44, 4));
    for (int x : {16, 28, 40, 52}) {
        p.drawRect(QRectF(x - 1, 39, 2, 12));
    }
    QPainterPath arrow;
    arrow.moveTo(8, 45);
    arrow.lineTo(18, 37);
    arrow.lineTo(18, 53);
    arrow.closeSubpath();
    p.drawPath(arrow);
    return pixmap;
}

}  // namespace

QIcon MakeAppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(DrawIcon(size));
    }
    return icon;
}

void SetUpApplication() {
    QApplication::setApplicationName(QStringLiteral("orvane"));
    QApplication::setDesktopFileName(QStringLiteral("orvane"));
    QApplication::setWindowIcon(MakeAppIcon());
    QFont font = QApplication::font();
    font.setFamilies({font.family(), QStringLiteral("Microsoft YaHei UI"),
                      QStringLiteral("PingFang SC"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Source Han Sans SC"), QStringLiteral("WenQuanYi Micro Hei")});
    QApplication::setFont(font);
}

}  // namespace orvane::ui
