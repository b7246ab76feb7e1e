// SPDX-License-Identifier: GPL-3.0-or-later
// What a desktop user expects of the window: choices kept between starts,
// keys, a frame that fits a small screen, feedback that does not mislead.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QTest>

#include "harness.h"
#include "ui/elided_label.h"

using namespace orvane::ui;

class ComfortTest : public QObject {
    Q_OBJECT
private slots:
    void choicesAreKeptBetweenStarts();
    void staleChoicesFallBack();
    void damagedSettingsTurnNothingOn();
    void firstSizeFitsTheScreen();
    void deleteRemovesTheSelectedEntries();
    void f5Runs();
    void optionsFitANarrowWindow();
    void unwritableOutputFolderIsRefused();
    void outputFolderThatCannotBeOpenedIsSaid();
};

void ComfortTest::choicesAreKeptBetweenStarts() {
    QTemporaryDir shared;
    const QString settings = shared.filePath(QStringLiteral("orvane.ini"));
    const QString out = shared.filePath(QStringLiteral("out"));
    QDir().mkpath(out);
    {
        Harness h([&](Harness& harness) { harness.system.settingsFile = settings; });
        Form1& w = h.w();
        h.ui.OptMove->click();
        h.ui.ChDirection->click();
        h.ui.TShift->setText(QStringLiteral("2.5"));
        h.ui.ChFanToJ->click();
        h.ui.CmbDel->setCurrentIndex(2);
        h.ui.ChBat->click();
        h.dialogs.answers << MessageAnswer::Ok << MessageAnswer::Yes;  // ANSI; close
        h.ui.ChASCII->click();
        h.ui.LDir->setText(out);
        w.close();
    }
    Harness h([&](Harness& harness) { harness.system.settingsFile = settings; });
    QVERIFY(h.ui.OptMove->isChecked());
    QVERIFY(h.ui.ChDirection->isChecked());
    QCOMPARE(h.ui.TShift->text(), QStringLiteral("2.5"));
    QVERIFY(h.ui.ChFanToJ->isChecked());
    QCOMPARE(h.ui.CmbDel->currentIndex(), 2);
    QVERIFY(h.ui.ChBat->isChecked());
    QVERIFY(h.ui.ChASCII->isChecked());
    QCOMPARE(h.ui.LDir->text(), out);
    QCOMPARE(h.ui.List1->count(), 0);     // the list is not kept
    QCOMPARE(h.dialogs.asked.size(), 0);  // nothing asked again at start
}

void ComfortTest::staleChoicesFallBack() {
    QTemporaryDir shared;
    const QString file = shared.filePath(QStringLiteral("orvane.ini"));
    {
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue(QStringLiteral("outputDir"), shared.filePath(QStringLiteral("gone")));
        settings.setValue(QStringLiteral("direct"), true);
        settings.setValue(QStringLiteral("amount"), QStringLiteral("999"));
    }
    Harness h([&](Harness& harness) { harness.system.settingsFile = file; });
    QCOMPARE(h.ui.LDir->text(),
             QDir::toNativeSeparators(h.system.homeDir + QStringLiteral("/Temp")));
    QCOMPARE(h.ui.TShift->text(), QStringLiteral("1.000"));
}

// Values the window never writes read as the defaults; overwriting the
// sources is never brought back at start.
void ComfortTest::damagedSettingsTurnNothingOn() {
    QTemporaryDir shared;
    const QString file = shared.filePath(QStringLiteral("orvane.ini"));
    {
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue(QStringLiteral("ansi"), QStringLiteral("banana"));
        settings.setValue(QStringLiteral("simplify"), QStringLiteral("2"));
        settings.setValue(QStringLiteral("batch"), QStringLiteral("yes please"));
        settings.setValue(QStringLiteral("removal"), QStringLiteral("99"));
        settings.setValue(QStringLiteral("useOpening"), QStringLiteral("maybe"));
        settings.setValue(QStringLiteral("overwrite"), true);
    }
    Harness h([&](Harness& harness) { harness.system.settingsFile = file; });
    QVERIFY(!h.ui.ChASCII->isChecked());
    QVERIFY(!h.ui.ChFanToJ->isChecked());
    QVERIFY(!h.ui.ChBat->isChecked());
    QCOMPARE(h.ui.CmbDel->currentIndex(), 0);
    QVERIFY(h.ui.ChHead->isChecked());
    QVERIFY(!h.ui.ChOverWr->isChecked());
    QVERIFY(h.ui.MenuOutpath->isEnabled());
}

// The first size stays within the screen's free area, and the page scrolls
// rather than hiding controls below the window's edge.
void ComfortTest::firstSizeFitsTheScreen() {
    Harness h;
    const QSize free = h.w().screen()->availableGeometry().size();
    QVERIFY2(h.w().width() <= free.width() && h.w().height() <= free.height(),
             qPrintable(QStringLiteral("%1x%2 on %3x%4")
                            .arg(h.w().width())
                            .arg(h.w().height())
                            .arg(free.width())
                            .arg(free.height())));
    QVERIFY(h.find<QScrollArea>("Page"));
}

void ComfortTest::deleteRemovesTheSelectedEntries() {
    Harness h;
    for (const char* name : {"a.srt", "b.srt", "c.srt"}) {
        h.ui.List1->addItem(h.touch(QString::fromLatin1(name)));
    }
    h.ui.List1->item(0)->setSelected(true);
    h.ui.List1->item(2)->setSelected(true);
    QTest::keyClick(h.ui.List1, Qt::Key_Delete);
    QCOMPARE(h.ui.List1->count(), 1);
    QVERIFY(h.ui.List1->item(0)->text().endsWith(QStringLiteral("b.srt")));
    QCOMPARE(h.ui.LSubs->text(), QStringLiteral("1个字幕文件"));
}

void ComfortTest::f5Runs() {
    Harness h;
    Form1& w = h.w();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_F5);
    QCOMPARE(h.dialogs.AskedTexts(), QStringList{QStringLiteral("请先加载字幕文件列表！")});
}

// 1366 x 768 at 150 %: 910 logical pixels wide; every option stays inside.
void ComfortTest::optionsFitANarrowWindow() {
    Harness h;
    Form1& w = h.w();
    w.resize(910, 512);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.width(), 910);  // the layout lets it be that narrow
    for (QWidget* control : std::initializer_list<QWidget*>{
             h.ui.ChMove, h.ui.ChFanToJ, h.ui.CmbDel, h.ui.ChHead, h.ui.ChDirection, h.ui.TShift,
             h.ui.ChSelect, h.ui.CmbType, h.ui.ChASCII, h.ui.ChBat, h.ui.ChOverWr}) {
        const QRect inWindow(control->mapTo(&w, QPoint(0, 0)), control->size());
        QVERIFY2(w.rect().contains(inWindow), qPrintable(control->objectName()));
    }
}

void ComfortTest::unwritableOutputFolderIsRefused() {
    Harness h;
    const QString locked = h.root.filePath(QStringLiteral("locked"));
    QDir().mkpath(locked);
    h.system.readOnlyDirs << QDir::cleanPath(locked);
    const QString before = h.ui.LDir->text();
    h.dialogs.folderAnswers << locked;
    h.ui.MenuOutpath->trigger();
    QCOMPARE(h.ui.LDir->text(), before);
    QCOMPARE(h.dialogs.AskedTexts(),
             QStringList{QStringLiteral("所选文件夹不可写入，请另选输出目录！")});
    QCOMPARE(h.dialogs.folderTitles.size(), 1);
}

void ComfortTest::outputFolderThatCannotBeOpenedIsSaid() {
    Harness h;
    h.dialogs.openFolderWorks = false;
    QTest::mouseDClick(h.ui.LDir, Qt::LeftButton);
    QCOMPARE(h.dialogs.asked.size(), 1);
    QVERIFY(h.dialogs.asked.front().text.startsWith(QStringLiteral("无法打开输出文件夹")));
}

QTEST_MAIN(ComfortTest)
#include "comfort_test.moc"
