// SPDX-License-Identifier: GPL-3.0-or-later
// The run over the file list through the window: the question before an
// output replaces a source, Stop, long reports, and a window that stays
// responsive while a worker thread shifts.
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "harness.h"
#include "ui/elided_label.h"
#include "ui/run_controller.h"

using namespace orvane::ui;

namespace {

const QByteArray kSrt = "1\r\n00:00:01,000 --> 00:00:02,000\r\nHello\r\n";

void RunAndWait(Harness& h) {
    h.ui.MenuMove->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!h.run().IsBusy(), 30000);
}

// Direct mode, later by 1 s, into `out` (or the files' own folder).
void DirectLater(Harness& h, const QString& out) {
    h.ui.OptMove->click();
    h.ui.ChDirection->click();
    h.ui.LDir->setText(QDir::toNativeSeparators(out));
}

}  // namespace

class RunTest : public QObject {
    Q_OBJECT
private slots:
    void sameFolderIsAskedFirst_data();
    void sameFolderIsAskedFirst();
    void listTakesAFileOnce();
    void stopAfterTheThirdOfFive();
    void manyFailuresKeepTheMessageShort();
    void windowAnswersDuringARun();
    void stopButtonMovesNothing();
    void stopQuestionHoldsTheRun();
};

void RunTest::sameFolderIsAskedFirst_data() {
    QTest::addColumn<int>("answer");
    QTest::newRow("no") << int(MessageAnswer::No);
    QTest::newRow("yes") << int(MessageAnswer::Yes);
}

void RunTest::sameFolderIsAskedFirst() {
    QFETCH(int, answer);
    Harness h;
    const QString source = WriteFile(h.root.filePath(QStringLiteral("a.srt")), kSrt);
    DirectLater(h, h.root.path());
    h.ui.List1->addItem(QDir::toNativeSeparators(source));
    h.dialogs.answers << MessageAnswer(answer) << MessageAnswer::No;
    RunAndWait(h);

    const MessageRequest& question = h.dialogs.asked.front();
    QCOMPARE(question.text, QStringLiteral("输出目录就是字幕所在目录，将覆盖源文件，继续吗？"));
    QCOMPARE(question.buttons, MessageButtons::YesNo);
    QCOMPARE(question.defaultButton, MessageAnswer::No);
    if (MessageAnswer(answer) == MessageAnswer::No) {
        QCOMPARE(h.dialogs.asked.size(), 1);
        QCOMPARE(ReadFile(source), kSrt);
    } else {
        QCOMPARE(h.dialogs.asked.size(), 2);
        QVERIFY(ReadFile(source).contains("00:00:02,000 --> 00:00:03,000"));
    }
}

void RunTest::listTakesAFileOnce() {
    Harness h;
    const QString source = WriteFile(h.root.filePath(QStringLiteral("a.srt")), kSrt);
    const QString link = h.root.filePath(QStringLiteral("b.srt"));
    QVERIFY(QFile::link(source, link));
    h.files().Drop({source});
    h.files().Drop({source, link});
    QCOMPARE(h.ui.List1->count(), 1);
    QCOMPARE(h.ui.LSubs->text(), QStringLiteral("1个字幕文件"));
}

void RunTest::stopAfterTheThirdOfFive() {
    Harness h;
    Form1& w = h.w();
    const QString out = h.root.filePath(QStringLiteral("out"));
    DirectLater(h, out);
    h.ui.ChBat->setChecked(true);
    for (const char* name : {"1.srt", "2.srt", "3.srt", "4.srt", "5.srt"}) {
        h.ui.List1->addItem(WriteFile(h.root.filePath(QString::fromLatin1(name)), kSrt));
    }
    // Stop is pressed, and answered Yes, once the third file is done.
    int done = 0;
    h.run().Controller().SetFileDoneHook([&](const orvane::engine::FileOutcome&) {
        if (++done == 3) {
            QMetaObject::invokeMethod(
                &w, [&] { h.ui.CmdStop->click(); }, Qt::BlockingQueuedConnection);
        }
    });
    h.dialogs.answers << MessageAnswer::Yes << MessageAnswer::No;
    RunAndWait(h);

    QCOMPARE(h.dialogs.asked.size(), 2);
    QCOMPARE(h.dialogs.asked[0].text, QStringLiteral("终止操作？"));
    QVERIFY2(h.dialogs.asked[1].text.startsWith(QStringLiteral("已终止：已处理 3/5 个文件")),
             qPrintable(h.dialogs.asked[1].text));
    QVERIFY(QFile::exists(QDir(out).filePath(QStringLiteral("3.srt"))));
    QVERIFY(!QFile::exists(QDir(out).filePath(QStringLiteral("4.srt"))));
    QCOMPARE(h.ui.List1->currentRow(), 2);
}

void RunTest::manyFailuresKeepTheMessageShort() {
    Harness h;
    DirectLater(h, h.root.filePath(QStringLiteral("out")));
    h.ui.ChBat->setChecked(true);
    for (int i = 0; i < 300; ++i) {
        h.ui.List1->addItem(h.root.filePath(QStringLiteral("missing%1.srt").arg(i)));
    }
    h.dialogs.answers << MessageAnswer::No;
    RunAndWait(h);

    const MessageRequest& report = h.dialogs.asked.back();
    const int lines = int(report.text.count(QStringLiteral("\r\n"))) + 1;
    QVERIFY2(lines >= 12 && lines <= 16, qPrintable(report.text));
    QVERIFY(report.text.contains(QStringLiteral("……等 300 个文件")));
    QVERIFY(report.details.contains(QStringLiteral("missing299.srt")));
    QCOMPARE(report.icon, MessageIcon::Warning);
}

// The worker holds the first file until the window's timer has fired a few
// times: a window that waited for the run would never let it fire.
void RunTest::windowAnswersDuringARun() {
    Harness h;
    DirectLater(h, h.root.filePath(QStringLiteral("out")));
    h.ui.List1->addItem(WriteFile(h.root.filePath(QStringLiteral("a.srt")), kSrt));
    std::atomic<int> ticks{0};
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);
    bool answered = false;
    h.run().Controller().SetFileDoneHook([&](const orvane::engine::FileOutcome&) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (ticks.load() < 3 && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        answered = ticks.load() >= 3;
    });
    h.dialogs.answers << MessageAnswer::No;
    RunAndWait(h);
    QVERIFY(answered);
}

void RunTest::stopButtonMovesNothing() {
    Harness h;
    Form1& w = h.w();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QRect before = h.ui.Frame1->geometry();
    h.ui.CmdStop->setVisible(true);
    QTRY_VERIFY(h.ui.CmdStop->isVisible());
    QCoreApplication::processEvents();
    QCOMPARE(h.ui.Frame1->geometry(), before);
}

// While "终止操作？" is open no further file starts: the file under way may
// finish, the one after it waits for the answer.
void RunTest::stopQuestionHoldsTheRun() {
    Harness h;
    Form1& w = h.w();
    DirectLater(h, h.root.filePath(QStringLiteral("out")));
    h.ui.ChBat->setChecked(true);
    for (const char* name : {"1.srt", "2.srt", "3.srt", "4.srt", "5.srt", "6.srt"}) {
        h.ui.List1->addItem(WriteFile(h.root.filePath(QString::fromLatin1(name)), kSrt));
    }
    std::atomic<int> done{0};
    std::atomic<bool> asked{false};
    h.run().Controller().SetFileDoneHook([&](const orvane::engine::FileOutcome&) {
        if (++done == 2) {
            // Stop is pressed; the worker goes on once the question is open.
            QMetaObject::invokeMethod(
                &w, [&] { h.ui.CmdStop->click(); }, Qt::QueuedConnection);
            const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (!asked.load() && std::chrono::steady_clock::now() < giveUp) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
    });
    int doneWhileAsked = -1;
    h.dialogs.onAsk = [&](const MessageRequest& box) {
        if (box.text == QStringLiteral("终止操作？")) {
            asked.store(true);
            // Long enough for the remaining small files, were the run not held.
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
            while (done.load() < 6 && std::chrono::steady_clock::now() < until) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            doneWhileAsked = done.load();
        }
    };
    h.dialogs.answers << MessageAnswer::No << MessageAnswer::No;
    RunAndWait(h);
    QVERIFY2(doneWhileAsked == 2, qPrintable(QString::number(doneWhileAsked)));
    QCOMPARE(done.load(), 6);  // "No": the run goes on to the end
    QVERIFY(h.dialogs.asked.back().text.startsWith(QStringLiteral("处理完毕！")));
}

QTEST_MAIN(RunTest)
#include "run_test.moc"
