// SPDX-License-Identifier: GPL-3.0-or-later
// The input encoding choice: used for every file of a run, re-reading the
// loaded rows, remembered between starts, and named in the report when the
// detection cannot decide.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

#include "harness.h"
#include "ui/elided_label.h"

using namespace orvane::ui;

namespace {

// "中文" in GBK reads as well as "ЦРОД" in windows-1251: the detection
// cannot tell which.
const QByteArray kUncertainSrt = "1\r\n00:00:01,000 --> 00:00:02,000\r\n\xD6\xD0\xCE\xC4\r\n";

// What the user does: picks the item whose converter is `converter`.
void Choose(QComboBox* box, const QString& converter) {
    const int index = box->findData(converter);
    QVERIFY(index >= 0);
    box->setCurrentIndex(index);
    emit box->activated(index);
}

void RunAndWait(Harness& h) {
    h.ui.MenuMove->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!h.run().IsBusy(), 30000);
}

}  // namespace

class EncodingChoiceTest : public QObject {
    Q_OBJECT
private slots:
    void offersTheDetectionsCandidates();
    void runReadsInTheChosenEncoding_data();
    void runReadsInTheChosenEncoding();
    void rowsAreReadAgain();
    void rememberedAndChecked_data();
    void rememberedAndChecked();
};

void EncodingChoiceTest::offersTheDetectionsCandidates() {
    Harness h;
    QComboBox* box = h.ui.CmbEncoding;
    QCOMPARE(box->itemText(0), QStringLiteral("自动"));
    QCOMPARE(h.ui.Label7->text(), QStringLiteral("输入编码(&E)："));
    QCOMPARE(h.ui.Label7->buddy(), box);
    for (const char* converter : {"UTF-8", "UTF-16LE", "UTF-16BE", "GB18030", "Big5-HKSCS",
                                  "windows-31j", "windows-949", "windows-1252", "KOI8-R"}) {
        QVERIFY2(box->findData(QString::fromLatin1(converter)) > 0, converter);
    }
    // People see the names the report gives its candidates.
    QCOMPARE(box->itemText(box->findData(QStringLiteral("windows-31j"))),
             QStringLiteral("Shift_JIS/windows-31j（日文）"));
    QVERIFY(box->itemText(box->findData(QStringLiteral("GB18030"))).startsWith("GBK"));
}

void EncodingChoiceTest::runReadsInTheChosenEncoding_data() {
    QTest::addColumn<QString>("converter");
    QTest::addColumn<QByteArray>("written");  // empty: nothing written
    QTest::newRow("auto") << QString() << QByteArray();
    QTest::newRow("GBK") << QStringLiteral("GB18030") << QByteArray("中文");
    QTest::newRow("windows-1251") << QStringLiteral("windows-1251") << QByteArray("ЦРОД");
}

void EncodingChoiceTest::runReadsInTheChosenEncoding() {
    QFETCH(QString, converter);
    QFETCH(QByteArray, written);
    Harness h;
    const QString out = h.root.filePath(QStringLiteral("out"));
    const QString source = WriteFile(h.root.filePath(QStringLiteral("a.srt")), kUncertainSrt);
    h.ui.OptMove->click();
    h.ui.LDir->setText(out);
    h.ui.List1->addItem(source);
    if (!converter.isEmpty()) {
        Choose(h.ui.CmbEncoding, converter);
    }
    QCOMPARE(QString::fromStdString(h.w().GatherShiftSettings()->encoding), converter);
    h.dialogs.answers << MessageAnswer::No;
    RunAndWait(h);
    const QString report = h.dialogs.asked.back().text;
    if (written.isEmpty()) {
        QVERIFY(!QFile::exists(QDir(out).filePath(QStringLiteral("a.srt"))));
        QVERIFY2(report.contains(QStringLiteral("请在“输入编码”中选定其一")), qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("a.srt（可能是")), qPrintable(report));
        QVERIFY(report.contains(QStringLiteral("GBK")));
        return;
    }
    QVERIFY2(ReadFile(QDir(out).filePath(QStringLiteral("a.srt"))).contains(written),
             qPrintable(report));
    // Read as the user said: not reported as a detected encoding.
    QVERIFY2(!report.contains(QStringLiteral("检测到的编码")), qPrintable(report));
}

// Another choice with rows loaded reads the file again, once rows shifted
// and not saved are settled; Cancel keeps the rows and the choice.
void EncodingChoiceTest::rowsAreReadAgain() {
    Harness h;
    QByteArray many;
    for (int i = 1; i <= 1195; ++i) {
        many +=
            QByteArray::number(i) + "\r\n00:00:01,000 --> 00:00:02,000\r\n\xD6\xD0\xCE\xC4\r\n\r\n";
    }
    const QString source = WriteFile(h.root.filePath(QStringLiteral("a.srt")), many);
    Choose(h.ui.CmbEncoding, QStringLiteral("GB18030"));  // before any rows: nothing to read
    QVERIFY(!h.rows().IsLoading());
    LoadRows(h, source);
    QCOMPARE(h.ui.LSubRecs->text(), QStringLiteral("1,195条字幕（GBK）"));
    QCOMPARE(h.ui.List2->model()->index(2, 0).data().toString(), QStringLiteral("中文"));

    h.ui.TShift->setText(QStringLiteral("1"));
    h.ui.List2->selectAll();
    h.dialogs.answers << MessageAnswer::Ok;
    h.ui.MenuMove->trigger();
    QVERIFY(h.rows().Records().IsModified());

    h.dialogs.answers << MessageAnswer::Cancel;
    Choose(h.ui.CmbEncoding, QStringLiteral("windows-1251"));
    QCOMPARE(h.dialogs.asked.back().buttons, MessageButtons::SaveDiscardCancel);
    QVERIFY(!h.rows().IsLoading());
    QVERIFY(h.rows().Records().IsModified());
    QCOMPARE(h.ui.CmbEncoding->currentData().toString(), QStringLiteral("GB18030"));

    h.dialogs.answers << MessageAnswer::Discard << MessageAnswer::Ok;
    Choose(h.ui.CmbEncoding, QStringLiteral("windows-1251"));
    QTRY_VERIFY(!h.rows().IsLoading());
    QCoreApplication::processEvents();
    QCOMPARE(h.ui.LSubRecs->text(), QStringLiteral("1,195条字幕（windows-1251）"));
    QCOMPARE(h.ui.List2->model()->index(2, 0).data().toString(), QStringLiteral("ЦРОД"));
    QVERIFY(!h.rows().Records().IsModified());
    QCOMPARE(h.ui.CmbEncoding->currentData().toString(), QStringLiteral("windows-1251"));
}

void EncodingChoiceTest::rememberedAndChecked_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("offered") << QStringLiteral("Big5-HKSCS") << QStringLiteral("Big5-HKSCS");
    QTest::newRow("unknown") << QStringLiteral("banana") << QString();
    QTest::newRow("known to ICU, not offered") << QStringLiteral("UTF-32") << QString();
}

void EncodingChoiceTest::rememberedAndChecked() {
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QTemporaryDir shared;
    const QString file = shared.filePath(QStringLiteral("orvane.ini"));
    QSettings(file, QSettings::IniFormat).setValue(QStringLiteral("inputEncoding"), stored);
    {
        Harness h([&](Harness& harness) { harness.system.settingsFile = file; });
        QCOMPARE(h.ui.CmbEncoding->currentData().toString(), shown);
        Choose(h.ui.CmbEncoding, QStringLiteral("windows-1250"));
        h.dialogs.answers << MessageAnswer::Yes;
        h.w().close();
    }
    Harness h([&](Harness& harness) { harness.system.settingsFile = file; });
    QCOMPARE(h.ui.CmbEncoding->currentData().toString(), QStringLiteral("windows-1250"));
}

QTEST_MAIN(EncodingChoiceTest)
#include "encoding_choice_test.moc"
