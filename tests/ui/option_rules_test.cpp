// SPDX-License-Identifier: GPL-3.0-or-later
// The option rules without a window: the state each sequence of clicks
// leaves, which controls can be used and the settings a state gives.
#include <QTest>

#include "ui/option_rules.h"

using namespace orvane::ui;

namespace {

const OpeningClip kClip{QStringLiteral("/v/ad.mp4"), QStringLiteral("7.5"), 7.5};

// Clicks as the user makes them, from the start state: a control that
// cannot be used ignores its click.
OptionState Clicked(const QStringList& clicks, const OpeningClip& opening = kClip) {
    OptionState s;
    for (const QString& name : clicks) {
        const OptionEnables can = EnablesFor(s);
        if (name == QLatin1String("OptCutMove")) {
            s = AfterOptCutMove(s);
        } else if (name == QLatin1String("OptMove")) {
            s = AfterOptMove(s);
        } else if (name == QLatin1String("ChHead") && can.byOpening) {
            s.byOpening = !s.byOpening;
            s = AfterChHead(s, opening);
        } else if (name == QLatin1String("ChMove") && can.extraAdvance) {
            s.extraAdvance = !s.extraAdvance;
            s = AfterChMove(s, opening);
        } else if (name == QLatin1String("ChSelect") && can.rowMode) {
            s.rowMode = !s.rowMode;
            s = AfterChSelect(s);
        } else if (name == QLatin1String("ChDirection") && can.later) {
            s.later = !s.later;
        } else if (name == QLatin1String("ChFanToJ") && can.simplify) {
            s.simplify = !s.simplify;
        } else if (name == QLatin1String("CmbDel") && can.removal) {
            s.removal = 2;
        }
    }
    return s;
}

// The names of the controls that are on.
QStringList On(std::initializer_list<std::pair<bool, const char*>> controls) {
    QStringList names;
    for (const auto& [on, name] : controls) {
        if (on) {
            names << QString::fromLatin1(name);
        }
    }
    return names;
}

}  // namespace

class OptionRulesTest : public QObject {
    Q_OBJECT
private slots:
    void clicks_data();
    void clicks();
    void settings_data();
    void settings();
};

void OptionRulesTest::clicks_data() {
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<QString>("shiftText");
    QTest::addColumn<QStringList>("enabled");
    QTest::newRow("start") << QStringList{} << QStringList{"ChHead"} << "12.000"
                           << QStringList{"ChHead", "ChMove", "ChFanToJ", "CmbDel", "MenuHead"};
    QTest::newRow("row mode clears the text options")
        << QStringList{"ChFanToJ", "CmbDel", "OptMove", "ChSelect", "ChDirection"}
        << QStringList{"OptMove", "ChSelect", "ChDirection"} << "1.000"
        << QStringList{"ChSelect", "ChDirection", "TShift", "MenuSave"};
    QTest::newRow("back to cut mode from row mode: what it cleared stays off")
        << QStringList{"ChFanToJ", "OptMove", "ChSelect", "ChDirection", "OptCutMove"}
        << QStringList{"ChHead"} << "12.000"
        << QStringList{"ChHead", "ChMove", "ChFanToJ", "CmbDel", "MenuHead"};
    QTest::newRow("no opening clears the extra advance")
        << QStringList{"ChMove", "ChHead"} << QStringList{} << "7.5"
        << QStringList{"ChHead", "ChFanToJ", "CmbDel", "TShift"};
    QTest::newRow("no opening keeps the text")
        << QStringList{"ChHead"} << QStringList{} << "12.000"
        << QStringList{"ChHead", "ChFanToJ", "CmbDel", "TShift"};
    QTest::newRow("disabled controls ignore clicks")
        << QStringList{"ChSelect", "ChDirection", "OptMove", "ChHead", "ChMove"}
        << QStringList{"OptMove"} << "1.000"
        << QStringList{"ChSelect", "ChDirection", "ChFanToJ", "CmbDel", "TShift"};
}

void OptionRulesTest::clicks() {
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, checked);
    QFETCH(QString, shiftText);
    QFETCH(QStringList, enabled);
    const OptionState s = Clicked(clicks);
    QCOMPARE(On({{s.direct, "OptMove"},
                 {s.byOpening, "ChHead"},
                 {s.extraAdvance, "ChMove"},
                 {s.rowMode, "ChSelect"},
                 {s.later, "ChDirection"},
                 {s.simplify, "ChFanToJ"},
                 {s.removal != 0, "CmbDel"}}),
             checked);
    QCOMPARE(s.shiftText, shiftText);
    const OptionEnables e = EnablesFor(s);
    QCOMPARE(On({{e.byOpening, "ChHead"},
                 {e.extraAdvance, "ChMove"},
                 {e.rowMode, "ChSelect"},
                 {e.later, "ChDirection"},
                 {e.simplify, "ChFanToJ"},
                 {e.removal, "CmbDel"},
                 {e.shiftText, "TShift"},
                 {e.chooseOpening, "MenuHead"},
                 {e.saveRows, "MenuSave"}}),
             enabled);
    // Only ChOverWr decides MenuOutpath.
    OptionState overwriting = s;
    overwriting.overwrite = true;
    QVERIFY(e.outputFolder && !EnablesFor(overwriting).outputFolder);
}

void OptionRulesTest::settings_data() {
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("cutSeconds");  // 0: no usable settings
    QTest::newRow("cut by the opening, the field unused") << QStringList{} << "abc" << 7.5;
    QTest::newRow("cut by a typed amount") << QStringList{"ChHead"} << "30" << 30.0;
    QTest::newRow("typed cut out of range") << QStringList{"ChHead"} << "0.1" << 0.0;
    QTest::newRow("direct, amount not a number") << QStringList{"OptMove"} << "." << 0.0;
}

void OptionRulesTest::settings() {
    QFETCH(QStringList, clicks);
    QFETCH(QString, typed);
    QFETCH(double, cutSeconds);
    OptionState state = Clicked(clicks);
    state.shiftText = typed;
    const auto settings = SettingsFrom(state, kClip, "/out");
    QCOMPARE(settings.has_value(), cutSeconds > 0);
    if (settings) {
        QCOMPARE(settings->cutSeconds, cutSeconds);
        QCOMPARE(settings->outputDir, std::filesystem::path("/out"));
        // Before start-up selects an item, CmbDel has none: nothing is removed.
        state.removal = -1;
        QCOMPARE(SettingsFrom(state, kClip, "/out")->removal,
                 orvane::engine::LanguageRemoval::Keep);
    }
}

QTEST_GUILESS_MAIN(OptionRulesTest)
#include "option_rules_test.moc"
