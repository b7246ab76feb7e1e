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
#include <QTest>

#include "harness.h"
#include "ui/elided_label.h"

using namespace orvane::ui;

class ComfortTest : public QObject {
    Q_OBJECT
private slots:
    void choicesAreKeptBetweenStarts();
    void staleChoicesFallBack();
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
        w.OptMove->click();
        w.ChDirection->click();
        w.TShift->setText(QStringLiteral("2.5"));
        w.ChFanToJ->click();
        w.CmbDel->setCurrentIndex(2);
        w.ChBat->click();
        h.dialogs.answers << MessageAnswer::Ok << MessageAnswer::Yes;  // ANSI; close
        w.ChASCII->click();
        w.LDir->setText(out);
        w.close();
    }
    Harness h([&](Harness& harness) { harness.system.settingsFile = settings; });
    Form1& w = h.w();
    QVERIFY(w.OptMove->isChecked());
    QVERIFY(w.ChDirection->isChecked());
    QCOMPARE(w.TShift->text(), QStringLiteral("2.5"));
    QVERIFY(w.ChFanToJ->isChecked());
    QCOMPARE(w.CmbDel->currentIndex(), 2);
    QVERIFY(w.ChBat->isChecked());
    QVERIFY(w.ChASCII->isChecked());
    QCOMPARE(w.LDir->text(), out);
    QCOMPARE(w.List1->count(), 0);        // the list is not kept
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
    QCOMPARE(h.w().LDir->text(),
             QDir::toNativeSeparators(h.system.homeDir + QStringLiteral("/Temp")));
    QCOMPARE(h.w().TShift->text(), QStringLiteral("1.000"));
}

void ComfortTest::deleteRemovesTheSelectedEntries() {
    Harness h;
    Form1& w = h.w();
    for (const char* name : {"a.srt", "b.srt", "c.srt"}) {
        w.List1->addItem(h.touch(QString::fromLatin1(name)));
    }
    w.List1->item(0)->setSelected(true);
    w.List1->item(2)->setSelected(true);
    QTest::keyClick(w.List1, Qt::Key_Delete);
    QCOMPARE(w.List1->count(), 1);
    QVERIFY(w.List1->item(0)->text().endsWith(QStringLiteral("b.srt")));
    QCOMPARE(w.LSubs->text(), QStringLiteral("1个字幕文件"));
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
             w.ChMove, w.ChFanToJ, w.CmbDel, w.ChHead, w.ChDirection, w.TShift, w.ChSelect,
             w.CmbType, w.ChASCII, w.ChBat, w.ChOverWr}) {
        const QRect inWindow(control->mapTo(&w, QPoint(0, 0)), control->size());
        QVERIFY2(w.rect().contains(inWindow), qPrintable(control->objectName()));
    }
}

void ComfortTest::unwritableOutputFolderIsRefused() {
    Harness h;
    Form1& w = h.w();
    const QString locked = h.root.filePath(QStringLiteral("locked"));
    QDir().mkpath(locked);
    h.system.readOnlyDirs << QDir::cleanPath(locked);
    const QString before = w.LDir->text();
    h.dialogs.folderAnswers << locked;
    w.MenuOutpath->trigger();
    QCOMPARE(w.LDir->text(), before);
    QCOMPARE(h.dialogs.AskedTexts(),
             QStringList{QStringLiteral("所选文件夹不可写入，请另选输出目录！")});
    QCOMPARE(h.dialogs.folderTitles.size(), 1);
}

void ComfortTest::outputFolderThatCannotBeOpenedIsSaid() {
    Harness h;
    h.dialogs.openFolderWorks = false;
    h.w().LDir_DblClick();
    QCOMPARE(h.dialogs.asked.size(), 1);
    QVERIFY(h.dialogs.asked.front().text.startsWith(QStringLiteral("无法打开输出文件夹")));
}

QTEST_MAIN(ComfortTest)
#include "comfort_test.moc"
