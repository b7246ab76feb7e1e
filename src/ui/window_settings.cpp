// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSignalBlocker>

#include "ui/elided_label.h"
#include "ui/form1_view.h"
#include "ui/input_encoding.h"
#include "ui/shift_amount.h"

namespace orvane::ui {
namespace {

// Only what the window itself writes reads as on or off; anything else
// ("banana", a number) is the default.
bool Flag(const QSettings& stored, const char* key, bool fallback) {
    const QString text = stored.value(QLatin1String(key)).toString().trimmed().toLower();
    if (text == QLatin1String("true")) {
        return true;
    }
    if (text == QLatin1String("false")) {
        return false;
    }
    return fallback;
}

QString ExistingFolder(const QSettings& stored, const char* key) {
    const QString dir = stored.value(QLatin1String(key)).toString();
    return !dir.isEmpty() && QFileInfo(dir).isDir() ? dir : QString();
}

int Removal(const QSettings& stored) {
    bool ok = false;
    const int index = stored.value(QStringLiteral("removal")).toString().toInt(&ok);
    return ok && index >= 0 && index <= 2 ? index : 0;
}

}  // namespace

WindowSettings ReadWindowSettings(const QSettings& stored,
                                  const std::function<bool(const QString&)>& usableFolder) {
    WindowSettings settings;
    const QString output = ExistingFolder(stored, "outputDir");
    if (!output.isEmpty() && usableFolder(output)) {
        settings.outputDir = output;
    }
    settings.fileDialogDir = ExistingFolder(stored, "fileDialogDir");
    settings.clipDialogDir = ExistingFolder(stored, "clipDialogDir");
    settings.direct = Flag(stored, "direct", false);
    settings.later = Flag(stored, "later", false);
    settings.useOpening = Flag(stored, "useOpening", true);
    settings.extraAdvance = Flag(stored, "extraAdvance", false);
    const QString amount = stored.value(QStringLiteral("amount")).toString();
    if (UsableShiftSeconds(amount)) {
        settings.amount = amount;
    }
    settings.simplify = Flag(stored, "simplify", false);
    settings.removal = Removal(stored);
    settings.batch = Flag(stored, "batch", false);
    settings.ansi = Flag(stored, "ansi", false);
    const QString encoding = stored.value(QStringLiteral("inputEncoding")).toString();
    if (IsOfferedEncoding(encoding)) {
        settings.inputEncoding = encoding;
    }
    settings.geometry = stored.value(QStringLiteral("geometry")).toByteArray();
    return settings;
}

void WriteWindowSettings(QSettings& stored, const WindowSettings& settings) {
    stored.setValue(QStringLiteral("outputDir"), settings.outputDir);
    stored.setValue(QStringLiteral("fileDialogDir"), settings.fileDialogDir);
    stored.setValue(QStringLiteral("clipDialogDir"), settings.clipDialogDir);
    stored.setValue(QStringLiteral("direct"), settings.direct);
    stored.setValue(QStringLiteral("later"), settings.later);
    stored.setValue(QStringLiteral("useOpening"), settings.useOpening);
    stored.setValue(QStringLiteral("extraAdvance"), settings.extraAdvance);
    stored.setValue(QStringLiteral("amount"), settings.amount);
    stored.setValue(QStringLiteral("simplify"), settings.simplify);
    stored.setValue(QStringLiteral("removal"), settings.removal);
    stored.setValue(QStringLiteral("batch"), settings.batch);
    stored.setValue(QStringLiteral("ansi"), settings.ansi);
    stored.setValue(QStringLiteral("inputEncoding"), settings.inputEncoding);
    // An older version stored the overwrite option; it is no longer read.
    stored.remove(QStringLiteral("overwrite"));
    stored.setValue(QStringLiteral("geometry"), settings.geometry);
}

void ShowWindowSettings(Form1View& view, const WindowSettings& settings) {
    if (!settings.outputDir.isEmpty()) {
        view.LDir->setText(settings.outputDir);
    }
    if (settings.direct) {
        view.OptMove->setChecked(true);
        view.ChDirection->setChecked(settings.later);
    } else {
        view.ChHead->setChecked(settings.useOpening);
        view.ChMove->setChecked(view.ChMove->isEnabled() && settings.extraAdvance);
    }
    if (view.TShift->isEnabled() && !settings.amount.isEmpty()) {
        view.TShift->setText(settings.amount);
    }
    view.ChFanToJ->setChecked(settings.simplify);
    view.CmbDel->setCurrentIndex(settings.removal);
    view.ChBat->setChecked(settings.batch);
    SelectEncoding(view.CmbEncoding, settings.inputEncoding);
    // It was confirmed when it was first chosen.
    const QSignalBlocker ansi(view.ChASCII);
    view.ChASCII->setChecked(settings.ansi);
}

WindowSettings WindowSettingsShown(const Form1View& view) {
    WindowSettings settings;
    settings.outputDir = view.LDir->text();
    settings.direct = view.OptMove->isChecked();
    settings.later = view.ChDirection->isChecked();
    settings.useOpening = view.ChHead->isChecked();
    settings.extraAdvance = view.ChMove->isChecked();
    settings.amount = view.TShift->text();
    settings.simplify = view.ChFanToJ->isChecked();
    settings.removal = view.CmbDel->currentIndex();
    settings.batch = view.ChBat->isChecked();
    settings.ansi = view.ChASCII->isChecked();
    settings.inputEncoding = QString::fromStdString(ChosenEncoding(view.CmbEncoding));
    return settings;
}

}  // namespace orvane::ui
