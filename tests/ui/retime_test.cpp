// SPDX-License-Identifier: GPL-3.0-or-later
// Retiming through the window: a frame-rate change as a run over the file
// list, a sync on two selected rows with its preview and undo, the
// refusals that write nothing, and a direct amount in frames.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QUndoStack>

#include "harness.h"
#include "ui/retime_panel.h"

using namespace orvane::ui;

namespace {

const QByteArray kBom = "\xEF\xBB\xBF";

RetimePanel& OpenPanel(Harness& h) {
    h.find<QAction>("MenuRetime")->trigger();
    RetimePanel* panel = h.find<RetimePanel>("RetimePanel");
    Q_ASSERT(panel != nullptr);
    return *panel;
}

template <typename T>
T* In(RetimePanel& panel, const char* name) {
    return panel.findChild<T*>(QString::fromLatin1(name));
}

QString Row(Harness& h, int row) {
    return h.ui.List2->model()->index(row, 0).data().toString();
}

void SelectRows(Harness& h, std::initializer_list<int> rows) {
    h.ui.List2->clearSelection();
    for (const int row : rows) {
        h.ui.List2->selectionModel()->select(h.ui.List2->model()->index(row, 0),
                                             QItemSelectionModel::Select);
    }
}

// Three cues; their time lines are rows 1, 5 and 9.
const QByteArray kThree =
    "1\r\n00:00:10,000 --> 00:00:12,000\r\nA\r\n\r\n"
    "2\r\n00:01:00,000 --> 00:01:02,000\r\nB\r\n\r\n"
    "3\r\n00:01:50,000 --> 00:01:52,000\r\nC\r\n";

}  // namespace

class RetimeTest : public QObject {
    Q_OBJECT
private slots:
    void conversionWritesExactTimes_data();
    void conversionWritesExactTimes();
    void refusedConversionWritesNothing_data();
    void refusedConversionWritesNothing();
    void twoPointSyncIsOneUndoableStep();
    void refusedSyncChangesNothing_data();
    void refusedSyncChangesNothing();
    void amountInFrames();
};

void RetimeTest::conversionWritesExactTimes_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QString>("report");
    QTest::newRow("25 to 23.976") << "25"
                                  << "23.976"
                                  << QByteArray("1\r\n01:00:00,000 --> 02:00:00,000\r\nA\r\n")
                                  << QByteArray("1\r\n01:02:33,750 --> 02:05:07,500\r\nA\r\n")
                                  << QStringLiteral(
                                         "帧率 25 → 23.976：t × 1.04270833 + 0.000 秒\r\n"
                                         "共移动 1 条字幕，最大变动 307.500 秒。");
    QTest::newRow("23.976 to 25, typed as a fraction")
        << "24000/1001"
        << "25" << QByteArray("1\r\n01:02:33,750 --> 02:05:07,500\r\nA\r\n")
        << QByteArray("1\r\n01:00:00,000 --> 02:00:00,000\r\nA\r\n")
        << QStringLiteral("帧率 24000/1001 → 25：t × 0.95904096 + 0.000 秒");
}

// The window starts in cut mode: a conversion still cuts nothing.
void RetimeTest::conversionWritesExactTimes() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    QFETCH(QString, report);
    Harness h;
    const QString out = h.root.filePath(QStringLiteral("out"));
    h.ui.LDir->setText(out);
    h.ui.List1->addItem(WriteFile(h.root.filePath(QStringLiteral("a.srt")), input));
    RetimePanel& panel = OpenPanel(h);
    In<QComboBox>(panel, "CmbFpsFrom")->setCurrentText(from);
    In<QComboBox>(panel, "CmbFpsTo")->setCurrentText(to);
    h.dialogs.answers << MessageAnswer::No;
    In<QPushButton>(panel, "CmdConvert")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!h.run().IsBusy(), 30000);

    QCOMPARE(ReadFile(QDir(out).filePath(QStringLiteral("a.srt"))), kBom + expected);
    QCOMPARE(h.dialogs.asked.size(), 1);
    QVERIFY2(h.dialogs.asked[0].text.contains(report), qPrintable(h.dialogs.asked[0].text));
}

void RetimeTest::refusedConversionWritesNothing_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QString>("message");
    QTest::newRow("same rate") << "23.976"
                               << "24000/1001" << true
                               << QStringLiteral("原帧率与目标帧率相同，时间轴不会改变！");
    QTest::newRow("not a rate") << "25"
                                << "24,5" << true
                                << QStringLiteral(
                                       "“24,5”不是帧率（如 25、23.976 或 24000/1001）！");
    QTest::newRow("no files") << "25"
                              << "24" << false << QStringLiteral("请先加载字幕文件列表！");
}

void RetimeTest::refusedConversionWritesNothing() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(bool, listed);
    QFETCH(QString, message);
    Harness h;
    const QString out = h.root.filePath(QStringLiteral("out"));
    h.ui.LDir->setText(out);
    if (listed) {
        h.ui.List1->addItem(WriteFile(h.root.filePath(QStringLiteral("a.srt")), kThree));
    }
    RetimePanel& panel = OpenPanel(h);
    In<QComboBox>(panel, "CmbFpsFrom")->setCurrentText(from);
    In<QComboBox>(panel, "CmbFpsTo")->setCurrentText(to);
    In<QPushButton>(panel, "CmdConvert")->click();

    QVERIFY(!h.run().IsBusy());
    QCOMPARE(h.dialogs.AskedTexts(), QStringList{message});
    QVERIFY(!QDir(out).exists());
}

void RetimeTest::twoPointSyncIsOneUndoableStep() {
    Harness h;
    LoadRows(h, WriteFile(h.root.filePath(QStringLiteral("a.srt")), kThree));
    RetimePanel& panel = OpenPanel(h);
    SelectRows(h, {9, 1});
    QCOMPARE(In<QLabel>(panel, "LPoint1")->text(), QStringLiteral("第2行 00:00:10,000 →"));
    QCOMPARE(In<QLabel>(panel, "LPoint2")->text(), QStringLiteral("第10行 00:01:50,000 →"));
    // 10 s to 12 s and 110 s to 212 s: t × 2 − 8.
    In<QLineEdit>(panel, "TPoint1")->setText(QStringLiteral("12"));
    In<QLineEdit>(panel, "TPoint2")->setText(QStringLiteral("00:03:32,000"));
    QCOMPARE(In<QLabel>(panel, "LPreview")->text(),
             QStringLiteral("预览：第一条 00:00:10,000 → 00:00:12,000；\n"
                            "最后一条 00:01:50,000 → 00:03:32,000"));
    h.dialogs.answers << MessageAnswer::Ok;
    In<QPushButton>(panel, "CmdSync")->click();

    QCOMPARE(Row(h, 1), QStringLiteral("00:00:12,000 --> 00:00:16,000"));
    QCOMPARE(Row(h, 5), QStringLiteral("00:01:52,000 --> 00:01:56,000"));
    QCOMPARE(Row(h, 9), QStringLiteral("00:03:32,000 --> 00:03:36,000"));
    QCOMPARE(h.dialogs.AskedTexts().last(),
             QStringLiteral("两点同步：00:00:10,000 → 00:00:12,000，00:01:50,000 → 00:03:32,000"
                            "（t × 2.00000000 - 8.000 秒）\r\n"
                            "共移动 3 条字幕，最大变动 104.000 秒。稍后可以直接保存修改！"));
    QCOMPARE(h.rows().UndoStack()->count(), 1);
    h.ui.MenuUndo->trigger();
    QCOMPARE(Row(h, 1), QStringLiteral("00:00:10,000 --> 00:00:12,000"));
    QCOMPARE(Row(h, 9), QStringLiteral("00:01:50,000 --> 00:01:52,000"));
    QVERIFY(!h.rows().Records().IsModified());
    h.ui.MenuRedo->trigger();
    QCOMPARE(Row(h, 5), QStringLiteral("00:01:52,000 --> 00:01:56,000"));
}

void RetimeTest::refusedSyncChangesNothing_data() {
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("message");
    const QString noLine = QStringLiteral(
        "两点的原时间相同，或新时间的先后与原时间相反（或相同），无法同步，未做任何修改！");
    QTest::newRow("reversed") << QList<int>{1, 5} << "70"
                              << "20" << noLine;
    QTest::newRow("flat") << QList<int>{1, 5} << "20"
                          << "20" << noLine;
    QTest::newRow("one row") << QList<int>{1} << "1"
                             << "2"
                             << QStringLiteral("请在“当前字幕列表”中选中两行时间轴（仅两行）！");
    QTest::newRow("a text row") << QList<int>{1, 2} << "1"
                                << "2"
                                << QStringLiteral("请在“当前字幕列表”中选中两行时间轴（仅两行）！");
    QTest::newRow("not a time") << QList<int>{1, 5} << "1"
                                << "1,5"
                                << QStringLiteral(
                                       "“1,5”不是时间（秒数，或00:01:02,345这样的时间码）！");
}

void RetimeTest::refusedSyncChangesNothing() {
    QFETCH(QList<int>, rows);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, message);
    Harness h;
    LoadRows(h, WriteFile(h.root.filePath(QStringLiteral("a.srt")), kThree));
    const int asked = h.dialogs.asked.size();
    RetimePanel& panel = OpenPanel(h);
    h.ui.List2->clearSelection();
    for (const int row : rows) {
        h.ui.List2->selectionModel()->select(h.ui.List2->model()->index(row, 0),
                                             QItemSelectionModel::Select);
    }
    In<QLineEdit>(panel, "TPoint1")->setText(first);
    In<QLineEdit>(panel, "TPoint2")->setText(second);
    QVERIFY(!In<QPushButton>(panel, "CmdSync")->isEnabled());
    QCOMPARE(In<QLabel>(panel, "LPreview")->text(), QStringLiteral("预览：") + message);
    panel.SyncTwoPoints();  // as a shortcut would, past the disabled button

    QCOMPARE(h.dialogs.AskedTexts().mid(asked), QStringList{message});
    QCOMPARE(h.rows().UndoStack()->count(), 0);
    QVERIFY(!h.rows().Records().IsModified());
}

// 24 frames at 23.976 fps last 1.001 s; the clip's rate is the list's.
void RetimeTest::amountInFrames() {
    Harness h;
    const QString out = h.root.filePath(QStringLiteral("out"));
    h.options().SetOpeningClip({h.touch(QStringLiteral("op.mp4")), QStringLiteral("7.5"), 7.5},
                               QStringLiteral("24000/1001"));
    QCOMPARE(h.ui.CmbFrameRate->currentText(), QStringLiteral("23.976"));
    QVERIFY(!h.ui.ChFrames->isEnabled());
    h.ui.OptMove->click();
    h.ui.ChDirection->click();
    QVERIFY(h.ui.ChFrames->isEnabled());
    h.ui.ChFrames->click();
    h.ui.TShift->setText(QStringLiteral("24"));
    h.ui.LDir->setText(out);
    h.ui.List1->addItem(WriteFile(h.root.filePath(QStringLiteral("a.srt")),
                                  "1\r\n00:00:01,000 --> 00:00:02,000\r\nA\r\n"));
    h.dialogs.answers << MessageAnswer::No;
    h.ui.MenuMove->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!h.run().IsBusy(), 30000);
    QCOMPARE(ReadFile(QDir(out).filePath(QStringLiteral("a.srt"))),
             kBom + "1\r\n00:00:02,001 --> 00:00:03,001\r\nA\r\n");

    // Back in cut mode the amount is seconds again.
    h.ui.OptCutMove->click();
    QVERIFY(!h.ui.ChFrames->isChecked());
    QVERIFY(!h.ui.ChFrames->isEnabled());
}

QTEST_MAIN(RetimeTest)
#include "retime_test.moc"
