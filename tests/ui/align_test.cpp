// SPDX-License-Identifier: GPL-3.0-or-later
// 自动对齐 through the window: the reference chosen through the dialogs, the
// proposed map shown before anything is written, an unsure alignment applied
// only on an explicit Yes, and row mode as one step that can be undone.
#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cmath>

#include <QProgressBar>
#include <QRegularExpression>

#include "harness.h"
#include "support/speech_fixture.h"
#include "textio/text_file.h"
#include "ui/align_panel.h"
#include "ui/elided_label.h"

using namespace orvane::ui;

namespace {

QString Code(double seconds) {
    const long long millis = std::llround(seconds * 1000);
    return QString::asprintf("%02lld:%02lld:%02lld,%03lld", millis / 3600000, millis / 60000 % 60,
                             millis / 1000 % 60, millis % 1000);
}

// Cues at uneven times over some minutes, all `shift` seconds later (a
// negative shift: earlier); `seed` picks another pattern of gaps.
QByteArray Cues(double shift, unsigned seed = 1) {
    QByteArray text;
    double at = 30;
    unsigned state = seed;
    for (int i = 1; i <= 60; ++i) {
        state = state * 1103515245U + 12345U;
        const double gap = 1.0 + double((state >> 16) % 900) / 100.0;
        const double length = 1.0 + double((state >> 8) % 250) / 100.0;
        text += QByteArray::number(i) + "\r\n" + Code(at + shift).toLatin1() + " --> " +
                Code(at + length + shift).toLatin1() + "\r\nline " + QByteArray::number(i) +
                "\r\n\r\n";
        at += length + gap;
    }
    return text;
}

QStringList TimeLines(const QByteArray& bytes) {
    QStringList lines;
    for (const QByteArray& line : bytes.split('\n')) {
        if (line.contains("-->")) {
            lines << QString::fromUtf8(line.trimmed());
        }
    }
    return lines;
}

QStringList Rows(QListView* list) {
    QStringList rows;
    for (int i = 0; i < list->model()->rowCount(); ++i) {
        rows << list->model()->index(i, 0).data().toString();
    }
    return rows;
}

struct AlignDialog {
    QDialog* dialog;
    QPushButton* start;
    QPushButton* apply;
    QPlainTextEdit* map;
    QLabel* status;
};

// Opens 自动对齐, chooses `reference` through the file dialog and aligns.
AlignDialog Align(Harness& h, const QString& reference) {
    h.find<QAction>("MenuAlign")->trigger();
    AlignDialog d{h.find<QDialog>("AlignDialog"), nullptr, nullptr, nullptr, nullptr};
    if (!d.dialog || !d.dialog->isVisible()) {
        return d;
    }
    d.start = d.dialog->findChild<QPushButton*>(QStringLiteral("CmdAlignStart"));
    d.apply = d.dialog->findChild<QPushButton*>(QStringLiteral("CmdAlignApply"));
    d.map = d.dialog->findChild<QPlainTextEdit*>(QStringLiteral("TAlignMap"));
    d.status = d.dialog->findChild<QLabel*>(QStringLiteral("LAlignStatus"));
    h.dialogs.fileAnswers << QStringList{reference};
    d.dialog->findChild<QPushButton*>(QStringLiteral("CmdAlignRef"))->click();
    d.start->click();
    return d;
}

}  // namespace

class AlignTest : public QObject {
    Q_OBJECT
private slots:
    void mapShownThenWritten();
    void unsureWritesNothingWhenDeclined();
    void rowModeAppliesAndUndoes();
    void refusesWithoutFiles();
    void videoReference();
};

void AlignTest::mapShownThenWritten() {
    Harness h;
    const QString reference = WriteFile(h.root.filePath(QStringLiteral("good.srt")), Cues(0));
    const QString file = WriteFile(h.root.filePath(QStringLiteral("a.srt")), Cues(-5));
    const QString out = h.root.filePath(QStringLiteral("out"));
    h.ui.LDir->setText(out);
    h.ui.List1->addItem(file);

    const AlignDialog d = Align(h, reference);
    QVERIFY(d.dialog && d.map);
    QCOMPARE(h.dialogs.fileRequests.size(), 1);
    QVERIFY(h.dialogs.fileRequests.front().patterns.contains(QStringLiteral("*.mkv")));
    QTRY_VERIFY_WITH_TIMEOUT(d.apply->isEnabled(), 30000);
    // The map before anything is written: one segment 5 s later, ratio 1.
    QVERIFY2(d.map->toPlainText().contains(QStringLiteral("帧率比例 1（不变）")),
             qPrintable(d.map->toPlainText()));
    QVERIFY2(d.map->toPlainText().contains(QStringLiteral("  +5.000 秒（60条字幕")),
             qPrintable(d.map->toPlainText()));
    QVERIFY(!d.map->toPlainText().contains(QStringLiteral("不可靠")));
    QVERIFY(!QFile::exists(out + QStringLiteral("/a.srt")));

    h.dialogs.answers << MessageAnswer::No;  // the report's offer to open the folder
    d.apply->click();
    QVERIFY(!d.dialog->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!h.run().IsBusy(), 30000);
    QCOMPARE(TimeLines(ReadFile(out + QStringLiteral("/a.srt"))), TimeLines(Cues(0)));
    QCOMPARE(ReadFile(file), Cues(-5));
}

void AlignTest::unsureWritesNothingWhenDeclined() {
    Harness h;
    // Another film's cues: nothing in them fits this file's.
    const QString reference = WriteFile(h.root.filePath(QStringLiteral("other.srt")), Cues(0, 7));
    const QString file = WriteFile(h.root.filePath(QStringLiteral("a.srt")), Cues(0));
    const QString out = h.root.filePath(QStringLiteral("out"));
    h.ui.LDir->setText(out);
    h.ui.List1->addItem(file);

    const AlignDialog d = Align(h, reference);
    QVERIFY(d.dialog && d.map);
    QTRY_VERIFY_WITH_TIMEOUT(d.apply->isEnabled(), 30000);
    QVERIFY2(d.map->toPlainText().contains(QStringLiteral("【不可靠")),
             qPrintable(d.map->toPlainText()));
    QVERIFY(d.status->text().contains(QStringLiteral("对齐结果不可靠")));

    const qsizetype asked = h.dialogs.asked.size();
    h.dialogs.answers << MessageAnswer::No;
    d.apply->click();
    QCOMPARE(h.dialogs.asked.size(), asked + 1);
    const MessageRequest& question = h.dialogs.asked.back();
    QVERIFY(question.text.contains(QStringLiteral("仍然应用")));
    QCOMPARE(question.buttons, MessageButtons::YesNo);
    QCOMPARE(question.defaultButton, MessageAnswer::No);
    QVERIFY(!h.run().IsBusy());
    QVERIFY(d.dialog->isVisible());
    QCOMPARE(h.ui.LSt->text(), QStringLiteral("状态：未应用对齐，未写入任何文件"));
    QVERIFY(!QFile::exists(out + QStringLiteral("/a.srt")));
    QCOMPARE(ReadFile(file), Cues(0));
    d.dialog->reject();
}

void AlignTest::rowModeAppliesAndUndoes() {
    Harness h;
    const QString reference = WriteFile(h.root.filePath(QStringLiteral("good.srt")), Cues(0));
    const QString file = WriteFile(h.root.filePath(QStringLiteral("a.srt")), Cues(-5));
    h.ui.OptMove->click();
    h.ui.ChSelect->click();
    h.ui.List1->addItem(file);
    h.ui.List1->setCurrentRow(0);
    h.dialogs.answers << MessageAnswer::Ok;
    QTest::keyClick(h.ui.List1, Qt::Key_Return);
    QTRY_VERIFY(!h.rows().IsLoading());
    const QStringList before = Rows(h.ui.List2);

    const AlignDialog d = Align(h, reference);
    QVERIFY(d.dialog && d.map);
    QTRY_VERIFY_WITH_TIMEOUT(d.apply->isEnabled(), 30000);
    QVERIFY(d.map->toPlainText().contains(QStringLiteral("+5.000 秒")));
    d.apply->click();
    QCOMPARE(h.dialogs.asked.back().text,
             QStringLiteral("自动对齐处理完毕！ 稍后可以直接保存修改！"));
    QCOMPARE(TimeLines(Rows(h.ui.List2).join(QLatin1Char('\n')).toUtf8()), TimeLines(Cues(0)));
    QVERIFY(h.rows().Records().IsModified());
    QCOMPARE(ReadFile(file), Cues(-5));  // nothing written until saved

    h.ui.MenuUndo->trigger();
    QCOMPARE(Rows(h.ui.List2), before);
    QVERIFY(!h.rows().Records().IsModified());
    h.ui.MenuRedo->trigger();
    QCOMPARE(TimeLines(Rows(h.ui.List2).join(QLatin1Char('\n')).toUtf8()), TimeLines(Cues(0)));
}

void AlignTest::refusesWithoutFiles() {
    Harness h;
    h.find<QAction>("MenuAlign")->trigger();
    QCOMPARE(h.dialogs.AskedTexts(), QStringList{QStringLiteral("请先加载字幕文件列表！")});
    QVERIFY(!h.find<QDialog>("AlignDialog"));
}

// A spoken film as the reference: its sound decoded off the window's thread
// with progress, then the file laid over the speech.
void AlignTest::videoReference() {
    if (!orvane::testing::CanSpeak()) {
        QSKIP("espeak-ng, ffmpeg or python3 is missing");
    }
    Harness h;
    const std::vector<orvane::testing::FixtureCue> cues = orvane::testing::FixtureCues();
    const QString truth = WriteFile(h.root.filePath(QStringLiteral("film.srt")),
                                    QByteArray::fromStdString(orvane::testing::SrtText(cues, 0)));
    const QString film = h.root.filePath(QStringLiteral("film.mkv"));
    QVERIFY(orvane::testing::MakeSpokenFilm(orvane::textio::PathFromUtf8(truth.toStdString()),
                                            orvane::textio::PathFromUtf8(film.toStdString()),
                                            "-c:a libopus -b:a 32k"));
    const QString file =
        WriteFile(h.root.filePath(QStringLiteral("a.srt")),
                  QByteArray::fromStdString(orvane::testing::SrtText(cues, 5)));  // 5 s late
    h.ui.LDir->setText(h.root.filePath(QStringLiteral("out")));
    h.ui.List1->addItem(file);

    const AlignDialog d = Align(h, film);
    QVERIFY(d.dialog && d.map);
    QTRY_VERIFY_WITH_TIMEOUT(d.apply->isEnabled(), 60000);
    const QString map = d.map->toPlainText();
    QVERIFY2(!map.contains(QStringLiteral("不可靠")), qPrintable(map));
    const QRegularExpressionMatch offset =
        QRegularExpression(QStringLiteral("  ([+-][0-9]+\\.[0-9]{3}) 秒")).match(map);
    QVERIFY2(offset.hasMatch(), qPrintable(map));
    QVERIFY2(qAbs(offset.captured(1).toDouble() + 5) < 0.1, qPrintable(map));
    QCOMPARE(d.dialog->findChild<QProgressBar*>(QStringLiteral("AlignProgress"))->value(), 100);
    d.dialog->reject();
}

QTEST_MAIN(AlignTest)
#include "align_test.moc"
