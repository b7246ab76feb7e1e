// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing the opening clip in the window: by MenuHead's dialog or by a drop
// on LHead. The clips are made with ffmpeg when the suite starts.
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProcess>
#include <QRadioButton>
#include <QTest>
#include <QUrl>

#include "harness.h"
#include "ui/elided_label.h"

using namespace orvane::ui;

class OpeningClipTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void applied_data();
    void applied();
    void tooLongIsRefused();
    void dialogCancelledBeeps();
    void dropUsesTheFirstVideo_data();
    void dropUsesTheFirstVideo();
    void dropWorksWhileMenuHeadIsOff();
    void dropEventFromDesktop();
    void runNeedsAnExistingClip();

private:
    QTemporaryDir clips_;
    QString ClipPath(const char* name) const { return clips_.filePath(QString::fromLatin1(name)); }
    bool MakeClip(const char* name, const char* seconds, int framesPerSecond);
};

bool OpeningClipTest::MakeClip(const char* name, const char* seconds, int framesPerSecond) {
    const QStringList args{
        "-nostdin",
        "-loglevel",
        "error",
        "-y",
        "-f",
        "lavfi",
        "-i",
        QStringLiteral("color=c=black:s=16x16:r=%1:d=%2").arg(framesPerSecond).arg(seconds),
        "-c:v",
        "mpeg4",
        "-b:v",
        "8k",
        ClipPath(name)};
    return QProcess::execute(QStringLiteral("ffmpeg"), args) == 0;
}

void OpeningClipTest::initTestCase() {
    if (QProcess::execute(QStringLiteral("ffmpeg"), {QStringLiteral("-version")}) != 0) {
        QSKIP("ffmpeg is missing (scripts/install-deps installs it)");
    }
    QVERIFY(MakeClip("short.mp4", "7.5", 2));
    QVERIFY(MakeClip("second.mp4", "3", 2));
    QVERIFY(MakeClip("limit.mp4", "120", 25));
    QVERIFY(MakeClip("long.mp4", "120.04", 25));
    QFile text(ClipPath("notes.txt"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("not a video");
}

// Caption, tag and TShift after a clip is chosen, in each setting of ChMove.
void OpeningClipTest::applied_data() {
    QTest::addColumn<QString>("clip");
    QTest::addColumn<bool>("direct");
    QTest::addColumn<bool>("extraAdvance");
    QTest::addColumn<QString>("duration");
    QTest::addColumn<QString>("shift");
    QTest::newRow("cut mode") << "short.mp4" << false << false << "7.5"
                              << "7.5";
    QTest::newRow("cut mode with extra advance keeps TShift")
        << "short.mp4" << false << true << "7.5"
        << "1.000";
    QTest::newRow("direct mode") << "short.mp4" << true << false << "7.5"
                                 << "7.5";
    QTest::newRow("exactly 120 seconds is accepted") << "limit.mp4" << false << false << "120"
                                                     << "120";
}

void OpeningClipTest::applied() {
    QFETCH(QString, clip);
    QFETCH(bool, direct);
    QFETCH(bool, extraAdvance);
    QFETCH(QString, duration);
    QFETCH(QString, shift);
    Harness h;
    Form1& w = h.w();
    if (direct) {
        h.ui.OptMove->click();
    }
    h.ui.ChMove->setChecked(extraAdvance);
    const QString path = QDir::toNativeSeparators(clips_.filePath(clip));
    if (direct) {
        // MenuHead is off in direct mode; a drop still works.
        h.options().OpeningDropped({path});
    } else {
        h.dialogs.fileAnswers << QStringList{path};
        h.ui.MenuHead->trigger();
        QCOMPARE(h.dialogs.fileRequests.size(), 1);
        QCOMPARE(h.dialogs.fileRequests.front().title, QStringLiteral("指定片头文件"));
        QCOMPARE(h.dialogs.fileRequests.front().multiple, false);
    }

    QCOMPARE(h.dialogs.AskedTexts(), QStringList{});
    QCOMPARE(h.ui.LHead->text(),
             path + QStringLiteral("  /时长") + duration + QStringLiteral("秒"));
    QCOMPARE(h.ui.LHead->tag(), duration);
    QCOMPARE(h.ui.TShift->text(), shift);
    const auto settings = w.GatherShiftSettings();
    QVERIFY(settings.has_value());
    QCOMPARE(settings->cutSeconds, duration.toDouble());
}

void OpeningClipTest::tooLongIsRefused() {
    Harness h;
    h.dialogs.fileAnswers << QStringList{ClipPath("short.mp4")}
                          << QStringList{ClipPath("long.mp4")};
    h.ui.MenuHead->trigger();
    const QString accepted = h.ui.LHead->text();

    h.ui.MenuHead->trigger();

    QCOMPARE(h.dialogs.AskedTexts(),
             QStringList{QStringLiteral("片头时间太长，超过120秒限制，请更换！")});
    QCOMPARE(h.dialogs.asked.front().icon, MessageIcon::Error);
    QCOMPARE(h.ui.LHead->text(), accepted);  // the earlier clip stays
    QCOMPARE(h.ui.LHead->tag(), QStringLiteral("7.5"));
}

void OpeningClipTest::dialogCancelledBeeps() {
    Harness h;
    const QString before = h.ui.LHead->text();
    h.ui.MenuHead->trigger();
    QCOMPARE(h.dialogs.beeps, 1);
    QCOMPARE(h.ui.LHead->text(), before);
    QCOMPARE(h.ui.LHead->tag(), QStringLiteral("12.000"));
}

void OpeningClipTest::dropUsesTheFirstVideo_data() {
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<QString>("used");  // empty: nothing changes
    QTest::newRow("text file then video") << QStringList{"notes.txt", "short.mp4"} << "short.mp4";
    QTest::newRow("two videos") << QStringList{"short.mp4", "second.mp4"} << "short.mp4";
    QTest::newRow("missing file then video")
        << QStringList{"gone.mp4", "second.mp4"} << "second.mp4";
    QTest::newRow("folder only") << QStringList{"."} << "";
    QTest::newRow("text only") << QStringList{"notes.txt"} << "";
}

void OpeningClipTest::dropUsesTheFirstVideo() {
    QFETCH(QStringList, dropped);
    QFETCH(QString, used);
    Harness h;
    const QString before = h.ui.LHead->text();
    QStringList paths;
    for (const QString& name : dropped) {
        paths << clips_.filePath(name);
    }

    h.options().OpeningDropped(paths);

    QCOMPARE(h.dialogs.AskedTexts(), QStringList{});
    if (used.isEmpty()) {
        QCOMPARE(h.ui.LHead->text(), before);
    } else {
        QVERIFY2(h.ui.LHead->text().startsWith(QDir::toNativeSeparators(clips_.filePath(used)) +
                                               QStringLiteral("  /时长")),
                 qPrintable(h.ui.LHead->text()));
    }
}

void OpeningClipTest::dropWorksWhileMenuHeadIsOff() {
    Harness h;
    h.ui.ChHead->setChecked(false);
    QCOMPARE(h.ui.MenuHead->isEnabled(), false);

    h.options().OpeningDropped({ClipPath("short.mp4")});

    QCOMPARE(h.ui.LHead->tag(), QStringLiteral("7.5"));
    QCOMPARE(h.ui.TShift->text(), QStringLiteral("7.5"));
}

void OpeningClipTest::dropEventFromDesktop() {
    Harness h;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(ClipPath("short.mp4"))});
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(h.ui.LHead, &enter);
    QCOMPARE(enter.isAccepted(), true);
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(h.ui.LHead, &drop);

    QTRY_COMPARE(h.ui.LHead->tag(), QStringLiteral("7.5"));
}

void OpeningClipTest::runNeedsAnExistingClip() {
    Harness h;
    h.ui.List1->addItem(h.touch(QStringLiteral("a.srt")));
    h.ui.MenuMove->trigger();
    QCOMPARE(h.dialogs.AskedTexts(), QStringList{QStringLiteral("请指定片头视频文件！")});
    // The way without a clip is named.
    QCOMPARE(h.ui.LSt->text(),
             QStringLiteral("状态：或取消勾选“以片头时长为基准”，直接填写裁剪秒数"));

    h.dialogs.asked.clear();
    h.dialogs.fileAnswers << QStringList{ClipPath("short.mp4")};
    h.ui.MenuHead->trigger();
    h.ui.MenuMove->trigger();
    QVERIFY(!h.dialogs.AskedTexts().contains(QStringLiteral("请指定片头视频文件！")));
}

QTEST_MAIN(OpeningClipTest)
#include "opening_clip_test.moc"
