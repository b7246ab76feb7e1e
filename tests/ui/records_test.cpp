// SPDX-License-Identifier: GPL-3.0-or-later
// Row editing: shift the selected rows, undo and redo, save, and the
// question before unsaved rows are lost.
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QRadioButton>
#include <QTest>

#include "harness.h"
#include "ui/elided_label.h"

using namespace orvane::ui;

namespace {

const QByteArray kSrt =
    "1\r\n00:00:01,000 --> 00:00:03,000\r\nHello\r\n\r\n"
    "2\r\n00:20:00,000 --> 00:20:02,000\r\n你好\r\n";

QStringList Rows(QListView* list) {
    QStringList rows;
    for (int i = 0; i < list->model()->rowCount(); ++i) {
        rows << list->model()->index(i, 0).data().toString();
    }
    return rows;
}

QString Row(QListView* list, int row) {
    return list->model()->index(row, 0).data().toString();
}

bool Bold(QListView* list, int row) {
    return list->model()->index(row, 0).data(Qt::FontRole).value<QFont>().bold();
}

void SelectRow(QListView* list, int row) {
    list->clearSelection();
    list->selectionModel()->select(list->model()->index(row, 0), QItemSelectionModel::Select);
}

void ShiftRow(Harness& h, int row, const QString& seconds) {
    h.ui.TShift->setText(seconds);
    SelectRow(h.ui.List2, row);
    h.dialogs.answers << MessageAnswer::Ok;
    h.ui.MenuMove->trigger();
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
    void damagedSourceNeverSavedOverItself_data();
    void damagedSourceNeverSavedOverItself();
    void shiftThatChangesNothingSaysSo();
    void loadingLocksTheWindowAndStops();
};

void RecordsTest::shiftUndoRedo() {
    Harness h;
    Form1& w = h.w();
    LoadRows(h, WriteFile(h.root.filePath(QStringLiteral("a.srt")), kSrt));
    const QStringList loaded = Rows(h.ui.List2);
    ShiftRow(h, 1, QStringLiteral("2"));
    ShiftRow(h, 1, QStringLiteral("2"));
    QCOMPARE(Row(h.ui.List2, 1), QStringLiteral("00:00:00,000 --> 00:00:00,000"));
    QVERIFY(Bold(h.ui.List2, 1));
    QVERIFY(w.windowTitle().endsWith(QStringLiteral(" *")));
    h.ui.MenuUndo->trigger();
    QCOMPARE(Row(h.ui.List2, 1), QStringLiteral("00:00:00,000 --> 00:00:01,000"));
    h.ui.MenuUndo->trigger();
    QCOMPARE(Rows(h.ui.List2), loaded);
    QVERIFY(!Bold(h.ui.List2, 1));
    QVERIFY(!h.ui.MenuUndo->isEnabled());
    QVERIFY(!w.windowTitle().endsWith(QStringLiteral(" *")));
    h.ui.MenuRedo->trigger();
    QCOMPARE(Row(h.ui.List2, 1), QStringLiteral("00:00:00,000 --> 00:00:01,000"));
    QCOMPARE(h.dialogs.asked.back().text,
             QStringLiteral("选中的时间轴平移处理完毕！ 稍后可以直接保存修改！"));
}

void RecordsTest::saveWritesEveryRow_data() {
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<bool>("ansi");
    QTest::addColumn<bool>("overwrite");
    QTest::newRow("gbk source, utf-8 into the output folder")
        << QByteArray(
               "1\r\n00:00:01,000 --> "
               "00:00:02,"
               "000\r\n\xC4\xE3\xBA\xC3\xA3\xAC\xCE\xD2\xC3\xC7\xBD\xF1\xCC\xEC\xCD\xED\xC9\xCF\xC8"
               "\xA5\xBF\xB4\xB5\xE7\xD3\xB0\xB0\xC9\r\n")
        << false << false;
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
    h.ui.ChDirection->click();  // later
    ShiftRow(h, 1, QStringLiteral("1"));
    if (ansi) {
        h.dialogs.answers << MessageAnswer::Ok;
        h.ui.ChASCII->click();
    }
    if (overwrite) {
        h.dialogs.answers << MessageAnswer::Ok;
        h.ui.ChOverWr->click();
    }
    h.dialogs.answers << MessageAnswer::Ok;
    h.ui.MenuSave->trigger();
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
    LoadRows(h, WriteFile(h.root.filePath(QStringLiteral("a.srt")), kSrt));
    // An output folder that cannot be made: a file stands in its path.
    WriteFile(h.root.filePath(QStringLiteral("blocker")), "");
    h.ui.LDir->setText(h.root.filePath(QStringLiteral("blocker/out")));
    const int asked = int(h.dialogs.asked.size());
    h.ui.MenuSave->trigger();
    QCOMPARE(int(h.dialogs.asked.size()), asked + 1);
    QCOMPARE(h.dialogs.asked.back().icon, MessageIcon::Error);
    QVERIFY(h.dialogs.asked.back().text.startsWith(QStringLiteral("保存失败：a.srt：")));
    // An empty list only beeps.
    h.ui.CmbType->setCurrentIndex(1);  // a new type empties both lists
    h.ui.MenuSave->trigger();
    QCOMPARE(h.dialogs.beeps, 1);
}

void RecordsTest::fromHereToTheEnd() {
    Harness h;
    LoadRows(h, WriteFile(h.root.filePath(QStringLiteral("a.srt")), kSrt));
    h.rows().SelectRowsFrom(4);
    const int count = h.ui.List2->model()->rowCount();
    QCOMPARE(h.ui.List2->selectionModel()->selectedRows().size(), count - 4);
    QVERIFY(!h.ui.List2->selectionModel()->isRowSelected(3));
    QVERIFY(h.ui.List2->selectionModel()->isRowSelected(count - 1));
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
        QTest::keyClick(h.ui.List1, Qt::Key_Return);
        QTRY_VERIFY(!h.rows().IsLoading());
    } else if (action == QStringLiteral("clear")) {
        h.dialogs.answers.prepend(MessageAnswer::Ok);  // "清空字幕文件列表？"
        h.files().AskToClear();
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
        QCOMPARE(h.rows().Records().IsModified(), !goesOn);
    }
}

void RecordsTest::rowsOfAnotherFileType() {
    Harness h;
    LoadRows(h, WriteFile(h.root.filePath(QStringLiteral("a.txt")), kSrt));
    const QStringList loaded = Rows(h.ui.List2);
    ShiftRow(h, 1, QStringLiteral("1"));
    QCOMPARE(Rows(h.ui.List2), loaded);
    QVERIFY(h.dialogs.asked.back().text.contains(QStringLiteral("没有可平移的时间轴行")));
}

void RecordsTest::damagedSourceNeverSavedOverItself_data() {
    QTest::addColumn<int>("answer");
    QTest::newRow("yes, replace the source") << int(MessageAnswer::Yes);
    QTest::newRow("no") << int(MessageAnswer::No);
}

// The output folder is the file's own and the file had a stray byte: the
// save asks as a run would, and even a Yes keeps the source as it was.
void RecordsTest::damagedSourceNeverSavedOverItself() {
    QFETCH(int, answer);
    Harness h;
    Form1& w = h.w();
    const QByteArray damaged =
        "1\r\n00:00:01,000 --> 00:00:03,000\r\n你好，世界\xFF\r\n\r\n"
        "2\r\n00:00:04,000 --> 00:00:05,000\r\n这是一个测试\r\n";
    const QString path = WriteFile(h.root.filePath(QStringLiteral("a.srt")), damaged);
    LoadRows(h, path);
    h.ui.LDir->setText(h.root.path());
    ShiftRow(h, 1, QStringLiteral("1"));
    h.dialogs.asked.clear();
    h.dialogs.answers = {MessageAnswer(answer), MessageAnswer::Ok};
    h.ui.MenuSave->trigger();
    QCOMPARE(h.dialogs.asked.front().text,
             QStringLiteral("输出目录就是字幕所在目录，将覆盖源文件，继续吗？"));
    QCOMPARE(h.dialogs.asked.size(), MessageAnswer(answer) == MessageAnswer::Yes ? 2 : 1);
    if (MessageAnswer(answer) == MessageAnswer::Yes) {
        QCOMPARE(h.dialogs.asked.back().icon, MessageIcon::Error);
        QVERIFY(h.dialogs.asked.back().text.startsWith(QStringLiteral("保存失败：")));
    }
    QCOMPARE(ReadFile(path), damaged);
    QVERIFY(w.windowTitle().endsWith(QStringLiteral(" *")));
}

// A selected row without a time line: nothing is shifted, and the message
// says so instead of "done".
void RecordsTest::shiftThatChangesNothingSaysSo() {
    Harness h;
    Form1& w = h.w();
    LoadRows(h, WriteFile(h.root.filePath(QStringLiteral("a.srt")), kSrt));
    ShiftRow(h, 0, QStringLiteral("1"));
    QVERIFY(h.dialogs.asked.back().text.contains(QStringLiteral("未做任何修改")));
    QVERIFY(!h.ui.MenuUndo->isEnabled());
    QVERIFY(!w.windowTitle().endsWith(QStringLiteral(" *")));
}

// Rows load on a worker: meanwhile the options, menus and file list are
// locked, and Stop drops the rows under way.
void RecordsTest::loadingLocksTheWindowAndStops() {
    Harness h;
    QByteArray big;
    for (int i = 1; i <= 20000; ++i) {
        big += QByteArray::number(i) + "\r\n00:00:01,000 --> 00:00:02,000\r\n你好\r\n\r\n";
    }
    const QString large = WriteFile(h.root.filePath(QStringLiteral("large.srt")), big);
    const QString small = WriteFile(h.root.filePath(QStringLiteral("small.srt")), kSrt);
    h.ui.OptMove->click();
    h.ui.ChSelect->click();
    h.ui.List1->addItems({large, small});
    h.ui.List1->setCurrentRow(0);
    QTest::keyClick(h.ui.List1, Qt::Key_Return);
    QVERIFY(h.rows().IsLoading());
    QVERIFY(!h.ui.Frame1->isEnabled());
    QVERIFY(!h.ui.List1->isEnabled());
    QVERIFY(!h.ui.MenuFiles->menuAction()->isEnabled());
    QVERIFY(!h.ui.CmdStop->isHidden());
    h.ui.CmdStop->click();
    QVERIFY(!h.rows().IsLoading());
    QVERIFY(h.ui.Frame1->isEnabled());
    QCOMPARE(h.ui.LSt->text(), QStringLiteral("状态：已终止读取字幕记录"));
    // The next file's rows, never the dropped ones.
    h.ui.List1->setCurrentRow(1);
    h.dialogs.answers << MessageAnswer::Ok;
    QTest::keyClick(h.ui.List1, Qt::Key_Return);
    QTRY_VERIFY(!h.rows().IsLoading());
    QCoreApplication::processEvents();
    QCOMPARE(h.rows().SourcePath(), small);
    QCOMPARE(h.ui.LSubRecs->text(), QStringLiteral("2条字幕（UTF-8）"));
}

QTEST_MAIN(RecordsTest)
#include "records_test.moc"
