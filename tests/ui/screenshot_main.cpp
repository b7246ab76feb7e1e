// SPDX-License-Identifier: GPL-3.0-or-later
// Saves a picture of the real window, as the program starts, to the PNG file
// named on the command line. Run it under a display (xvfb-run), with
// QT_SCALE_FACTOR set to check other scalings.
#include <QApplication>
#include <QFont>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "ui/app_icon.h"
#include "ui/dialogs.h"
#include "ui/form1.h"
#include "ui/system_services.h"
#include "ui/translations.h"
#include "update/update_checker.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: orvane_screenshot OUT.png [WIDTH HEIGHT]\n");
        return 2;
    }
    orvane::ui::SetUpApplication();
    orvane::ui::InstallQtChineseTranslations();

    const auto dialogs = orvane::ui::MakeQtDialogs();
    const auto system = orvane::ui::MakeQtSystemServices();
    const auto updates = orvane::update::MakeDefaultUpdateChecker();
    orvane::ui::Form1 window(*dialogs, *system, *updates);
    if (argc >= 4) {
        // A small screen: the window as large as it can be (logical pixels).
        window.resize(std::atoi(argv[2]), std::atoi(argv[3]));
    }
    window.show();
    const QString out = QString::fromLocal8Bit(argv[1]);
    int result = 1;
    QTimer::singleShot(800, &window, [&] {
        result = window.grab().save(out, "PNG") ? 0 : 1;
        QApplication::exit(0);
    });
    QApplication::exec();
    return result;
}
