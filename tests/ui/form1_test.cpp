// SPDX-License-Identifier: GPL-3.0-or-later
// The main window, offscreen: defaults, option interlocks, the shift-seconds
// field, the file list, the output folder, closing. Dialogs are answered by a
// script; controls are found by their object names.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <memory>

#include "fakes.h"
#include "harness.h"
#include "ui/elided_label.h"
#include "ui/form1.h"
#include "ui/row_edit_panel.h"

using namespace orvane::ui;
using orvane::engine::LanguageRemoval;
using orvane::engine::ShiftMode;

namespace {

// The rules that must hold after every handler.
void CheckInvariants(Harness& h) {
    const bool shiftUsed = h.ui.ChSelect->isChecked() || h.ui.OptMove->isChecked() ||
                           h.ui.ChMove->isChecked() || !h.ui.ChHead->isChecked();
    QCOMPARE(h.ui.TShift->isEnabled(), shiftUsed);
    QCOMPARE(h.ui.MenuHead->isEnabled(), h.ui.ChHead->isChecked());
    QCOMPARE(h.ui.ChMove->isEnabled(), h.ui.ChHead->isChecked());
    QCOMPARE(h.ui.MenuSave->isEnabled(), h.ui.ChSelect->isChecked());
    QCOMPARE(h.ui.ChFanToJ->isEnabled(), !h.ui.ChSelect->isChecked());
    QCOMPARE(h.ui.CmbDel->isEnabled(), !h.ui.ChSelect->isChecked());
    QCOMPARE(h.ui.MenuOutpath->isEnabled(), !h.ui.ChOverWr->isChecked());
    QCOMPARE(h.ui.OptCutMove->isChecked(), !h.ui.OptMove->isChecked());
}

// The state that a switch into each mode leaves behind.
void CheckModeState(Harness& h, bool direct) {
    QCOMPARE(h.ui.OptMove->isChecked(), direct);
    QCOMPARE(h.ui.ChHead->isChecked(), !direct);
    QCOMPARE(h.ui.ChHead->isEnabled(), !direct);
    QCOMPARE(h.ui.ChMove->isChecked(), false);
    QCOMPARE(h.ui.ChMove->isEnabled(), !direct);
    QCOMPARE(h.ui.ChSelect->isChecked(), false);
    QCOMPARE(h.ui.ChSelect->isEnabled(), direct);
    QCOMPARE(h.ui.ChDirection->isChecked(), false);
    QCOMPARE(h.ui.ChDirection->isEnabled(), direct);
    QCOMPARE(h.ui.TShift->isEnabled(), direct);
    QCOMPARE(h.ui.TShift->text(), direct ? QStringLiteral("1.000") : QStringLiteral("12.000"));
    QCOMPARE(h.ui.MenuHead->isEnabled(), !direct);
    QCOMPARE(h.ui.MenuSave->isEnabled(), false);
}

// Clicks a control as the user would: nothing happens when it is disabled.
void Click(Harness& h, const QString& name) {
    auto* button = h.w().findChild<QAbstractButton*>(name);
    QVERIFY2(button, qPrintable(name));
    button->click();
}

// Starts MenuMove and waits until the run (on its worker thread) has ended.
void RunAndWait(Harness& h) {
    h.ui.MenuMove->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!h.run().IsBusy(), 30000);
}

bool TopMenusEnabled(Harness& h) {
    return h.ui.MenuFiles->menuAction()->isEnabled() && h.ui.MenuOps->menuAction()->isEnabled() &&
           h.ui.MenuHelp->menuAction()->isEnabled();
}

QStringList Entries(QListWidget* list) {
    QStringList entries;
    for (int i = 0; i < list->count(); ++i) {
        entries << list->item(i)->text();
    }
    return entries;
}

QStringList Entries(QListView* list) {
    QStringList entries;
    for (int i = 0; i < list->model()->rowCount(); ++i) {
        entries << list->model()->index(i, 0).data().toString();
    }
    return entries;
}

void SendFocusOut(QWidget* widget, Qt::FocusReason reason) {
    QFocusEvent event(QEvent::FocusOut, reason);
    QApplication::sendEvent(widget, &event);
}

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT
private slots:
    void startState();
    void startUpFolders_data();
    void startUpFolders();
    void startUpUpdate_data();
    void startUpUpdate();
    void checkNowByHand_data();
    void checkNowByHand();
    void updateNamesTheServersVersion();

    void modeSwitches_data();
    void modeSwitches();
    void cutModeOptions_data();
    void cutModeOptions();
    void rowMode();

    void shiftKeyFilter_data();
    void shiftKeyFilter();
    void shiftValidation_data();
    void shiftValidation();
    void shiftKeptWhenMenuTakesFocus();
    void shiftRefusalIsSaid_data();
    void shiftRefusalIsSaid();
    void ruleDefaultIsSaid();

    void fileType_data();
    void fileType();
    void ansiConfirmation_data();
    void ansiConfirmation();
    void overwriteConfirmation_data();
    void overwriteConfirmation();

    void dropFiles_data();
    void dropFiles();
    void dropEventFromDesktop();
    void dropDuringRunKeepsMenusLocked();
    void addOneFileByDialog();
    void addThreeFilesByDialog();
    void addCancelled();
    void rightClickClear_data();
    void rightClickClear();

    void outputFolder_data();
    void outputFolder();
    void outputFolderDoubleClick();

    void closeQuestion_data();
    void closeQuestion();
    void exitMenu_data();
    void exitMenu();

    void gatherSettings_data();
    void gatherSettings();

    void runPreconditions_data();
    void runPreconditions();
    void runRange_data();
    void runRange();
    void runNamesFailures();
    void runCreatesOutputFolder();
    void runShiftsIntoOutputFolder();
    void runNamesGb2312Losses();
    void stopButton_data();
    void stopButton();
    void recordsRefused_data();
    void recordsRefused();
    void recordsLoaded();
    void addFolderByMenu();
    void lyricsTypeIsExplained();
    void mnemonicsDoNotClash();
};

// ---- controls and start-up ----------------------------------------------------

void Form1Test::startState() {
    Harness h;
    Form1& w = h.w();
    QCOMPARE(w.windowTitle(), QStringLiteral("Orvane字幕时间轴专用平移编辑助手"));
    CheckModeState(h, false);
    CheckInvariants(h);
    QCOMPARE(h.ui.CmdStop->isHidden(), true);
    QCOMPARE(h.ui.TV->isHidden(), true);
    QCOMPARE(h.ui.ChFanToJ->isChecked(), false);
    QCOMPARE(h.ui.ChASCII->isChecked(), false);
    QCOMPARE(h.ui.ChBat->isChecked(), false);
    QCOMPARE(h.ui.ChOverWr->isChecked(), false);
    QCOMPARE(h.ui.CmbDel->currentIndex(), 0);
    QCOMPARE(h.ui.CmbType->currentIndex(), 0);
    QCOMPARE(h.ui.CmbType->count(), 4);
    QCOMPARE(h.ui.TShift->maxLength(), 6);
    QCOMPARE(h.ui.LHead->tag(), QStringLiteral("12.000"));
    QCOMPARE(h.ui.List1->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(h.ui.List2->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(h.run().IsBusy(), false);
    QCOMPARE(h.run().StopRequested(), false);
    QCOMPARE(h.ui.LDir->text(),
             QDir::toNativeSeparators(h.system.homeDir + QStringLiteral("/Temp")));
    QCOMPARE(h.dialogs.asked.size(), 0);
    QCOMPARE(h.dialogs.beeps, 0);
    // Other parts of the program and the tests find controls by name.
    for (const char* name :
         {"Label1", "LDir",      "CmdStop", "Frame1",  "OptCutMove",  "ChMove", "ChFanToJ",
          "CmbDel", "ChHead",    "LHead",   "OptMove", "ChDirection", "Label4", "TShift",
          "Label5", "ChSelect",  "Label6",  "CmbType", "ChASCII",     "ChBat",  "ChOverWr",
          "TV",     "Label2",    "LSubs",   "Label3",  "LSubRecs",    "List1",  "List2",
          "LSt",    "MenuFiles", "MenuOps", "MenuHelp"}) {
        QVERIFY2(h.w().findChild<QWidget*>(QString::fromLatin1(name)), name);
    }
    for (const char* name : {"MenuAddFiles", "MenuHead", "MenuOutpath", "MenuExit", "MenuMove",
                             "MenuSave", "MenuUpdate", "MenuHelpSub", "MenuHome"}) {
        QVERIFY2(h.w().findChild<QAction*>(QString::fromLatin1(name)), name);
    }
}

void Form1Test::startUpFolders_data() {
    QTest::addColumn<bool>("programWritable");
    QTest::addColumn<bool>("inCache");
    QTest::newRow("writable program folder") << true << false;
    QTest::newRow("read-only program folder") << false << true;
}

void Form1Test::startUpFolders() {
    QFETCH(bool, programWritable);
    QFETCH(bool, inCache);
    Harness h([&](Harness& x) { x.system.programDirWritable = programWritable; });
    const QString expected = inCache ? h.system.cacheDir : h.system.programDir;
    QCOMPARE(h.w().WorkDir(), expected);
    QCOMPARE(QFileInfo(expected).isDir(), true);
}

void Form1Test::startUpUpdate_data() {
    QTest::addColumn<bool>("newer");
    QTest::addColumn<QString>("title");
    QTest::newRow("nothing found") << false << "Orvane字幕时间轴专用平移编辑助手";
    QTest::newRow("newer version")
        << true << "Orvane字幕时间轴专用平移编辑助手【发现有更新版本，建议及时更新】";
}

void Form1Test::startUpUpdate() {
    QFETCH(bool, newer);
    QFETCH(QString, title);
    Harness h([&](Harness& x) { x.updates.newer = newer; });
    QCOMPARE(h.updates.checks, 1);
    QCOMPARE(h.w().windowTitle(), title);
    QCOMPARE(h.ui.MenuUpdate->isEnabled(), newer);
}

// By hand: checked again, then as at start-up, and the answer is said.
void Form1Test::checkNowByHand_data() {
    QTest::addColumn<bool>("newer");
    QTest::addColumn<QString>("status");
    QTest::newRow("same version") << false << "状态：当前已是服务器上的版本";
    QTest::newRow("other version") << true << "状态：发现其他版本，可用“检查更新”安装";
}

void Form1Test::checkNowByHand() {
    QFETCH(bool, newer);
    QFETCH(QString, status);
    Harness h;
    h.updates.newer = newer;
    h.ui.MenuCheckNow->trigger();
    QCOMPARE(h.updates.checks, 2);
    QCOMPARE(h.ui.LSt->text(), status);
    QCOMPARE(h.ui.MenuUpdate->isEnabled(), newer);
    QCOMPARE(h.w().windowTitle().endsWith(kUpdateNotice), newer);
}

// The question before installing names the server's version, which may be
// older: any other version counts.
void Form1Test::updateNamesTheServersVersion() {
    Harness h([&](Harness& x) {
        x.updates.newer = true;
        x.updates.version = "000";
    });
    h.dialogs.answers << MessageAnswer::No;
    h.ui.MenuUpdate->trigger();
    QVERIFY2(h.dialogs.AskedTexts().front().startsWith(QStringLiteral("服务器上的版本为000，")),
             qPrintable(h.dialogs.AskedTexts().front()));
}

// ---- option interlocks --------------------------------------------------------

void Form1Test::modeSwitches_data() {
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<bool>("direct");
    QTest::newRow("to direct") << QStringList{"OptMove"} << true;
    QTest::newRow("to direct and back") << QStringList{"OptMove", "OptCutMove"} << false;
    QTest::newRow("back from row mode")
        << QStringList{"OptMove", "ChSelect", "OptCutMove"} << false;
    QTest::newRow("back from later")
        << QStringList{"OptMove", "ChDirection", "OptCutMove"} << false;
    QTest::newRow("extra advance then direct") << QStringList{"ChMove", "OptMove"} << true;
    QTest::newRow("no opening then direct and back")
        << QStringList{"ChHead", "OptMove", "OptCutMove"} << false;
    QTest::newRow("row mode twice")
        << QStringList{"OptMove", "ChSelect", "ChSelect", "OptCutMove", "OptMove"} << true;
    QTest::newRow("disabled controls ignore clicks")
        << QStringList{"ChSelect", "ChDirection", "OptMove", "ChHead", "ChMove"} << true;
}

void Form1Test::modeSwitches() {
    QFETCH(QStringList, clicks);
    QFETCH(bool, direct);
    Harness h;
    for (const QString& name : clicks) {
        Click(h, name);
        CheckInvariants(h);
    }
    CheckModeState(h, direct);
}

void Form1Test::cutModeOptions_data() {
    QTest::addColumn<QString>("headTag");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("shiftText");
    QTest::addColumn<bool>("shiftEnabled");
    QTest::addColumn<bool>("moveEnabled");
    QTest::newRow("extra advance") << "12.000" << QStringList{"ChMove"} << "1.000" << true << true;
    QTest::newRow("extra advance off again")
        << "12.000" << QStringList{"ChMove", "ChMove"} << "12.000" << false << true;
    QTest::newRow("off again gives the measured opening")
        << "7.5" << QStringList{"ChMove", "ChMove"} << "7.5" << false << true;
    QTest::newRow("no opening clip")
        << "12.000" << QStringList{"ChHead"} << "12.000" << true << false;
    QTest::newRow("no opening clip while advancing")
        << "7.5" << QStringList{"ChMove", "ChHead"} << "7.5" << true << false;
    QTest::newRow("opening clip again")
        << "12.000" << QStringList{"ChHead", "ChHead"} << "12.000" << false << true;
}

void Form1Test::cutModeOptions() {
    QFETCH(QString, headTag);
    QFETCH(QStringList, clicks);
    QFETCH(QString, shiftText);
    QFETCH(bool, shiftEnabled);
    QFETCH(bool, moveEnabled);
    Harness h;
    h.w().SetOpeningClip({QString(), headTag, headTag.toDouble()});
    for (const QString& name : clicks) {
        Click(h, name);
        CheckInvariants(h);
    }
    QCOMPARE(h.ui.TShift->text(), shiftText);
    QCOMPARE(h.ui.TShift->isEnabled(), shiftEnabled);
    QCOMPARE(h.ui.ChMove->isEnabled(), moveEnabled);
}

void Form1Test::rowMode() {
    Harness h;
    h.ui.OptMove->click();
    h.ui.ChFanToJ->click();
    h.ui.CmbDel->setCurrentIndex(2);
    h.ui.ChSelect->click();
    CheckInvariants(h);
    QCOMPARE(h.ui.TShift->text(), QStringLiteral("1.000"));
    QCOMPARE(h.ui.ChFanToJ->isChecked(), false);
    QCOMPARE(h.ui.CmbDel->currentIndex(), 0);
    QCOMPARE(h.ui.MenuSave->isEnabled(), true);

    h.ui.ChSelect->click();
    CheckInvariants(h);
    QCOMPARE(h.ui.TShift->text(), QStringLiteral("12.000"));
    QCOMPARE(h.ui.ChFanToJ->isEnabled(), true);
    QCOMPARE(h.ui.CmbDel->isEnabled(), true);
}

// ---- the shift-seconds field --------------------------------------------------

void Form1Test::shiftKeyFilter_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("beeps");
    QTest::newRow("digit") << int(Qt::Key_5) << "5" << 0 << "1.0005" << 0;
    QTest::newRow("point") << int(Qt::Key_Period) << "." << 0 << "1.000." << 0;
    QTest::newRow("letter") << int(Qt::Key_A) << "a" << 0 << "1.000" << 1;
    QTest::newRow("comma") << int(Qt::Key_Comma) << "," << 0 << "1.000," << 0;
    QTest::newRow("minus") << int(Qt::Key_Minus) << "-" << 0 << "1.000" << 1;
    QTest::newRow("space") << int(Qt::Key_Space) << " " << 0 << "1.000" << 1;
    QTest::newRow("full-width digit") << int(Qt::Key_unknown) << "５" << 0 << "1.000" << 1;
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << "\b" << 0 << "1.00" << 0;
    QTest::newRow("select all is no character")
        << int(Qt::Key_A) << "\x01" << int(Qt::ControlModifier) << "1.000" << 0;
}

void Form1Test::shiftKeyFilter() {
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(int, modifiers);
    QFETCH(QString, expected);
    QFETCH(int, beeps);
    Harness h;
    h.ui.OptMove->click();
    h.ui.TShift->setMaxLength(10);  // room to see an accepted character
    h.ui.TShift->setCursorPosition(h.ui.TShift->text().size());
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
    QApplication::sendEvent(h.ui.TShift, &press);
    QCOMPARE(h.ui.TShift->text(), expected);
    QCOMPARE(h.dialogs.beeps, beeps);
}

void Form1Test::shiftValidation_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("0.1") << "0.1"
                         << "12";
    QTest::newRow("120") << "120"
                         << "120";
    QTest::newRow("120.5") << "120.5"
                           << "12";
    QTest::newRow("0.2") << "0.2"
                         << "0.2";
    QTest::newRow("empty") << ""
                           << "12";
    QTest::newRow("12.000") << "12.000"
                            << "12";
    QTest::newRow("1.2.3") << "1.2.3"
                           << "12";
    QTest::newRow("comma is no decimal point") << "1,5"
                                               << "12";
    QTest::newRow("pasted letters") << "abc"
                                    << "12";
}

void Form1Test::shiftValidation() {
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    Harness h;
    h.ui.OptMove->click();
    h.ui.TShift->setText(typed);
    SendFocusOut(h.ui.TShift, Qt::TabFocusReason);
    QCOMPARE(h.ui.TShift->text(), expected);
}

// What the field refuses or the rules replace is said in the status line.
void Form1Test::shiftRefusalIsSaid_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("status");
    QTest::newRow("too large") << "150"
                               << "状态：150 秒超出范围（0.2–120），已恢复为 12";
    QTest::newRow("too small") << "0.1"
                               << "状态：0.1 秒超出范围（0.2–120），已恢复为 12";
    QTest::newRow("comma") << "1,5"
                           << "状态：“1,5”不是秒数（只能是数字和一个小数点“.”），已恢复为 12";
    QTest::newRow("empty") << ""
                           << "状态：未填写平移秒数，已恢复为 12";
    QTest::newRow("usable says nothing") << "2"
                                         << "状态：就绪";
}

void Form1Test::shiftRefusalIsSaid() {
    QFETCH(QString, typed);
    QFETCH(QString, status);
    Harness h;
    h.ui.OptMove->click();
    h.w().SetStatus(QStringLiteral("状态：就绪"));
    h.ui.TShift->setText(typed);
    SendFocusOut(h.ui.TShift, Qt::TabFocusReason);
    QCOMPARE(h.ui.LSt->text(), status);
}

void Form1Test::ruleDefaultIsSaid() {
    Harness h;
    h.ui.OptMove->click();
    h.ui.TShift->setText(QStringLiteral("2"));
    h.ui.ChSelect->click();
    QCOMPARE(h.ui.TShift->text(), QStringLiteral("1.000"));
    QCOMPARE(h.ui.LSt->text(), QStringLiteral("状态：平移秒数已由 2 改为 1.000"));
}

void Form1Test::shiftKeptWhenMenuTakesFocus() {
    Harness h;
    h.ui.OptMove->click();
    h.ui.TShift->setText(QStringLiteral("0.1"));
    SendFocusOut(h.ui.TShift, Qt::PopupFocusReason);
    SendFocusOut(h.ui.TShift, Qt::ActiveWindowFocusReason);
    QCOMPARE(h.ui.TShift->text(), QStringLiteral("0.1"));
}

// ---- file type and confirmations ------------------------------------------------

void Form1Test::fileType_data() {
    QTest::addColumn<int>("chosen");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("beeps");
    QTest::newRow("srt") << 0 << 0 << 0;
    QTest::newRow("ass and ssa") << 1 << 1 << 0;
    QTest::newRow("lrc refused") << 2 << 0 << 1;
    QTest::newRow("all with lrc refused") << 3 << 0 << 1;
}

void Form1Test::fileType() {
    QFETCH(int, chosen);
    QFETCH(int, shown);
    QFETCH(int, beeps);
    Harness h;
    if (chosen == 0) {
        h.ui.CmbType->setCurrentIndex(1);  // so that choosing 0 is a change
    }
    h.ui.List1->addItems({QStringLiteral("a.srt"), QStringLiteral("b.srt")});
    h.find<RowEditPanel>("RowEdit")->Load(QStringLiteral("a.srt"),
                                          {"1", "00:00:01,000 --> 00:00:02,000"}, 0);
    h.ui.LSubs->setText(QStringLiteral("2个字幕文件"));
    h.ui.LSubRecs->setText(QStringLiteral("2条字幕"));
    h.ui.CmbType->setCurrentIndex(chosen);
    QCOMPARE(h.ui.CmbType->currentIndex(), shown);
    QCOMPARE(h.dialogs.beeps, beeps);
    QCOMPARE(h.ui.List1->count(), 0);
    QCOMPARE(h.ui.List2->model()->rowCount(), 0);
    QCOMPARE(h.ui.LSubs->text(), QStringLiteral("0个字幕文件"));
    QCOMPARE(h.ui.LSubRecs->text(), QStringLiteral("0条字幕"));
}

void Form1Test::ansiConfirmation_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("checked");
    QTest::newRow("ok") << int(MessageAnswer::Ok) << true;
    QTest::newRow("cancel") << int(MessageAnswer::Cancel) << false;
}

void Form1Test::ansiConfirmation() {
    QFETCH(int, answer);
    QFETCH(bool, checked);
    Harness h;
    h.dialogs.answers << MessageAnswer(answer);
    h.ui.ChASCII->click();
    QCOMPARE(h.ui.ChASCII->isChecked(), checked);
    QCOMPARE(h.dialogs.asked.size(), 1);
    const MessageRequest& box = h.dialogs.asked.front();
    QCOMPARE(box.title, QStringLiteral("消息"));
    QCOMPARE(box.text,
             QStringLiteral(
                 "大多数字幕合并软件采用Utf-8编码，如无特需，建议勿启用ANSI编码！\r\n确定启用？"));
    QCOMPARE(box.icon, MessageIcon::Warning);
    QCOMPARE(box.buttons, MessageButtons::OkCancel);
    QCOMPARE(box.defaultButton, MessageAnswer::Cancel);
    if (checked) {
        h.ui.ChASCII->click();  // unchecking asks nothing
        QCOMPARE(h.ui.ChASCII->isChecked(), false);
        QCOMPARE(h.dialogs.asked.size(), 1);
    }
}

void Form1Test::overwriteConfirmation_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("checked");
    QTest::newRow("ok") << int(MessageAnswer::Ok) << true;
    QTest::newRow("cancel") << int(MessageAnswer::Cancel) << false;
}

void Form1Test::overwriteConfirmation() {
    QFETCH(int, answer);
    QFETCH(bool, checked);
    Harness h;
    h.dialogs.answers << MessageAnswer(answer);
    h.ui.ChOverWr->click();
    CheckInvariants(h);
    QCOMPARE(h.ui.ChOverWr->isChecked(), checked);
    QCOMPARE(h.ui.MenuOutpath->isEnabled(), !checked);
    QCOMPARE(h.dialogs.asked.size(), 1);
    const MessageRequest& box = h.dialogs.asked.front();
    QCOMPARE(box.text, QStringLiteral("确定覆盖原文件？"));
    QCOMPARE(box.icon, MessageIcon::Warning);
    QCOMPARE(box.buttons, MessageButtons::OkCancel);
    QCOMPARE(box.defaultButton, MessageAnswer::Cancel);
    if (checked) {
        h.ui.ChOverWr->click();
        CheckInvariants(h);
        QCOMPARE(h.ui.MenuOutpath->isEnabled(), true);
        QCOMPARE(h.dialogs.asked.size(), 1);
    }
}

// ---- file list ----------------------------------------------------------------

void Form1Test::dropFiles_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<QStringList>("added");
    QTest::newRow("srt from a mixed drop")
        << 0 << QStringList{"a.SRT", "b.ass", "folder.srt", "nodot"} << QStringList{"a.SRT"};
    QTest::newRow("ass and ssa in any case")
        << 1 << QStringList{"x.ssa", "y.ASS", "a.SRT"} << QStringList{"x.ssa", "y.ASS"};
    QTest::newRow("same file twice") << 0 << QStringList{"a.SRT", "a.SRT"} << QStringList{"a.SRT"};
    QTest::newRow("missing file") << 0 << QStringList{"gone.srt"} << QStringList{};
#ifndef Q_OS_WIN
    QTest::newRow("hidden file") << 0 << QStringList{".hidden.srt"} << QStringList{};
#endif
    QTest::newRow("short extension") << 0 << QStringList{"short.s"} << QStringList{};
}

void Form1Test::dropFiles() {
    QFETCH(int, type);
    QFETCH(QStringList, dropped);
    QFETCH(QStringList, added);
    Harness h;
    Form1& w = h.w();
    for (const char* name :
         {"a.SRT", "b.ass", "nodot", "x.ssa", "y.ASS", ".hidden.srt", "short.s"}) {
        h.touch(QString::fromLatin1(name));
    }
    QDir(h.root.path()).mkdir(QStringLiteral("folder.srt"));
    h.ui.CmbType->setCurrentIndex(type);
    QStringList paths;
    QStringList expected;
    for (const QString& name : dropped) {
        paths << h.root.filePath(name);
    }
    for (const QString& name : added) {
        expected << QDir::toNativeSeparators(h.root.filePath(name));
    }
    bool menusDuringMessage = true;
    h.dialogs.onAsk = [&](const MessageRequest&) { menusDuringMessage = TopMenusEnabled(h); };
    QSignalSpy status(&w, &Form1::statusChanged);

    h.files().Drop(paths);

    QCOMPARE(Entries(h.ui.List1), expected);
    QCOMPARE(h.ui.LSubs->text(), QString::number(added.size()) + QStringLiteral("个字幕文件"));
    QCOMPARE(h.dialogs.AskedTexts(), QStringList{QStringLiteral("字幕文件加载完毕！")});
    QCOMPARE(h.dialogs.asked.front().icon, MessageIcon::Information);
    QCOMPARE(menusDuringMessage, false);
    QCOMPARE(TopMenusEnabled(h), true);
    // One status a file, then ready again: no "加载中" is left behind.
    QCOMPARE(status.size(), added.size() + 1);
    if (!added.isEmpty()) {
        QCOMPARE(status[status.size() - 2].front().toString(),
                 QStringLiteral("状态：字幕文件加载中...已加载") + QString::number(added.size()));
    }
    QCOMPARE(h.ui.LSt->text(), QStringLiteral("状态：就绪"));
}

void Form1Test::dropEventFromDesktop() {
    Harness h;
    const QString srt = h.touch(QStringLiteral("a.srt"));
    const QString ass = h.touch(QStringLiteral("b.ass"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(srt), QUrl::fromLocalFile(ass)});
    QWidget* viewport = h.ui.List1->viewport();

    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QCOMPARE(enter.isAccepted(), true);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    QCOMPARE(drop.isAccepted(), true);

    QTRY_COMPARE(h.dialogs.asked.size(), 1);
    QCOMPARE(Entries(h.ui.List1), QStringList{QDir::toNativeSeparators(srt)});
}

void Form1Test::dropDuringRunKeepsMenusLocked() {
    Harness h;
    h.run().SetBusy(true);
    h.ui.MenuFiles->menuAction()->setEnabled(false);
    h.files().Drop({h.touch(QStringLiteral("a.srt"))});
    QCOMPARE(h.ui.List1->count(), 1);
    QCOMPARE(TopMenusEnabled(h), false);
}

void Form1Test::addOneFileByDialog() {
    Harness h;
    Form1& w = h.w();
    const QString file = h.touch(QStringLiteral("one.srt"));
    h.dialogs.fileAnswers << QStringList{file};
    QSignalSpy status(&w, &Form1::statusChanged);
    h.ui.MenuAddFiles->trigger();

    QCOMPARE(h.dialogs.fileRequests.size(), 1);
    const OpenFileRequest& request = h.dialogs.fileRequests.front();
    QCOMPARE(request.title, QStringLiteral("添加字幕文件列表"));
    QCOMPARE(request.filterLabel, QStringLiteral("字幕文件"));
    QCOMPARE(request.patterns, QStringLiteral("*.srt"));
    QCOMPARE(request.multiple, true);
    QCOMPARE(Entries(h.ui.List1), QStringList{QDir::toNativeSeparators(file)});
    QCOMPARE(h.ui.LSubs->text(), QStringLiteral("1个字幕文件"));
    QCOMPARE(status.size(), 0);
    QCOMPARE(h.ui.LSt->text(), QStringLiteral("状态：就绪"));
    QCOMPARE(h.dialogs.asked.size(), 0);
}

void Form1Test::addThreeFilesByDialog() {
    Harness h;
    Form1& w = h.w();
    h.ui.CmbType->setCurrentIndex(1);
    const QStringList files = {h.touch(QStringLiteral("1.ass")), h.touch(QStringLiteral("2.ssa")),
                               h.touch(QStringLiteral("3.ass"))};
    h.dialogs.fileAnswers << files;
    bool menusDuringMessage = true;
    h.dialogs.onAsk = [&](const MessageRequest&) { menusDuringMessage = TopMenusEnabled(h); };
    QSignalSpy status(&w, &Form1::statusChanged);
    h.ui.MenuAddFiles->trigger();

    QCOMPARE(h.dialogs.fileRequests.front().patterns, QStringLiteral("*.ass;*.ssa"));
    QStringList shown;
    for (const QList<QVariant>& args : status) {
        shown << args.front().toString();
    }
    QCOMPARE(shown, (QStringList{QStringLiteral("状态：字幕文件加载中...1/3"),
                                 QStringLiteral("状态：字幕文件加载中...2/3"),
                                 QStringLiteral("状态：字幕文件加载中...3/3"),
                                 QStringLiteral("状态：就绪")}));
    QCOMPARE(h.ui.List1->count(), 3);
    QCOMPARE(h.ui.LSubs->text(), QStringLiteral("3个字幕文件"));
    QCOMPARE(h.dialogs.AskedTexts(), QStringList{QStringLiteral("字幕文件加载完毕！")});
    QCOMPARE(h.dialogs.asked.front().icon, MessageIcon::Information);
    QCOMPARE(menusDuringMessage, false);
    QCOMPARE(TopMenusEnabled(h), true);
}

void Form1Test::addCancelled() {
    Harness h;
    h.ui.MenuAddFiles->trigger();
    QCOMPARE(h.dialogs.beeps, 1);
    QCOMPARE(h.ui.List1->count(), 0);
    QCOMPARE(h.dialogs.asked.size(), 0);
}

void Form1Test::rightClickClear_data() {
    QTest::addColumn<int>("entries");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("beeps");
    QTest::addColumn<int>("left");
    QTest::newRow("empty list beeps") << 0 << false << int(MessageAnswer::Ok) << 0 << 1 << 0;
    QTest::newRow("ok clears") << 2 << false << int(MessageAnswer::Ok) << 1 << 0 << 0;
    QTest::newRow("cancel keeps") << 2 << false << int(MessageAnswer::Cancel) << 1 << 0 << 2;
    QTest::newRow("busy does nothing") << 2 << true << int(MessageAnswer::Ok) << 0 << 0 << 2;
}

void Form1Test::rightClickClear() {
    QFETCH(int, entries);
    QFETCH(bool, busy);
    QFETCH(int, answer);
    QFETCH(int, questions);
    QFETCH(int, beeps);
    QFETCH(int, left);
    Harness h;
    for (int i = 0; i < entries; ++i) {
        h.ui.List1->addItem(QStringLiteral("f%1.srt").arg(i));
    }
    h.ui.LSubs->setText(QString::number(entries) + QStringLiteral("个字幕文件"));
    h.run().SetBusy(busy);
    h.dialogs.answers << MessageAnswer(answer);
    QTest::mouseClick(h.ui.List1->viewport(), Qt::LeftButton);
    QCOMPARE(h.dialogs.asked.size(), 0);  // only the right button clears
    QTest::mouseClick(h.ui.List1->viewport(), Qt::RightButton);
    QCOMPARE(h.dialogs.asked.size(), questions);
    QCOMPARE(h.dialogs.beeps, beeps);
    QCOMPARE(h.ui.List1->count(), left);
    if (questions > 0) {
        const MessageRequest& box = h.dialogs.asked.front();
        QCOMPARE(box.text, QStringLiteral("清空字幕文件列表？"));
        QCOMPARE(box.icon, MessageIcon::Warning);
        QCOMPARE(box.buttons, MessageButtons::OkCancel);
        QCOMPARE(box.defaultButton, MessageAnswer::Ok);
        QCOMPARE(h.ui.LSubs->text(), QString::number(left) + QStringLiteral("个字幕文件"));
    }
}

// ---- output folder ----------------------------------------------------------------

void Form1Test::outputFolder_data() {
    QTest::addColumn<QString>("picked");  // "<root>" stands for the test's folder
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("refused");
    QTest::newRow("ordinary folder") << "<root>/out"
                                     << "<root>/out/" << false;
    QTest::newRow("cancelled") << ""
                               << "<default>" << false;
#ifndef Q_OS_WIN
    QTest::newRow("system folder") << "/usr/share"
                                   << "<default>" << true;
    QTest::newRow("root") << "/"
                          << "<default>" << true;
#endif
    QTest::newRow("vanished folder gives the working folder") << "<root>/gone"
                                                              << "<work>" << false;
}

void Form1Test::outputFolder() {
    QFETCH(QString, picked);
    QFETCH(QString, expected);
    QFETCH(bool, refused);
    Harness h;
    Form1& w = h.w();
    QDir(h.root.path()).mkdir(QStringLiteral("out"));
    const QString before = h.ui.LDir->text();
    picked.replace(QStringLiteral("<root>"), h.root.path());
    expected.replace(QStringLiteral("<root>"), h.root.path());
    expected.replace(QStringLiteral("<default>"), before);
    expected.replace(QStringLiteral("<work>"), w.WorkDir());
    h.dialogs.folderAnswers << picked;
    h.ui.MenuOutpath->trigger();
    QCOMPARE(h.dialogs.folderTitles, QStringList{QStringLiteral("指定输出目录")});
    QCOMPARE(h.ui.LDir->text(), QDir::toNativeSeparators(expected));
    QCOMPARE(h.dialogs.asked.size(), refused ? 1 : 0);
    if (refused) {
        QCOMPARE(h.dialogs.asked.front().text, QStringLiteral("禁止指定只读目录作为输出目录！"));
        QCOMPARE(h.dialogs.asked.front().icon, MessageIcon::Error);
        QCOMPARE(h.dialogs.asked.front().buttons, MessageButtons::Ok);
    }
}

void Form1Test::outputFolderDoubleClick() {
    Harness h;
    QTest::mouseDClick(h.ui.LDir, Qt::LeftButton);
    QCOMPARE(h.dialogs.openedFolders, QStringList{h.ui.LDir->text()});
}

// ---- closing ----------------------------------------------------------------

void Form1Test::closeQuestion_data() {
    QTest::addColumn<bool>("busy");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("icon");
    QTest::addColumn<bool>("closed");
    QTest::newRow("idle no") << false << int(MessageAnswer::No) << "关闭程序？"
                             << int(MessageIcon::Information) << false;
    QTest::newRow("idle yes") << false << int(MessageAnswer::Yes) << "关闭程序？"
                              << int(MessageIcon::Information) << true;
    QTest::newRow("busy no") << true << int(MessageAnswer::No) << "程序正在处理中，强制关闭程序？"
                             << int(MessageIcon::Warning) << false;
    QTest::newRow("busy yes") << true << int(MessageAnswer::Yes) << "程序正在处理中，强制关闭程序？"
                              << int(MessageIcon::Warning) << true;
}

void Form1Test::closeQuestion() {
    QFETCH(bool, busy);
    QFETCH(int, answer);
    QFETCH(QString, text);
    QFETCH(int, icon);
    QFETCH(bool, closed);
    Harness h;
    Form1& w = h.w();
    w.show();
    h.run().SetBusy(busy);
    h.dialogs.answers << MessageAnswer(answer);
    QCOMPARE(w.close(), closed);
    QCOMPARE(w.isVisible(), !closed);
    QCOMPARE(h.run().StopRequested(), closed);  // a run under way is told to stop
    QCOMPARE(h.dialogs.asked.size(), 1);
    const MessageRequest& box = h.dialogs.asked.front();
    QCOMPARE(box.title, QStringLiteral("消息"));
    QCOMPARE(box.text, text);
    QCOMPARE(box.icon, MessageIcon(icon));
    QCOMPARE(box.buttons, MessageButtons::YesNo);
    QCOMPARE(box.defaultButton, MessageAnswer::No);
}

void Form1Test::exitMenu_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closed");
    QTest::newRow("no") << int(MessageAnswer::No) << false;
    QTest::newRow("yes") << int(MessageAnswer::Yes) << true;
    QTest::newRow("enter answers no") << -1 << false;
}

void Form1Test::exitMenu() {
    QFETCH(int, answer);
    QFETCH(bool, closed);
    Harness h;
    Form1& w = h.w();
    w.show();
    if (answer >= 0) {
        h.dialogs.answers << MessageAnswer(answer);
    }
    h.ui.MenuExit->trigger();
    QCOMPARE(w.isVisible(), !closed);
    // The close that follows Yes does not ask a second time.
    QCOMPARE(h.dialogs.AskedTexts(), QStringList{QStringLiteral("关闭程序？")});
}

// ---- settings of a run ----------------------------------------------------------

void Form1Test::gatherSettings_data() {
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("shiftText");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("shiftSeconds");
    QTest::addColumn<double>("cutSeconds");
    QTest::addColumn<bool>("extraAdvance");
    QTest::addColumn<bool>("later");
    // Cut mode's amount is the opening (tag 7.5 in every row).
    QTest::newRow("cut by the opening")
        << QStringList{} << "" << true << int(ShiftMode::Cut) << 12.0 << 7.5 << false << false;
    QTest::newRow("cut and advance") << QStringList{"ChMove"} << "2.5" << true
                                     << int(ShiftMode::Cut) << 2.5 << 7.5 << true << false;
    QTest::newRow("cut by a typed amount") << QStringList{"ChHead"} << "30" << true
                                           << int(ShiftMode::Cut) << 12.0 << 30.0 << false << false;
    QTest::newRow("direct earlier") << QStringList{"OptMove"} << "3.25" << true
                                    << int(ShiftMode::Direct) << 3.25 << 7.5 << false << false;
    QTest::newRow("direct later") << QStringList{"OptMove", "ChDirection"} << "1.2" << true
                                  << int(ShiftMode::Direct) << 1.2 << 7.5 << false << true;
    QTest::newRow("direct two points") << QStringList{"OptMove"} << "1.2.3" << false
                                       << int(ShiftMode::Direct) << 0.0 << 0.0 << false << false;
    QTest::newRow("direct unchecked letters")
        << QStringList{"OptMove"} << "abc" << false << int(ShiftMode::Direct) << 0.0 << 0.0 << false
        << false;
    QTest::newRow("direct unchecked out of range")
        << QStringList{"OptMove"} << "500" << false << int(ShiftMode::Direct) << 0.0 << 0.0 << false
        << false;
    QTest::newRow("unused field may hold anything")
        << QStringList{} << "abc" << true << int(ShiftMode::Cut) << 12.0 << 7.5 << false << false;
}

void Form1Test::gatherSettings() {
    QFETCH(QStringList, clicks);
    QFETCH(QString, shiftText);
    QFETCH(bool, usable);
    QFETCH(int, mode);
    QFETCH(double, shiftSeconds);
    QFETCH(double, cutSeconds);
    QFETCH(bool, extraAdvance);
    QFETCH(bool, later);
    Harness h;
    Form1& w = h.w();
    w.SetOpeningClip({QString(), QStringLiteral("7.5"), 7.5});
    for (const QString& name : clicks) {
        Click(h, name);
    }
    if (!shiftText.isEmpty()) {
        h.ui.TShift->setText(shiftText);
    }
    h.ui.CmbDel->setCurrentIndex(1);
    const std::optional<orvane::engine::ShiftSettings> settings = w.GatherShiftSettings();
    QCOMPARE(settings.has_value(), usable);
    if (!usable) {
        return;
    }
    QCOMPARE(int(settings->mode), mode);
    QCOMPARE(settings->shiftSeconds, shiftSeconds);
    QCOMPARE(settings->cutSeconds, cutSeconds);
    QCOMPARE(settings->extraAdvance, extraAdvance);
    QCOMPARE(settings->later, later);
    QCOMPARE(int(settings->removal), int(LanguageRemoval::RemoveEnglish));
    QCOMPARE(QString::fromStdString(settings->outputDir.string()), h.ui.LDir->text());
}

// ---- the shift run ----------------------------------------------------------

void Form1Test::runPreconditions_data() {
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<int>("entries");
    QTest::addColumn<QString>("shiftText");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("icon");
    QTest::newRow("empty list, even in row mode")
        << QStringList{"OptMove", "ChSelect"} << 0 << ""
        << "请先加载字幕文件列表！" << int(MessageIcon::Error);
    QTest::newRow("rows not loaded") << QStringList{"OptMove", "ChSelect"} << 1 << ""
                                     << "请先双击字幕文件列表中的任一文件，以先读取字幕记录行！"
                                     << int(MessageIcon::Information);
    QTest::newRow("no opening clip chosen") << QStringList{} << 1 << ""
                                            << "请指定片头视频文件！" << int(MessageIcon::Error);
    QTest::newRow("amount typed but not usable")
        << QStringList{"OptMove"} << 1 << "abc"
        << "请检查字幕时间轴平移秒数的指定是否正确！" << int(MessageIcon::Warning);
}

void Form1Test::runPreconditions() {
    QFETCH(QStringList, clicks);
    QFETCH(int, entries);
    QFETCH(QString, shiftText);
    QFETCH(QString, text);
    QFETCH(int, icon);
    Harness h;
    for (const QString& name : clicks) {
        Click(h, name);
    }
    for (int i = 0; i < entries; ++i) {
        h.ui.List1->addItem(h.root.filePath(QStringLiteral("missing%1.srt").arg(i)));
    }
    if (!shiftText.isEmpty()) {
        h.ui.TShift->setText(shiftText);
    }
    h.ui.MenuMove->trigger();
    QCOMPARE(h.dialogs.AskedTexts(), QStringList{text});
    QCOMPARE(h.dialogs.asked.front().icon, MessageIcon(icon));
    QCOMPARE(h.dialogs.asked.front().buttons, MessageButtons::Ok);
    QCOMPARE(h.run().IsBusy(), false);
    QCOMPARE(TopMenusEnabled(h), true);
}

void Form1Test::runRange_data() {
    QTest::addColumn<bool>("batch");
    QTest::addColumn<bool>("overwrite");
    QTest::addColumn<int>("startRow");
    QTest::addColumn<int>("endRow");
    QTest::addColumn<QString>("report");
    // Lyrics files are passed over: nothing is written, and without batch
    // the report names the entries left alone.
    const QString others = QStringLiteral(
        "未写出任何文件！\r\n未勾选“批量处理”：只处理了选中的文件，列表中其余2个文件未处理。");
    QTest::newRow("current file") << false << false << 1 << 1 << others;
    QTest::newRow("first file when none is current") << false << false << -1 << 0 << others;
    QTest::newRow("batch") << true << false << 1 << 2 << "未写出任何文件！";
    QTest::newRow("over the sources") << false << true << 0 << 0 << others;
}

void Form1Test::runRange() {
    QFETCH(bool, batch);
    QFETCH(bool, overwrite);
    QFETCH(int, startRow);
    QFETCH(int, endRow);
    QFETCH(QString, report);
    Harness h;
    h.ui.OptMove->click();
    h.ui.ChBat->setChecked(batch);
    if (overwrite) {
        h.dialogs.answers << MessageAnswer::Ok;  // overwriting confirmed
        h.ui.ChOverWr->setChecked(true);
    }
    h.dialogs.asked.clear();
    // Lyrics files are passed over without a message, so no file is touched.
    for (const char* name : {"a.lrc", "b.lrc", "c.lrc"}) {
        h.ui.List1->addItem(h.touch(QString::fromLatin1(name)));
    }
    h.ui.List1->setCurrentRow(startRow);
    bool busy = false;
    bool frameEnabled = true;
    bool menusEnabled = true;
    bool stopShown = false;
    h.dialogs.onAsk = [&](const MessageRequest&) {
        busy = h.run().IsBusy();
        frameEnabled = h.ui.Frame1->isEnabled();
        menusEnabled = TopMenusEnabled(h);
        stopShown = !h.ui.CmdStop->isHidden();
    };
    h.dialogs.answers << (overwrite ? MessageAnswer::Ok : MessageAnswer::Yes);
    RunAndWait(h);

    QCOMPARE(h.dialogs.AskedTexts(), QStringList{report});
    const MessageRequest& box = h.dialogs.asked.front();
    QCOMPARE(box.icon, MessageIcon::Information);
    // Nothing written: no folder is offered.
    QCOMPARE(box.buttons, MessageButtons::Ok);
    QCOMPARE(h.dialogs.openedFolders, QStringList{});
    QCOMPARE(h.ui.List1->currentRow(), endRow);
    // Locked while the report is open, unlocked after it.
    QCOMPARE(busy, true);
    QCOMPARE(frameEnabled, false);
    QCOMPARE(menusEnabled, false);
    QCOMPARE(stopShown, batch);
    QCOMPARE(h.run().IsBusy(), false);
    QCOMPARE(h.ui.Frame1->isEnabled(), true);
    QCOMPARE(TopMenusEnabled(h), true);
    QCOMPARE(h.ui.CmdStop->isHidden(), true);
}

void Form1Test::runNamesFailures() {
    Harness h;
    h.ui.OptMove->click();
    h.ui.List1->addItem(h.root.filePath(QStringLiteral("missing.srt")));
    h.dialogs.answers << MessageAnswer::No;
    RunAndWait(h);
    QCOMPARE(h.dialogs.asked.size(), 1);
    const QString text = h.dialogs.asked.front().text;
    QVERIFY2(text.startsWith(QStringLiteral("未写出任何文件！\r\n已写出 0 个文件。\r\n"
                                            "以下文件未能处理：\r\nmissing.srt：")),
             qPrintable(text));
    // Nothing was written: no offer to open the folder.
    QVERIFY2(!text.contains(QStringLiteral("要打开输出目录吗？")), qPrintable(text));
    QCOMPARE(h.dialogs.asked.front().buttons, MessageButtons::Ok);
    QCOMPARE(h.dialogs.openedFolders, QStringList{});
}

void Form1Test::runCreatesOutputFolder() {
    Harness h;
    const QString out = QDir::toNativeSeparators(h.root.filePath(QStringLiteral("out/deeper")));
    h.ui.LDir->setText(out);
    h.ui.OptMove->click();
    h.ui.List1->addItem(h.touch(QStringLiteral("a.lrc")));
    RunAndWait(h);
    QCOMPARE(QFileInfo(out).isDir(), true);
}

void Form1Test::runShiftsIntoOutputFolder() {
    Harness h;
    const QString source = h.root.filePath(QStringLiteral("a.srt"));
    QFile file(source);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("1\r\n00:00:01,000 --> 00:00:02,000\r\nHello\r\n");
    file.close();
    const QString out = h.root.filePath(QStringLiteral("out"));
    h.ui.LDir->setText(QDir::toNativeSeparators(out));
    h.ui.OptMove->click();
    h.ui.ChDirection->click();  // later
    h.ui.List1->addItem(QDir::toNativeSeparators(source));
    h.dialogs.answers << MessageAnswer::Yes;
    RunAndWait(h);

    QCOMPARE(h.dialogs.AskedTexts(), QStringList{QStringLiteral("处理完毕！ 要打开输出目录吗？")});
    QCOMPARE(h.dialogs.openedFolders, QStringList{h.ui.LDir->text()});
    QFile shifted(QDir(out).filePath(QStringLiteral("a.srt")));
    QVERIFY(shifted.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(shifted.readAll());
    QVERIFY2(text.contains(QStringLiteral("00:00:02,000 --> 00:00:03,000")), qPrintable(text));
}

void Form1Test::runNamesGb2312Losses() {
    Harness h;
    const QString source = h.root.filePath(QStringLiteral("a.srt"));
    QFile file(source);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("1\r\n00:00:01,000 --> 00:00:02,000\r\n\xE2\x99\xAA \xE4\xBD\xA0\xE5\xA5\xBD\r\n");
    file.close();
    h.ui.LDir->setText(QDir::toNativeSeparators(h.root.filePath(QStringLiteral("out"))));
    h.ui.OptMove->click();
    h.dialogs.answers << MessageAnswer::Ok << MessageAnswer::No;  // enable ANSI; don't open
    h.ui.ChASCII->click();
    h.ui.List1->addItem(QDir::toNativeSeparators(source));
    RunAndWait(h);

    QCOMPARE(h.dialogs.AskedTexts().size(), 2);
    QCOMPARE(h.dialogs.AskedTexts().back(),
             QStringLiteral("处理完毕！\r\n已写出 1 个文件。\r\n"
                            "以下文件含有GB2312无法表示的字符，已写为“?”：\r\n"
                            "a.srt（1个）\r\n要打开输出目录吗？"));
}

void Form1Test::stopButton_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("stopped");
    QTest::newRow("yes") << int(MessageAnswer::Yes) << true;
    QTest::newRow("no") << int(MessageAnswer::No) << false;
}

void Form1Test::stopButton() {
    QFETCH(int, answer);
    QFETCH(bool, stopped);
    Harness h;
    h.ui.CmdStop->setVisible(true);
    h.dialogs.answers << MessageAnswer(answer);
    h.ui.CmdStop->click();
    QCOMPARE(h.run().StopRequested(), stopped);
    QCOMPARE(h.ui.CmdStop->isHidden(), stopped);
    const MessageRequest& box = h.dialogs.asked.front();
    QCOMPARE(box.text, QStringLiteral("终止操作？"));
    QCOMPARE(box.icon, MessageIcon::Warning);
    QCOMPARE(box.buttons, MessageButtons::YesNo);
    QCOMPARE(box.defaultButton, MessageAnswer::No);
}

// ---- record list --------------------------------------------------------------

void Form1Test::recordsRefused_data() {
    QTest::addColumn<bool>("rowMode");
    QTest::addColumn<int>("entries");
    QTest::addColumn<bool>("busy");
    QTest::newRow("row mode off") << false << 1 << false;
    QTest::newRow("empty list") << true << 0 << false;
    QTest::newRow("run under way") << true << 1 << true;
}

void Form1Test::recordsRefused() {
    QFETCH(bool, rowMode);
    QFETCH(int, entries);
    QFETCH(bool, busy);
    Harness h;
    h.ui.OptMove->click();
    h.ui.ChSelect->setChecked(rowMode);
    for (int i = 0; i < entries; ++i) {
        h.ui.List1->addItem(h.touch(QStringLiteral("a.srt")));
    }
    h.ui.List1->setCurrentRow(entries - 1);
    h.find<RowEditPanel>("RowEdit")->Load(QStringLiteral("a.srt"), {"kept"}, 0);
    h.run().SetBusy(busy);
    QTest::keyClick(h.ui.List1, Qt::Key_Return);
    QTRY_VERIFY(!h.rows().IsLoading());
    QCOMPARE(h.dialogs.beeps, 1);
    QCOMPARE(Entries(h.ui.List2), QStringList{QStringLiteral("kept")});
    QCOMPARE(h.dialogs.asked.size(), 0);
}

void Form1Test::recordsLoaded() {
    Harness h;
    h.ui.OptMove->click();
    h.ui.ChSelect->setChecked(true);
    const QString path = h.root.filePath(QStringLiteral("a.srt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "\r\n1\r\n00:00:01,000 --> 00:00:02,000\r\nHello\r\n\r\n"
        "2\r\n00:00:03,000 --> 00:00:04,000\r\nWorld\r\n");
    file.close();
    h.ui.List1->addItem(QDir::toNativeSeparators(path));
    h.ui.List1->setCurrentRow(0);
    QTest::keyClick(h.ui.List1, Qt::Key_Return);
    QTRY_VERIFY(!h.rows().IsLoading());

    QCOMPARE(h.dialogs.AskedTexts(),
             QStringList{QStringLiteral("选中字幕文件的字幕记录读取完毕！")});
    QCOMPARE(h.rows().SourcePath(), QDir::toNativeSeparators(path));
    QVERIFY(h.ui.List2->model()->rowCount() >= 8);
    QCOMPARE(Entries(h.ui.List2).mid(0, 3),
             (QStringList{QStringLiteral("1"), QStringLiteral("00:00:01,000 --> 00:00:02,000"),
                          QStringLiteral("Hello")}));
    // Two cues, however many rows; the rows in the status line.
    QCOMPARE(h.ui.LSubRecs->text(), QStringLiteral("2条字幕（UTF-8）"));
    QCOMPARE(h.ui.LSt->text(),
             QStringLiteral("状态：就绪（共%1行）").arg(h.ui.List2->model()->rowCount()));
}

// A folder's subtitle files of the chosen type, by name, once each.
void Form1Test::addFolderByMenu() {
    Harness h;
    QDir(h.root.path()).mkpath(QStringLiteral("subs/deeper"));
    for (const char* name : {"subs/b.srt", "subs/a.srt", "subs/c.ass", "subs/deeper/d.srt"}) {
        h.touch(QString::fromLatin1(name));
    }
    h.dialogs.folderAnswers << h.root.filePath(QStringLiteral("subs"));
    h.ui.MenuAddFolder->trigger();
    QCOMPARE(
        Entries(h.ui.List1),
        (QStringList{QDir::toNativeSeparators(h.root.filePath(QStringLiteral("subs/a.srt"))),
                     QDir::toNativeSeparators(h.root.filePath(QStringLiteral("subs/b.srt")))}));
    QCOMPARE(h.ui.LSubs->text(), QStringLiteral("2个字幕文件"));
    // A folder without such files is said, not silently passed over.
    h.dialogs.folderAnswers << h.root.filePath(QStringLiteral("home"));
    h.ui.MenuAddFolder->trigger();
    QVERIFY(h.dialogs.AskedTexts().back().startsWith(QStringLiteral("该文件夹中没有")));
}

// Refusing the lyrics types says why in the status line, not only a beep.
void Form1Test::lyricsTypeIsExplained() {
    Harness h;
    h.ui.CmbType->setCurrentIndex(3);
    QCOMPARE(h.dialogs.beeps, 1);
    QCOMPARE(h.ui.LSt->text(),
             QStringLiteral("状态：仅开通SRT,ASS/SSA类型；Mp3的Lrc歌词字幕需要定制开通！"));
}

// Every option can be reached from the keyboard, and no two share a letter
// (nor with the menu bar).
void Form1Test::mnemonicsDoNotClash() {
    Harness h;
    QStringList letters{QStringLiteral("F"), QStringLiteral("O"), QStringLiteral("H")};
    const QList<QWidget*> controls{h.ui.OptCutMove, h.ui.ChMove,      h.ui.ChFanToJ, h.ui.ChHead,
                                   h.ui.OptMove,    h.ui.ChDirection, h.ui.Label4,   h.ui.ChSelect,
                                   h.ui.Label6,     h.ui.ChASCII,     h.ui.ChBat,    h.ui.ChOverWr,
                                   h.ui.ChFrames,   h.ui.Label7};
    for (QWidget* control : controls) {
        const QString text = control->property("text").toString();
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        QVERIFY2(at >= 0 && at + 1 < text.size(), qPrintable(text));
        const QString letter = text.mid(at + 1, 1).toUpper();
        QVERIFY2(!letters.contains(letter), qPrintable(text));
        letters << letter;
    }
}

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
