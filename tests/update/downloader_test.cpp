// SPDX-License-Identifier: GPL-3.0-or-later
// The downloader against an HTTP server on 127.0.0.1, with its time limits
// shortened: a huge answer streams through a small buffer, a server that
// trickles ends by the rate limit.
#include "update/downloader.h"

#include <QTest>

#include "http_server.h"
#include "support/temp_dir.h"

using orvane::testing::TempDir;
using orvane::update::Downloader;
using orvane::update::DownloadLimits;
using orvane::update::TestHttpServer;

class DownloaderTest : public QObject {
    Q_OBJECT
private slots:
    void aHugeAnswerStaysInASmallBuffer();
    void aTricklingServerEndsByTheRateLimit();
};

void DownloaderTest::aHugeAnswerStaysInASmallBuffer() {
    TestHttpServer server;
    server.answers["/downs/big.rar"] = {200, {}, false, false, qint64{64} << 20};
    TempDir dir;
    Downloader downloader;
    const DownloadLimits limits{qint64{48} << 20, std::chrono::seconds(10),
                                std::chrono::seconds(60)};
    const auto result = downloader.FetchAndWait(
        QUrl(QString::fromLatin1(server.Base() + "big.rar")), dir / "big.rar", limits);
    QVERIFY(!result.ok);
    QCOMPARE(result.error, QStringLiteral("下载的文件超出了允许的大小"));
    QVERIFY2(result.peakBuffered <= 4 * orvane::update::kDownloadBuffer,
             qPrintable(QString::number(result.peakBuffered)));
    QVERIFY(result.peakBuffered > 0);
    QVERIFY(!std::filesystem::exists(dir / "big.rar"));
}

void DownloaderTest::aTricklingServerEndsByTheRateLimit() {
    TestHttpServer server;
    server.answers["/downs/slow.rar"] = {200, QByteArray(1000, 'x'), false, false, 0, 10};
    TempDir dir;
    Downloader downloader;
    // A byte every 10 ms never stalls for 5 s, but is under 1 KB in 300 ms.
    const DownloadLimits limits{qint64{1} << 20, std::chrono::seconds(5), std::chrono::seconds(60),
                                1024, std::chrono::milliseconds(300)};
    const auto result = downloader.FetchAndWait(
        QUrl(QString::fromLatin1(server.Base() + "slow.rar")), dir / "slow.rar", limits);
    QVERIFY(!result.ok);
    QCOMPARE(result.error, QStringLiteral("下载速度过慢"));
    QVERIFY(!std::filesystem::exists(dir / "slow.rar"));
}

QTEST_GUILESS_MAIN(DownloaderTest)
#include "downloader_test.moc"
