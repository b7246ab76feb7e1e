// SPDX-License-Identifier: GPL-3.0-or-later
// The program: one window.
#include <QApplication>
#include <QFont>
#include <QStringList>

#include "ui/app_icon.h"
#include "ui/dialogs.h"
#include "ui/form1.h"
#include "ui/system_services.h"
#include "update/update_checker.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orvane"));
    QApplication::setApplicationDisplayName(orvane::ui::kWindowTitle);
    QApplication::setDesktopFileName(QStringLiteral("orvane"));
    QApplication::setWindowIcon(orvane::ui::MakeAppIcon());

    // Chinese text in a Simplified Chinese face wherever one is installed,
    // before the fallback picks a Japanese or Traditional one.
    QFont font = QApplication::font();
    font.setFamilies({font.family(), QStringLiteral("Microsoft YaHei UI"),
                      QStringLiteral("PingFang SC"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Source Han Sans SC"), QStringLiteral("WenQuanYi Micro Hei")});
    QApplication::setFont(font);

    const auto dialogs = orvane::ui::MakeQtDialogs();
    const auto system = orvane::ui::MakeQtSystemServices();
    const auto updates = orvane::update::MakeDefaultUpdateChecker();
    orvane::ui::Form1 window(*dialogs, *system, *updates);
    window.show();
    return QApplication::exec();
}
