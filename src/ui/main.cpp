// SPDX-License-Identifier: GPL-3.0-or-later
// The program: one window.
#include <QApplication>

#include "ui/app_icon.h"
#include "ui/dialogs.h"
#include "ui/form1.h"
#include "ui/system_services.h"
#include "ui/translations.h"
#include "update/update_checker.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    orvane::ui::SetUpApplication();
    orvane::ui::InstallQtChineseTranslations();
    // No display name: the platform would append it to every caption, and
    // the caption is exactly the base title, the notice and the mark.

    const auto dialogs = orvane::ui::MakeQtDialogs();
    const auto system = orvane::ui::MakeQtSystemServices();
    const auto updates = orvane::update::MakeDefaultUpdateChecker();
    orvane::ui::Form1 window(*dialogs, *system, *updates);
    window.show();
    return QApplication::exec();
}
