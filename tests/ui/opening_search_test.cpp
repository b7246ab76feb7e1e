// SPDX-License-Identifier: GPL-3.0-or-later
// 找到片头位置: the span a search finds is cut from the listed files with
// its exact times; a search that finds nothing, or cannot start, writes
// nothing. A stand-in search answers, so no video is needed.
#include <QAction>
#include <QDir>
#include <QListWidget>
#include <QTest>

#include "harness.h"
#include "ui/elided_label.h"
#include "ui/opening_search_panel.h"

using namespace orvane::ui;
using orvane::media::AudioError;
using orvane::media::OpeningFound;

Q_DECLARE_METATYPE(OpeningFound::Unread)

namespace {

const QByteArray kBom = "\xEF\xBB\xBF";

// A cue before the opening, one across its start, one inside, one across
// its end and one after it.
const QByteArray kEpisode =
    "1\r\n00:00:10,000 --> 00:00:12,000\r\nA\r\n\r\n"
    "2\r\n00:01:34,000 --> 00:01:36,000\r\nB\r\n\r\n"
    "3\r\n00:01:40,000 --> 00:01:42,000\r\nC\r\n\r\n"
    "4\r\n00:02:04,000 --> 00:02:07,000\r\nD\r\n\r\n"
    "5\r\n00:03:00,000 --> 00:03:02,500\r\nE\r\n";

struct Window {
    Harness h;
    QString out = h.root.filePath(QStringLiteral("out"));
    QString source = WriteFile(h.root.filePath(QStringLiteral("a.srt")), kEpisode);
    QString episode = h.touch(QStringLiteral("episode.mkv"));
    OpeningSearchPanel* panel = h.find<OpeningSearchPanel>("OpeningSearchPanel");
    QStringList searched;  // "clip|episode" of each search the stand-in ran

    Window(bool withClip, const OpeningFound& answer) {
        h.ui.LDir->setText(out);
        h.ui.List1->addItem(source);
        if (withClip) {
            h.options().SetOpeningClip(
                {h.touch(QStringLiteral("op.mp4")), QStringLiteral("30.000"), 30.0});
        }
        panel->SetFinder([this, answer](const orvane::media::OpeningSearch& search,
                                        const orvane::media::AudioProgress& progress,
                                        const std::atomic<bool>*) {
            searched << QString::fromStdString(search.clip.filename().string() + "|" +
                                               search.episode.filename().string());
            progress(0.5);
            return answer;
        });
        h.dialogs.fileAnswers << QStringList{episode};
        h.find<QAction>("MenuFindHead")->trigger();
    }
};

}  // namespace

class OpeningSearchTest : public QObject {
    Q_OBJECT
private slots:
    void foundSpanIsCutWithItsExactTimes();
    void refusalsWriteNothing_data();
    void refusalsWriteNothing();
};

void OpeningSearchTest::foundSpanIsCutWithItsExactTimes() {
    OpeningFound found;
    found.match = {true, 95.0004, 125.2506, 0.93};
    Window w(true, found);
    w.h.dialogs.answers << MessageAnswer::Yes;
    QTRY_VERIFY(!w.panel->IsSearching());
    QTRY_VERIFY_WITH_TIMEOUT(!w.h.run().IsBusy(), 30000);

    QCOMPARE(w.searched, QStringList{QStringLiteral("op.mp4|episode.mkv")});
    QVERIFY(!w.h.dialogs.asked.isEmpty());
    QCOMPARE(w.h.dialogs.asked[0].text,
             QStringLiteral("片头位于 00:01:35.000 – 00:02:05.251，要从字幕中剪掉这一段吗？"));
    // The span [95.000, 125.251) cut by the engine's rule.
    QCOMPARE(ReadFile(QDir(w.out).filePath(QStringLiteral("a.srt"))),
             kBom + QByteArray("1\r\n00:00:10,000 --> 00:00:12,000\r\nA\r\n\r\n"
                               "2\r\n00:01:34,000 --> 00:01:35,000\r\nB\r\n\r\n"
                               "3\r\n00:01:35,000 --> 00:01:36,749\r\nD\r\n\r\n"
                               "4\r\n00:02:29,749 --> 00:02:32,249\r\nE\r\n"));
    QCOMPARE(ReadFile(w.source), kEpisode);
}

void OpeningSearchTest::refusalsWriteNothing_data() {
    QTest::addColumn<bool>("withClip");
    QTest::addColumn<OpeningFound::Unread>("unread");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("searches");
    QTest::newRow("no clip chosen")
        << false << OpeningFound::Unread::kNone << QStringLiteral("请指定片头视频文件！") << 0;
    QTest::newRow("clip not in the episode")
        << true << OpeningFound::Unread::kNone
        << QStringLiteral("在episode.mkv的前10分钟内没有找到片头的声音。\r\n未修改任何字幕文件。")
        << 1;
    QTest::newRow("episode without sound")
        << true << OpeningFound::Unread::kEpisode
        << QStringLiteral("正片视频文件episode.mkv：没有音频流\r\n未修改任何字幕文件。") << 1;
}

void OpeningSearchTest::refusalsWriteNothing() {
    QFETCH(bool, withClip);
    QFETCH(OpeningFound::Unread, unread);
    QFETCH(QString, message);
    QFETCH(int, searches);
    OpeningFound found;
    found.unread = unread;
    found.audio.error =
        unread == OpeningFound::Unread::kNone ? AudioError::kNone : AudioError::kNoAudio;
    found.match = {false, 30.0, 60.0, 0.2};
    Window w(withClip, found);
    QTRY_VERIFY(!w.panel->IsSearching());

    QCOMPARE(w.searched.size(), searches);
    QCOMPARE(w.h.dialogs.AskedTexts(), QStringList{message});
    QVERIFY(!w.h.run().IsBusy());
    QVERIFY(!QDir(w.out).exists(QStringLiteral("a.srt")));
    QCOMPARE(ReadFile(w.source), kEpisode);
}

QTEST_MAIN(OpeningSearchTest)
#include "opening_search_test.moc"
