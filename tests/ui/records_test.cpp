// SPDX-License-Identifier: GPL-3.0-or-later
// Row editing: shift the selected rows, undo and redo, save, and the
// question before unsaved rows are lost.
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>

#include "harness.h"
#include "ui/elided_label.h"
#include "ui/record_editor.h"

using namespace orvane::ui;

namespace {

const QByteArray kSrt =
    "1\r\n00:00:01,000 --> 00:00:03,000\r\nHello\r\n\r\n"
    "2\r\n00:20:00,000 --> 00:20:02,000\r\n你好\r\n";

QStringList Rows(QListWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->count(); ++i) {
        rows << list->item(i)->text();
    }
    return rows;
}

// Direct mode with row editing, the file loaded by a double-click.
void LoadRows(Harness& h, const QString& path) {
    Form1& w = h.w();
    w.OptMove->click();
    w.ChSelect->click();
    w.LDir->setText(h.root.filePath(QStringLiteral("out")));
    w.List1->addItem(path);
    w.List1->setCurrentRow(w.List1->count() - 1);
    h.dialogs.answers << MessageAnswer::Ok;
    w.List1_DblClick();
}

void ShiftRow(Harness& h, int row, const QString& seconds) {
    Form1& w = h.w();
    w.TShift->setText(seconds);
    w.List2->clearSelection();
    w.List2->item(row)->setSelected(true);
    h.dialogs.answers << MessageAnswer::Ok;
    w.MenuMove->trigger();
}

}  // namespace

class RecordsTest : public QObject {
    Q_OBJECT
private slots:
    void shiftUndoRedo();
    void saveWritesEveryRow_data();
    void saveWritesEveryRow();
    void failedSaveSaysWhy();
    void fromHereToTheEnd();
    void unsavedRowsAreAskedAbout_data();
    void unsavedRowsAreAskedAbout();
    void rowsOfAnotherFileType();
};

void RecordsTest::shiftUndoRedo() {
    Harness h;
    Form1& w = h.w();
    LoadRows(h, WriteFile(h.root.filePath(QStringLiteral("a.srt")), kSrt));
    const QStringList loaded = Rows(w.List2);
    ShiftRow(h, 1, QStringLiteral("2"));
    ShiftRow(h, 1, QStringLiteral("2"));
    QCOMPARE(w.List2->item(1)->text(), QStringLiteral("00:00:00,000 --> 00:00:00,000"));
    QVERIFY(w.List2->item(1)->font().bold());
    QVERIFY(w.windowTitle().endsWith(QStringLiteral(" *")));
    w.MenuUndo->trigger();
    QCOMPARE(w.List2->item(1)->text(), QStringLiteral("00:00:00,000 --> 00:00:01,000"));
    w.MenuUndo->trigger();
    QCOMPARE(Rows(w.List2), loaded);
    QVERIFY(!w.List2->item(1)->font().bold());
    QVERIFY(!w.MenuUndo->isEnabled());
    QVERIFY(!w.windowTitle().endsWith(QStringLiteral(" *")));
    w.MenuRedo->trigger();
    QCOMPARE(w.List2->item(1)->text(), QStringLiteral("00:00:00,000 --> 00:00:01,000"));
    QCOMPARE(h.dialogs.asked.back().text,
             QStringLiteral("选中的时间轴平移处理完毕！ 稍后可以直接保存修改！"));
}

void RecordsTest::saveWritesEveryRow_data() {
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<bool>("ansi");
    QTest::addColumn<bool>("overwrite");
    QTest::newRow("gbk source, utf-8 into the output folder")
        << QByteArray("1\r\n00:00:01,000 --> 00:00:02,000\r\n\xC4\xE3\xBA\xC3\r\n") << false
        << false;
    QTest::newRow("utf-8 source, gb2312 over the source")
        << QByteArray("1\r\n00:00:01,000 --> 00:00:02,000\r\n你好 ♪\r\n") << true << true;
}

// A GBK source comes out as the window was asked to write it; GB2312 names
// what it cannot hold.
void RecordsTest::saveWritesEveryRow() {
    QFETCH(QByteArray, source);
    QFETCH(bool, ansi);
    QFETCH(bool, overwrite);
    Harness h;
    Form1& w = h.w();
    const QString path = WriteFile(h.root.filePath(QStringLiteral("a.srt")), source);
    LoadRows(h, path);
    w.ChDirection->click();  // later
    ShiftRow(h, 1, QStringLiteral("1"));
    if (ansi) {
        h.dialogs.answers << MessageAnswer::Ok;
        w.ChASCII->click();
    }
    if (overwrite) {
        h.dialogs.answers << MessageAnswer::Ok;
        w.ChOverWr->click();
    }
    h.dialogs.answers << MessageAnswer::Ok;
    QVERIFY(w.MenuSave_Click());
    const QString target =
        overwrite ? path : QDir(h.root.filePath(QStringLiteral("out"))).filePath("a.srt");
    const QByteArray written = ReadFile(target);
    QVERIFY(written.contains("00:00:02,000 --> 00:00:03,000\r\n"));
    QVERIFY(written.contains(ansi ? QByteArray("\xC4\xE3\xBA\xC3 ?") : QByteArray("你好")));
    QCOMPARE(written.startsWith("\xEF\xBB\xBF"), !ansi);
    QVERIFY(written.endsWith("\r\n"));
    QVERIFY(h.dialogs.asked.back().text.startsWith(QStringLiteral("编辑修改过的字幕内容已保存！")));
    QCOMPARE(h.dialogs.asked.back().text.contains(QStringLiteral("GB2312")), ansi);
    QVERIFY(!w.windowTitle().endsWith(QStringLiteral(" *")));
}

void RecordsTest::failedSaveSaysWhy() {
    Harness h;
    Form1& w = h.w();
    LoadRows(h, WriteFile(h.root.filePath(QStringLiteral("a.srt")), kSrt));
    // An output folder that cannot be made: a file stands in its path.
    WriteFile(h.root.filePath(QStringLiteral("blocker")), "");
    w.LDir->setText(h.root.filePath(QStringLiteral("blocker/out")));
    const int asked = int(h.dialogs.asked.size());
    QVERIFY(!w.MenuSave_Click());
    QCOMPARE(int(h.dialogs.asked.size()), asked + 1);
    QCOMPARE(h.dialogs.asked.back().icon, MessageIcon::Error);
    QVERIFY(h.dialogs.asked.back().text.startsWith(QStringLiteral("保存失败：a.srt：")));
    // An empty list only beeps.
    w.List2->clear();
    QVERIFY(!w.MenuSave_Click());
    QCOMPARE(h.dialogs.beeps, 1);
}

void RecordsTest::fromHereToTheEnd() {
    Harness h;
    Form1& w = h.w();
    LoadRows(h, WriteFile(h.root.filePath(QStringLiteral("a.srt")), kSrt));
    w.SelectRowsFrom(4);
    QCOMPARE(w.List2->selectedItems().size(), w.List2->count() - 4);
    QVERIFY(!w.List2->item(3)->isSelected());
    QVERIFY(w.List2->item(w.List2->count() - 1)->isSelected());
}

void RecordsTest::unsavedRowsAreAskedAbout_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("goesOn");
    for (const char* action : {"load", "clear", "close"}) {
        QTest::addRow("%s, save", action) << action << int(MessageAnswer::Save) << true;
        QTest::addRow("%s, discard", action) << action << int(MessageAnswer::Discard) << true;
        QTest::addRow("%s, cancel", action) << action << int(MessageAnswer::Cancel) << false;
    }
}

void RecordsTest::unsavedRowsAreAskedAbout() {
    QFETCH(QString, action);
    QFETCH(int, answer);
    QFETCH(bool, goesOn);
    Harness h;
    Form1& w = h.w();
    const QString a = WriteFile(h.root.filePath(QStringLiteral("a.srt")), kSrt);
    LoadRows(h, a);
    ShiftRow(h, 1, QStringLiteral("1"));
    h.dialogs.asked.clear();
    // The question, the save's message if any, then what the action asks.
    h.dialogs.answers = {MessageAnswer(answer)};
    if (MessageAnswer(answer) == MessageAnswer::Save) {
        h.dialogs.answers << MessageAnswer::Ok;
    }
    h.dialogs.answers << (action == QStringLiteral("close") ? MessageAnswer::Yes
                                                            : MessageAnswer::Ok);
    if (action == QStringLiteral("load")) {
        w.List1_DblClick();
    } else if (action == QStringLiteral("clear")) {
        h.dialogs.answers.prepend(MessageAnswer::Ok);  // "清空字幕文件列表？"
        w.List1_MouseUp(Qt::RightButton);
        h.dialogs.asked.removeFirst();
    } else {
        w.show();
        w.close();
    }
    QCOMPARE(h.dialogs.asked.front().buttons, MessageButtons::SaveDiscardCancel);
    const bool saved = ReadFile(QDir(h.root.filePath(QStringLiteral("out"))).filePath("a.srt"))
                           .contains("00:00:00,000 --> 00:00:02,000");
    QCOMPARE(saved, MessageAnswer(answer) == MessageAnswer::Save);
    if (action == QStringLiteral("close")) {
        QCOMPARE(w.isVisible(), !goesOn);
    } else {
        QCOMPARE(w.Records().IsModified(), !goesOn);
    }
}

void RecordsTest::rowsOfAnotherFileType() {
    Harness h;
    Form1& w = h.w();
    LoadRows(h, WriteFile(h.root.filePath(QStringLiteral("a.txt")), kSrt));
    const QStringList loaded = Rows(w.List2);
    ShiftRow(h, 1, QStringLiteral("1"));
    QCOMPARE(Rows(w.List2), loaded);
    QVERIFY(h.dialogs.asked.back().text.contains(QStringLiteral("没有可平移的时间轴行")));
}

QTEST_MAIN(RecordsTest)
#include "records_test.moc"
